# Makes the Debian package of a build with cpack and checks what it holds,
# that its programs are stripped and hardened, and what it depends on.
#   cmake -DBUILD_DIR=... -DWORK=... -DCPACK=... -DAPPSTREAMCLI=... -DVERSION=... -P CheckDeb.cmake
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")

include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/RunChecked.cmake)

run_checked(made "${CPACK}" --config "${BUILD_DIR}/CPackConfig.cmake" -G DEB -B "${WORK}/out")
file(GLOB debs "${WORK}/out/*.deb")
list(LENGTH debs count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "cpack made ${count} packages, not one:\n${made}")
endif()
set(deb "${debs}")

# the control fields
foreach(field Package Version Section Maintainer Depends Description)
  run_checked(value dpkg-deb --field "${deb}" ${field})
  string(STRIP "${value}" value)
  set(field_${field} "${value}")
endforeach()
if(NOT field_Package STREQUAL "zpkview" OR NOT field_Version STREQUAL "${VERSION}"
   OR NOT field_Section STREQUAL "graphics")
  message(FATAL_ERROR "package ${field_Package} ${field_Version}, section ${field_Section}: "
                      "expected zpkview ${VERSION}, section graphics")
endif()
if(NOT field_Maintainer MATCHES "<.+@.+>")
  message(FATAL_ERROR "the maintainer has no address: ${field_Maintainer}")
endif()
if(field_Description STREQUAL "")
  message(FATAL_ERROR "the package has no description")
endif()
# the Hangul font and Qt's translations by hand, the libraries from
# dpkg-shlibdeps: the Qt libraries the viewer links and libspng of the export
foreach(need "fonts-nanum | fonts-noto-cjk" "qt6-translations-l10n" "libqt6widgets6" "libspng0" "libc6")
  string(FIND "${field_Depends}" "${need}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "Depends does not name ${need}: ${field_Depends}")
  endif()
endforeach()

# the files: every one under /usr, and each that a desktop looks for there
run_checked(listing dpkg-deb --contents "${deb}")
string(REGEX MATCHALL "\\./[^\n]*" paths "${listing}")
set(files "")
foreach(path IN LISTS paths)
  string(REGEX REPLACE " -> .*" "" path "${path}")
  string(REGEX REPLACE "^\\./" "" path "${path}")
  string(REGEX REPLACE "/$" "" path "${path}")
  if(path STREQUAL "" OR path STREQUAL "usr")
    continue()
  endif()
  if(NOT path MATCHES "^usr/(bin|share)(/|$)")
    message(FATAL_ERROR "the package puts a file outside /usr/bin and /usr/share: /${path}")
  endif()
  list(APPEND files "${path}")
endforeach()

set(expected
  usr/bin/zpkview
  usr/bin/zpk
  usr/share/applications/zpkview.desktop
  usr/share/mime/packages/zpkview.xml
  usr/share/metainfo/io.github.zpkview.zpkview.metainfo.xml
  usr/share/man/man1/zpk.1.gz
  usr/share/man/man1/zpkview.1.gz
  usr/share/bash-completion/completions/zpk
  usr/share/thumbnailers/zpkview.thumbnailer
  usr/share/doc/zpkview/copyright
  usr/share/doc/zpkview/changelog.gz
)
foreach(side 16 32 48 64 128 256)
  list(APPEND expected usr/share/icons/hicolor/${side}x${side}/apps/zpkview.png)
endforeach()
foreach(path IN LISTS expected)
  if(NOT path IN_LIST files)
    message(FATAL_ERROR "not in the package: /${path}\n${listing}")
  endif()
endforeach()

# unpacked: the programs stripped, the licence the project's, and the
# metainfo valid together with the menu entry and the icon beside it
set(root "${WORK}/root")
run_checked(ignored dpkg-deb --extract "${deb}" "${root}")
foreach(program zpkview zpk)
  run_checked(kind file --brief "${root}/usr/bin/${program}")
  if(NOT kind MATCHES "^ELF .*, stripped")
    message(FATAL_ERROR "/usr/bin/${program} is not a stripped program: ${kind}")
  endif()
  # hardened (cmake/Hardening.cmake): position-independent, relocations
  # bound at load and read-only, libc's checked calls and the stack protector
  # (the checked calls only where the build asked for them: not under a
  # sanitizer, not without optimisation)
  if(NOT HARDENED)
    continue()
  endif()
  run_checked(dynamic readelf --dynamic --program-headers --wide "${root}/usr/bin/${program}")
  run_checked(symbols readelf --dyn-syms --wide "${root}/usr/bin/${program}")
  set(checked "__stack_chk_fail@")
  if(FORTIFIED)
    list(APPEND checked "__[a-z0-9_]+_chk@")
  endif()
  foreach(sign "\\(FLAGS(_1)?\\)[^\n]*NOW" "\\(FLAGS_1\\)[^\n]*PIE" "GNU_RELRO")
    if(NOT dynamic MATCHES "${sign}")
      message(FATAL_ERROR "/usr/bin/${program} is not hardened: no ${sign} in\n${dynamic}")
    endif()
  endforeach()
  foreach(sign IN LISTS checked)
    if(NOT symbols MATCHES "${sign}")
      message(FATAL_ERROR "/usr/bin/${program} calls no ${sign} function: not built with "
                          "_FORTIFY_SOURCE and the stack protector")
    endif()
  endforeach()
endforeach()
file(READ "${root}/usr/share/doc/zpkview/copyright" licence)
if(NOT licence MATCHES "MIT License" OR NOT licence MATCHES "The zpkview authors")
  message(FATAL_ERROR "/usr/share/doc/zpkview/copyright is not the project's licence")
endif()
run_checked(report "${APPSTREAMCLI}" validate-tree --no-net "${root}")

file(REMOVE_RECURSE "${WORK}")
