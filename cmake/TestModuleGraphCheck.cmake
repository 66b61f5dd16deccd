# Test of the module-graph check: in a scratch tree (with a stand-in Qt include folder), each way of
# including a header across the graph or a Qt Widgets header in the core is refused, whatever its
# spelling, as is a file that belongs to no module; the same tree without them passes.
# Run as: cmake -DWORK=dir -DCHECK=CheckModuleGraph.cmake -P this.
cmake_minimum_required(VERSION 3.25)

function(run_check name expect_ok expect_text)
  file(WRITE ${WORK}/graph.cmake "set(SOURCE_DIR \"${WORK}/src\")
set(BINARY_DIR \"${WORK}/build\")
set(MODULES varnilog_protocol varnilog_recording varnilog_view varnilog_device)
set(FILES_varnilog_protocol device/Protocol.h device/Protocol.cpp)
set(ALLOWED_varnilog_protocol varnilog_protocol)
set(FILES_varnilog_recording recording/File.h recording/File.cpp)
set(ALLOWED_varnilog_recording varnilog_recording)
set(FILES_varnilog_view view/Draw.h view/Draw.cpp)
set(ALLOWED_varnilog_view varnilog_view varnilog_recording)
set(FILES_varnilog_device device/Acquisition.h)
set(ALLOWED_varnilog_device varnilog_device varnilog_protocol varnilog_recording)
set(TEST_SETS tests_view)
set(FILES_tests_view tests/view/DrawTest.cpp)
set(ALLOWED_tests_view varnilog_view varnilog_recording)
foreach(set \${MODULES} \${TEST_SETS})
  set(INCLUDES_\${set} ${WORK}/src ${WORK}/qt ${WORK}/qt/QtCore)
endforeach()
set(INCLUDES_tests_view ${WORK}/src/tests \${INCLUDES_tests_view})
")
  execute_process(COMMAND ${CMAKE_COMMAND} -DGRAPH=${WORK}/graph.cmake -P ${CHECK}
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(expect_ok AND NOT rc EQUAL 0)
    message(FATAL_ERROR "${name}: the check failed on a tree that keeps the graph:\n${err}")
  endif()
  if(NOT expect_ok AND rc EQUAL 0)
    message(FATAL_ERROR "${name}: the check passed a tree that breaks the graph")
  endif()
  if(NOT expect_ok AND NOT err MATCHES "${expect_text}")
    message(FATAL_ERROR "${name}: the check did not name the fault (${expect_text}):\n${err}")
  endif()
endfunction()

file(REMOVE_RECURSE ${WORK})
# A tree that keeps the graph: same-module bare includes, includes down the graph, Qt Core, and a
# test's own kit.
set(kept_file "#include \"recording/File.h\"\n#include \"File.h\"\n#include <QString>\n#include <vector>\n")
file(WRITE ${WORK}/qt/QtCore/QString "")
file(WRITE ${WORK}/qt/QtWidgets/QWidget "")
file(WRITE ${WORK}/src/recording/File.h "#pragma once\n")
file(WRITE ${WORK}/src/view/Draw.h "#pragma once\n#include <recording/File.h>\n")
file(WRITE ${WORK}/src/view/Draw.cpp "#include \"Draw.h\"\n#include \"../recording/File.h\"\n")
file(WRITE ${WORK}/src/device/Protocol.h "#pragma once\n")
file(WRITE ${WORK}/src/device/Acquisition.h "#pragma once\n#include \"Protocol.h\"\n")
file(WRITE ${WORK}/src/tests/support/Kit.h "#pragma once\n")
file(WRITE ${WORK}/src/tests/view/DrawTest.cpp "#include \"support/Kit.h\"\n#include \"view/Draw.h\"\n")

# name | file | line added to it | what the check must say ("" = passes)
set(rows
  "the graph kept|recording/File.cpp||"
  "an upward include|recording/File.cpp|#include \"view/Draw.h\"|recording/File.cpp: includes view/Draw.h \\(as view/Draw.h\\) of varnilog_view"
  "a bare name beside the file|device/Protocol.cpp|#include \"Acquisition.h\"|device/Protocol.cpp: includes device/Acquisition.h \\(as Acquisition.h\\) of varnilog_device"
  "a relative path|recording/File.cpp|#include \"../view/Draw.h\"|recording/File.cpp: includes view/Draw.h \\(as ../view/Draw.h\\)"
  "angle brackets|recording/File.cpp|#include <view/Draw.h>|recording/File.cpp: includes view/Draw.h \\(as view/Draw.h\\)"
  "a Qt Widgets path|recording/File.cpp|#include <QtWidgets/QWidget>|recording/File.cpp: uses Qt Widgets"
  "a Qt Widgets name|recording/File.cpp|#include <QWidget>|recording/File.cpp: uses Qt Widgets"
  "a file of the tests in the core|recording/File.cpp|#include \"../tests/support/Kit.h\"|recording/File.cpp: includes tests/support/Kit.h, which belongs to no module"
  "a test reaching past its module|tests/view/DrawTest.cpp|#include \"device/Acquisition.h\"|tests/view/DrawTest.cpp: includes device/Acquisition.h"
  "a file of no module|view/Stray.cpp||view/Stray.cpp: belongs to no module")
foreach(row ${rows})
  string(REPLACE "|" ";" cells "${row}")
  list(GET cells 0 name)
  list(GET cells 1 file)
  list(GET cells 2 line)
  list(GET cells 3 expect)
  file(WRITE ${WORK}/src/recording/File.cpp "${kept_file}")
  file(WRITE ${WORK}/src/device/Protocol.cpp "#include \"Protocol.h\"\n")
  file(WRITE ${WORK}/src/tests/view/DrawTest.cpp "#include \"support/Kit.h\"\n#include \"view/Draw.h\"\n")
  file(REMOVE ${WORK}/src/view/Stray.cpp)
  file(APPEND ${WORK}/src/${file} "${line}\n")
  if(expect STREQUAL "")
    run_check("${name}" TRUE "")
  else()
    run_check("${name}" FALSE "${expect}")
  endif()
endforeach()
