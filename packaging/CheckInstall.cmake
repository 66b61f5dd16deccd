# Installs the build into PREFIX and fails unless every file a desktop user needs is there, the
# licence's full text included, and the installed varnilog-cli finds its drawing program (in
# LIBEXECDIR/varnilog) and starts without Qt GUI, Qt SVG and libzip.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
  RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
foreach(file bin/varnilog bin/varnilog-cli bin/kzsim share/applications/varnilog.desktop
             share/icons/hicolor/scalable/apps/varnilog.svg share/mime/packages/varnilog.xml
             share/metainfo/org.varnilog.Varnilog.metainfo.xml share/man/man1/varnilog-cli.1
             share/bash-completion/completions/varnilog-cli share/doc/varnilog/LICENSE
             ${LIBEXECDIR}/varnilog/varnilog-cli-draw)
  if(NOT EXISTS "${PREFIX}/${file}")
    message(FATAL_ERROR "missing after installation: ${file}")
  endif()
endforeach()
file(STRINGS "${PREFIX}/share/applications/varnilog.desktop" exec REGEX "^Exec=varnilog ")
if(NOT exec)
  message(FATAL_ERROR "the desktop entry does not start varnilog")
endif()
execute_process(COMMAND "${PREFIX}/bin/varnilog-cli" render --help RESULT_VARIABLE result
  OUTPUT_VARIABLE help ERROR_VARIABLE help)
if(NOT result EQUAL 0 OR NOT help MATCHES "Usage: varnilog-cli render")
  message(FATAL_ERROR "the installed varnilog-cli does not run its drawing program: ${help}")
endif()
find_program(READELF readelf)
if(READELF)
  execute_process(COMMAND ${READELF} -d "${PREFIX}/bin/varnilog-cli" OUTPUT_VARIABLE needed)
  if(needed MATCHES "libQt6Gui|libQt6Svg|libzip")
    message(FATAL_ERROR "varnilog-cli links what only drawing or sigrok sessions need:\n${needed}")
  endif()
endif()
file(READ "${PREFIX}/share/doc/varnilog/LICENSE" licence LIMIT 200)
if(NOT licence MATCHES "GNU GENERAL PUBLIC LICENSE[ \n]+Version 3")
  message(FATAL_ERROR "share/doc/varnilog/LICENSE is not the GPL version 3")
endif()
file(REMOVE_RECURSE "${PREFIX}")
