# Packaging: the licence where a Debian system looks for it, and a .deb of
# everything `cmake --install` puts in place, made from a build folder with
#   cpack -G DEB                                  (in the build folder)
#   cpack --config BUILD/CPackConfig.cmake -G DEB -B OUTDIR
# The programs are stripped and the manual pages gzipped; Depends comes from dpkg-shlibdeps (the shared
# libraries the programs link) plus what the viewer needs at run time but
# does not link: a font with Hangul glyphs for its captions and Qt's own
# Korean translations for its standard dialogs.
include_guard(GLOBAL)
include(GNUInstallDirs)

# share/doc/zpkview/copyright, the name Debian gives a package's licence.
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME copyright)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zpkview)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The zpkview authors")
set(CPACK_PACKAGE_CONTACT "zpkview authors <zpkview@example.org>")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer and command-line tool for zpk resource containers")
set(CPACK_PACKAGE_DESCRIPTION
    "A zpk file is a game's resource container of palettized, run-length-encoded
images. zpkview lists the entries of a container and draws the one picked,
with the file's palette or a colour ramp of the user's own, and inspects it
pixel by pixel. The command-line tool zpk lists containers as text, CSV or
JSON and exports their entries as PNG files. Damaged files get a clear
error, never a crash or a hang.")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(ZPK_BUILD_GUI)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-nanum | fonts-noto-cjk, qt6-translations-l10n")
endif()
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

# `make package_source`: the tracked tree, without build folders.
set(CPACK_SOURCE_GENERATOR TXZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/\\\\.cache/" "/build[^/]*/" "/compile_commands\\\\.json$")

# Without dpkg-shlibdeps, cpack would leave the libraries out of Depends
# without a word; without `file` it finds no program to ask about.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/CPackProjectConfig.cmake)
file(WRITE ${CPACK_PROJECT_CONFIG_FILE} [=[
if(CPACK_GENERATOR STREQUAL "DEB")
  foreach(tool IN ITEMS dpkg-shlibdeps file)
    unset(found)
    find_program(found NAMES ${tool} NO_CACHE)
    if(NOT found)
      message(FATAL_ERROR "cpack -G DEB needs ${tool} to compute Depends "
                          "(Debian: apt-get install dpkg-dev file, or scripts/install-deps test)")
    endif()
  endforeach()
endif()
]=])

# What Debian asks of a package and a plain install does without: the
# manual pages gzipped, and a changelog. Its entry is the release of this
# version in the metainfo.
file(READ ${PROJECT_SOURCE_DIR}/data/zpkview.metainfo.xml metainfo)
string(REPLACE "." "\\." version_pattern "${PROJECT_VERSION}")
if(metainfo MATCHES "<release version=\"${version_pattern}\" date=\"([0-9]+-[0-9]+-[0-9]+)\"")
  set(CPACK_ZPK_RELEASE_DATE ${CMAKE_MATCH_1})
else()
  message(WARNING "data/zpkview.metainfo.xml has no <release> of version ${PROJECT_VERSION}: "
                  "the package's changelog takes today's date")
  string(TIMESTAMP CPACK_ZPK_RELEASE_DATE "%Y-%m-%d" UTC)
endif()
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_BINARY_DIR}/CPackDebianFiles.cmake)
file(WRITE ${CPACK_PRE_BUILD_SCRIPTS} [=[
if(CPACK_GENERATOR STREQUAL "DEB")
  function(gzip path)
    execute_process(COMMAND gzip -9nf "${path}" RESULT_VARIABLE status ERROR_VARIABLE problem)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "gzip ${path}: ${problem}")
    endif()
  endfunction()
  set(usr "${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
  file(GLOB pages "${usr}/share/man/man[1-9]/*.[1-9]")
  foreach(page IN LISTS pages)
    gzip("${page}")
  endforeach()
  execute_process(COMMAND date -u -R -d "${CPACK_ZPK_RELEASE_DATE}"
                  OUTPUT_VARIABLE when OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  set(changelog "${usr}/share/doc/${CPACK_PACKAGE_NAME}/changelog")
  file(WRITE "${changelog}"
       "${CPACK_PACKAGE_NAME} (${CPACK_PACKAGE_VERSION}) unstable; urgency=medium\n\n"
       "  * Release ${CPACK_PACKAGE_VERSION}.\n\n"
       " -- ${CPACK_DEBIAN_PACKAGE_MAINTAINER}  ${when}\n")
  gzip("${changelog}")
endif()
]=])

include(CPack)
