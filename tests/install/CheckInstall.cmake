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
file(REMOVE_RECURSE "${PREFIX}")
