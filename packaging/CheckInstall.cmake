# Installs the build into PREFIX and fails unless every file a desktop user needs is there, the
# licence's full text included.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
  RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
foreach(file bin/varnilog bin/varnilog-cli bin/kzsim share/applications/varnilog.desktop
             share/icons/hicolor/scalable/apps/varnilog.svg share/mime/packages/varnilog.xml
             share/metainfo/org.varnilog.Varnilog.metainfo.xml share/man/man1/varnilog-cli.1
             share/bash-completion/completions/varnilog-cli share/doc/varnilog/LICENSE)
  if(NOT EXISTS "${PREFIX}/${file}")
    message(FATAL_ERROR "missing after installation: ${file}")
  endif()
endforeach()
file(STRINGS "${PREFIX}/share/applications/varnilog.desktop" exec REGEX "^Exec=varnilog ")
if(NOT exec)
  message(FATAL_ERROR "the desktop entry does not start varnilog")
endif()
file(READ "${PREFIX}/share/doc/varnilog/LICENSE" licence LIMIT 200)
if(NOT licence MATCHES "GNU GENERAL PUBLIC LICENSE[ \n]+Version 3")
  message(FATAL_ERROR "share/doc/varnilog/LICENSE is not the GPL version 3")
endif()
file(REMOVE_RECURSE "${PREFIX}")
