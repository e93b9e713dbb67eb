# Installs the build into a scratch prefix and checks that everything a
# desktop needs is where it looks for it.
#   cmake -DBUILD_DIR=... -DPREFIX=... -P CheckInstall.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${status}")
endif()

set(expected
  bin/zpkview
  bin/zpk
  share/applications/zpkview.desktop
  share/mime/packages/zpkview.xml
  share/man/man1/zpk.1
  share/man/man1/zpkview.1
  share/bash-completion/completions/zpk
  share/thumbnailers/zpkview.thumbnailer
  share/metainfo/io.github.zpkview.zpkview.metainfo.xml
  share/doc/zpkview/copyright
)
foreach(side 16 32 48 64 128 256)
  list(APPEND expected share/icons/hicolor/${side}x${side}/apps/zpkview.png)
endforeach()
foreach(path IN LISTS expected)
  if(NOT EXISTS "${PREFIX}/${path}")
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endforeach()

file(READ "${PREFIX}/share/mime/packages/zpkview.xml" mime)
if(NOT mime MATCHES "application/x-zpk" OR NOT mime MATCHES "\\*\\.zpk")
  message(FATAL_ERROR "the file type does not claim *.zpk as application/x-zpk")
endif()
file(READ "${PREFIX}/share/applications/zpkview.desktop" desktop)
if(NOT desktop MATCHES "MimeType=application/x-zpk;")
  message(FATAL_ERROR "the menu entry does not open application/x-zpk")
endif()
# the manual pages render, and the completion loads in bash without error
foreach(page zpk zpkview)
  execute_process(COMMAND man -l "${PREFIX}/share/man/man1/${page}.1"
                  RESULT_VARIABLE status OUTPUT_VARIABLE text ERROR_VARIABLE problems)
  if(NOT status EQUAL 0 OR NOT text MATCHES "--help" OR NOT problems STREQUAL "")
    message(FATAL_ERROR "man -l ${page}.1 failed (${status}): ${problems}")
  endif()
endforeach()
execute_process(COMMAND bash -c "source '${PREFIX}/share/bash-completion/completions/zpk' && complete -p zpk"
                RESULT_VARIABLE status OUTPUT_VARIABLE text ERROR_VARIABLE problems)
if(NOT status EQUAL 0 OR NOT text MATCHES "-F _zpk zpk" OR NOT problems STREQUAL "")
  message(FATAL_ERROR "the bash completion does not load: ${problems}")
endif()
file(REMOVE_RECURSE "${PREFIX}")
