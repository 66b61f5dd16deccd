# Checks the module graph written by varnilog_module_graph_check (GRAPH): every source file of the
cmake_minimum_required(VERSION 3.25)
# module folders belongs to exactly one module; a file includes headers only of modules its own
# module may use; Qt Widgets appear only in window modules. Run as: cmake -DGRAPH=file -P this.
include(${GRAPH})

set(errors "")
foreach(m ${MODULES})
  foreach(f ${FILES_${m}})
    if(DEFINED owner_${f})
      string(APPEND errors "  ${f}: in ${owner_${f}} and in ${m}\n")
    endif()
    set(owner_${f} ${m})
  endforeach()
endforeach()

file(GLOB stray RELATIVE ${SOURCE_DIR}
  ${SOURCE_DIR}/app/* ${SOURCE_DIR}/device/* ${SOURCE_DIR}/recording/* ${SOURCE_DIR}/view/*
  ${SOURCE_DIR}/spectrum/* ${SOURCE_DIR}/analysis/* ${SOURCE_DIR}/windows/*)
foreach(f ${stray})
  if(f MATCHES "\\.(cpp|h|ui)$" AND NOT DEFINED owner_${f})
    string(APPEND errors "  ${f}: belongs to no module (name it in CMakeLists.txt)\n")
  endif()
endforeach()

set(widget_include "#include[ \t]*<(QtWidgets/|QtPrintSupport/|QWidget|QDialog|QMainWindow|QLabel|QAbstractButton|QPushButton|QMessageBox|QScrollBar|QApplication|QComboBox|QCheckBox|QSpinBox|QLineEdit|QMenu|QStatusBar|QProgressBar|QFileDialog|QColorDialog|QPrintDialog|QPrintPreviewDialog|QTextBrowser|QToolButton|QTableWidget)[ \t]*>")

foreach(set ${MODULES} ${TEST_SETS})
  foreach(f ${FILES_${set}})
    if(NOT f MATCHES "\\.(cpp|h)$")
      continue()
    endif()
    file(STRINGS ${SOURCE_DIR}/${f} lines REGEX "^[ \t]*#[ \t]*include")
    foreach(line ${lines})
      if(line MATCHES "#[ \t]*include[ \t]*\"([^\"]+)\"")
        set(header ${CMAKE_MATCH_1})
        if(DEFINED owner_${header})
          set(target ${owner_${header}})
          if(NOT target IN_LIST ALLOWED_${set})
            string(APPEND errors "  ${f}: includes ${header} of ${target}, which ${set} may not use\n")
          endif()
        endif()
      elseif(NOT WIDGETS_${set} AND line MATCHES "${widget_include}")
        string(APPEND errors "  ${f}: uses Qt Widgets outside the windows: ${line}\n")
      endif()
    endforeach()
  endforeach()
endforeach()

if(errors)
  message(FATAL_ERROR "The module graph does not hold:\n${errors}"
    "Each module may include its own headers and those of the modules it depends on (CMakeLists.txt).")
endif()
