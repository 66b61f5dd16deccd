# varnilog_module(NAME [FOLDER dir] [FILES f...] [EXCLUDE f...] [DEPENDS module...] [LINK lib...]
#                 [WIDGETS] [DECLARE_ONLY])
# declares one module of the program: a static library of the files of its folder (minus EXCLUDE;
# a folder's files named by an earlier module stay that module's) and the FILES named one by one,
# linked with the modules it DEPENDS on and the libraries of LINK.
# The declaration also feeds the include check: a file may include headers of its own module and of
# the modules it depends on (directly or through them), and only WIDGETS modules may use Qt Widgets.
# DECLARE_ONLY: the module is not built in this configuration (the windows without the GUI), but
# the check still knows its files.

function(varnilog_module name)
  cmake_parse_arguments(M "WIDGETS;DECLARE_ONLY" "FOLDER" "FILES;EXCLUDE;DEPENDS;LINK" ${ARGN})
  set(files ${M_FILES})
  if(M_FOLDER)
    file(GLOB folder_files CONFIGURE_DEPENDS RELATIVE ${PROJECT_SOURCE_DIR}
      ${M_FOLDER}/*.cpp ${M_FOLDER}/*.h ${M_FOLDER}/*.ui)
    # Files of the folder that an earlier module named one by one are that module's.
    get_property(claimed GLOBAL PROPERTY VARNILOG_NAMED_FILES)
    if(M_EXCLUDE OR claimed)
      list(REMOVE_ITEM folder_files ${M_EXCLUDE} ${claimed})
    endif()
    list(APPEND files ${folder_files})
  endif()
  set_property(GLOBAL APPEND PROPERTY VARNILOG_NAMED_FILES ${M_FILES})
  list(REMOVE_DUPLICATES files)
  if(NOT M_DECLARE_ONLY)
    add_library(${name} STATIC ${files})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${M_DEPENDS} ${M_LINK})
  endif()
  # A module's own deps are the modules it names; varnilog_core (an INTERFACE of all of them) counts
  # as all the core modules.
  set(deps ${M_DEPENDS})
  set_property(GLOBAL APPEND PROPERTY VARNILOG_MODULES ${name})
  set_property(GLOBAL PROPERTY VARNILOG_MODULE_${name}_FILES ${files})
  set_property(GLOBAL PROPERTY VARNILOG_MODULE_${name}_DEPENDS ${deps})
  set_property(GLOBAL PROPERTY VARNILOG_MODULE_${name}_WIDGETS ${M_WIDGETS})
  if(NOT M_WIDGETS)
    set_property(GLOBAL APPEND PROPERTY VARNILOG_CORE_MODULES ${name})
  endif()

endfunction()

# A file compiled elsewhere (main.cpp) that the check treats as part of a module.
function(varnilog_module_file name file)
  set_property(GLOBAL APPEND PROPERTY VARNILOG_MODULE_${name}_FILES ${file})
endfunction()

# Folders outside the modules (tests, tools, benchmarks, fuzzers) that use a module: their files may
# include what that module may. INCLUDE: folders their programs add to the include path.
function(varnilog_checked_folder folder module)
  cmake_parse_arguments(C "" "" "INCLUDE" ${ARGN})
  set_property(GLOBAL APPEND PROPERTY VARNILOG_TEST_FOLDERS "${folder}=${module}")
  set_property(GLOBAL PROPERTY VARNILOG_TEST_FOLDER_${folder}_INCLUDE ${C_INCLUDE})
endfunction()

# The modules a module may include from: itself and everything it depends on, transitively.
function(varnilog_module_closure name out)
  set(result ${name})
  set(queue ${name})
  while(queue)
    list(POP_FRONT queue current)
    if(current STREQUAL "varnilog_core")
      get_property(next GLOBAL PROPERTY VARNILOG_CORE_MODULES)
    else()
      get_property(next GLOBAL PROPERTY VARNILOG_MODULE_${current}_DEPENDS)
    endif()
    foreach(dep ${next})
      if(NOT dep IN_LIST result)
        list(APPEND result ${dep})
        list(APPEND queue ${dep})
      endif()
    endforeach()
  endwhile()
  set(${out} ${result} PARENT_SCOPE)
endfunction()

# Writes what the check needs and adds it to the build: every module waits for it, so an include
# against the graph stops the build before anything compiles.
function(varnilog_module_graph_check)
  get_property(modules GLOBAL PROPERTY VARNILOG_MODULES)
  set(includes ${CMAKE_BINARY_DIR}/module-graph-includes.cmake)
  set(text "set(SOURCE_DIR \"${PROJECT_SOURCE_DIR}\")\nset(BINARY_DIR \"${CMAKE_BINARY_DIR}\")
set(MODULES ${modules})\ninclude(\"${includes}\")\n")
  # Each set's include path as the compiler gets it (the targets' own and inherited folders), known
  # only when the build is generated.
  set(paths "")
  set(all_files)
  foreach(m ${modules})
    get_property(files GLOBAL PROPERTY VARNILOG_MODULE_${m}_FILES)
    get_property(widgets GLOBAL PROPERTY VARNILOG_MODULE_${m}_WIDGETS)
    varnilog_module_closure(${m} allowed)
    string(APPEND text "set(FILES_${m} ${files})\nset(ALLOWED_${m} ${allowed})\nset(WIDGETS_${m} ${widgets})\n")
    if(TARGET ${m})
      string(APPEND paths "set(INCLUDES_${m} \"$<TARGET_PROPERTY:${m},INCLUDE_DIRECTORIES>\")\n")
    else()
      string(APPEND paths "set(INCLUDES_${m} \"${PROJECT_SOURCE_DIR}\")\n")
    endif()
    foreach(f ${files})
      list(APPEND all_files ${PROJECT_SOURCE_DIR}/${f})
    endforeach()
  endforeach()
  get_property(test_folders GLOBAL PROPERTY VARNILOG_TEST_FOLDERS)
  set(test_names)
  foreach(entry ${test_folders})
    string(REPLACE "=" ";" pair "${entry}")
    list(GET pair 0 folder)
    list(GET pair 1 module)
    string(MAKE_C_IDENTIFIER "${folder}" id)
    varnilog_module_closure(${module} allowed)
    file(GLOB_RECURSE tfiles CONFIGURE_DEPENDS RELATIVE ${PROJECT_SOURCE_DIR}
      ${folder}/*.cpp ${folder}/*.h)
    get_property(widgets GLOBAL PROPERTY VARNILOG_MODULE_${module}_WIDGETS)
    get_property(extra GLOBAL PROPERTY VARNILOG_TEST_FOLDER_${folder}_INCLUDE)
    string(APPEND text "set(FILES_${id} ${tfiles})\nset(ALLOWED_${id} ${allowed})\nset(WIDGETS_${id} ${widgets})\n")
    if(TARGET ${module})
      string(APPEND paths
        "set(INCLUDES_${id} \"${extra};$<TARGET_PROPERTY:${module},INTERFACE_INCLUDE_DIRECTORIES>\")\n")
    else()
      string(APPEND paths "set(INCLUDES_${id} \"${extra};${PROJECT_SOURCE_DIR}\")\n")
    endif()
    list(APPEND test_names ${id})
    foreach(f ${tfiles})
      list(APPEND all_files ${PROJECT_SOURCE_DIR}/${f})
    endforeach()
  endforeach()
  string(APPEND text "set(TEST_SETS ${test_names})\n")
  set(graph ${CMAKE_BINARY_DIR}/module-graph.cmake)
  file(CONFIGURE OUTPUT ${graph} CONTENT "${text}")
  file(GENERATE OUTPUT ${includes} CONTENT "${paths}")
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/module-graph.ok
    COMMAND ${CMAKE_COMMAND} -DGRAPH=${graph} -P ${PROJECT_SOURCE_DIR}/cmake/CheckModuleGraph.cmake
    COMMAND ${CMAKE_COMMAND} -E touch ${CMAKE_BINARY_DIR}/module-graph.ok
    DEPENDS ${all_files} ${graph} ${includes} ${PROJECT_SOURCE_DIR}/cmake/CheckModuleGraph.cmake
    COMMENT "Checking the module graph"
    VERBATIM)
  add_custom_target(varnilog_module_graph DEPENDS ${CMAKE_BINARY_DIR}/module-graph.ok)
  foreach(m ${modules})
    if(TARGET ${m})
      add_dependencies(${m} varnilog_module_graph)
    endif()
  endforeach()
endfunction()
