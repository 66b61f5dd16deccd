# Checks the module graph written by varnilog_module_graph_check (GRAPH): every source file of the
# module folders belongs to exactly one module; a file includes headers only of modules its own
# module may use; Qt Widgets appear only in window modules. Each include is resolved as the compiler
# resolves it (a quoted name first beside the including file, then along the set's include path;
# an angled name along the include path), so no spelling ("File.h", "../view/File.h",
# <view/File.h>, <QtWidgets/QWidget>) gets round the graph. Run as: cmake -DGRAPH=file -P this.
cmake_minimum_required(VERSION 3.25)
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

# Names of Qt Widgets headers, for an angled include that the set's path does not resolve (it would
# not compile, but the message says why).
set(widget_name "^(QtWidgets(/.*)?|QtPrintSupport(/.*)?|QWidget|QDialog|QMainWindow|QLabel|QAbstractButton|QPushButton|QMessageBox|QScrollBar|QApplication|QComboBox|QCheckBox|QSpinBox|QLineEdit|QMenu|QStatusBar|QProgressBar|QFileDialog|QColorDialog|QPrintDialog|QPrintPreviewDialog|QTextBrowser|QToolButton|QTableWidget)$")
# Resolved headers in these folders are Qt Widgets.
set(widget_path "/Qt(Widgets|PrintSupport)/[^/]+$")

# resolve(dirs name out): the first dirs/name that is a file, normalised; empty when none is.
macro(resolve_in dirs name out)
  set(${out} "")
  foreach(d ${dirs})
    if(EXISTS "${d}/${name}" AND NOT IS_DIRECTORY "${d}/${name}")
      cmake_path(SET ${out} NORMALIZE "${d}/${name}")
      break()
    endif()
  endforeach()
endmacro()

foreach(set ${MODULES} ${TEST_SETS})
  set(path ${INCLUDES_${set}})
  list(REMOVE_DUPLICATES path)
  foreach(f ${FILES_${set}})
    if(NOT f MATCHES "\\.(cpp|h)$")
      continue()
    endif()
    get_filename_component(here "${SOURCE_DIR}/${f}" DIRECTORY)
    file(STRINGS ${SOURCE_DIR}/${f} lines REGEX "^[ \t]*#[ \t]*include")
    foreach(line ${lines})
      if(NOT line MATCHES "#[ \t]*include[ \t]*([\"<])([^\">]+)[\">]")
        continue()
      endif()
      set(name ${CMAKE_MATCH_2})
      set(resolved "")
      if(CMAKE_MATCH_1 STREQUAL "\"")
        resolve_in("${here}" "${name}" resolved)
      endif()
      if(NOT resolved)
        # The path is the same for every file of the set: resolve each name once.
        if(NOT DEFINED found_${set}_${name})
          resolve_in("${path}" "${name}" found_${set}_${name})
        endif()
        set(resolved "${found_${set}_${name}}")
      endif()
      if(resolved)
        string(FIND "${resolved}" "${SOURCE_DIR}/" at)
        string(FIND "${resolved}" "${BINARY_DIR}/" inBuild)
        if(at EQUAL 0 AND NOT inBuild EQUAL 0)
          file(RELATIVE_PATH header ${SOURCE_DIR} ${resolved})
          if(DEFINED owner_${header})
            set(target ${owner_${header}})
            if(NOT target IN_LIST ALLOWED_${set})
              string(APPEND errors
                "  ${f}: includes ${header} (as ${name}) of ${target}, which ${set} may not use\n")
            endif()
          elseif(set IN_LIST MODULES)
            string(APPEND errors "  ${f}: includes ${header}, which belongs to no module\n")
          endif()
        elseif(NOT WIDGETS_${set} AND resolved MATCHES "${widget_path}")
          string(APPEND errors "  ${f}: uses Qt Widgets outside the windows: ${line}\n")
        endif()
      elseif(NOT WIDGETS_${set} AND name MATCHES "${widget_name}")
        string(APPEND errors "  ${f}: uses Qt Widgets outside the windows: ${line}\n")
      endif()
    endforeach()
  endforeach()
endforeach()

if(errors)
  message(FATAL_ERROR "The module graph does not hold:\n${errors}"
    "Each module may include its own headers and those of the modules it depends on (CMakeLists.txt).")
endif()
