# Packaging: the manual page of zpk has a section for each sub-command,
# the software centres' entry is valid, and `cpack -G DEB` makes a package
# that holds everything an install puts in place and names what the viewer
# needs at run time. Included from tests/CMakeLists.txt; the package is the
# viewer's, so only with the GUI.
add_test(NAME package.manpage
         COMMAND ${CMAKE_COMMAND} -DZPK=$<TARGET_FILE:zpk> -DPAGE=${CMAKE_BINARY_DIR}/man/zpk.1
                 -P ${CMAKE_CURRENT_LIST_DIR}/CheckManPage.cmake)
if(NOT ZPK_BUILD_GUI)
  return()
endif()

find_program(APPSTREAMCLI appstreamcli REQUIRED)
add_test(NAME package.metainfo
         COMMAND ${APPSTREAMCLI} validate --no-net ${PROJECT_SOURCE_DIR}/data/zpkview.metainfo.xml)

add_test(NAME package.deb
         COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR} -DWORK=${CMAKE_BINARY_DIR}/deb-check
                 -DCPACK=${CMAKE_CPACK_COMMAND} -DAPPSTREAMCLI=${APPSTREAMCLI} -DVERSION=${PROJECT_VERSION}
                 -DHARDENED=${ZPK_HARDENING} -DFORTIFIED=$<BOOL:${ZPK_FORTIFIED}>
                 -P ${CMAKE_CURRENT_LIST_DIR}/CheckDeb.cmake)
# cpack installs the build tree as `cmake --install` does, and both write
# its install_manifest.txt: one at a time.
set_tests_properties(package.deb PROPERTIES TIMEOUT 300 RESOURCE_LOCK build-tree-install)
if(TEST desktop.install)
  set_tests_properties(desktop.install PROPERTIES RESOURCE_LOCK build-tree-install)
endif()
