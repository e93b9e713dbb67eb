# Checks that every source file only includes headers from the floors it may
# build on, and that Qt stays in the window and app floors.
#   cmake -DROOT=<dir holding src/ and maybe tools/> -P CheckLayers.cmake
cmake_minimum_required(VERSION 3.25)
if(NOT ROOT OR NOT IS_DIRECTORY "${ROOT}/src")
  message(FATAL_ERROR "pass -DROOT=<dir> with a src/ folder in it")
endif()

# The floors and what each may include come from the one list the build
# uses too.
include("${CMAKE_CURRENT_LIST_DIR}/../../cmake/Floors.cmake")
set(src_floors ${ZPK_FLOORS})
set(floors ${src_floors} tools)
foreach(floor IN LISTS floors)
  set(allowed_${floor} ${ZPK_FLOOR_USES_${floor}})
endforeach()
set(qt_floors ${ZPK_QT_FLOORS})

# floor -> folder it lives in; tools/ sits next to src/, not inside it
foreach(floor IN LISTS src_floors)
  set(dir_${floor} "${ROOT}/src/${floor}")
endforeach()
set(dir_tools "${ROOT}/tools")

set(scanned 0)
set(violations 0)
foreach(floor IN LISTS floors)
  file(GLOB_RECURSE sources "${dir_${floor}}/*.h" "${dir_${floor}}/*.hpp" "${dir_${floor}}/*.cpp")
  list(SORT sources)
  foreach(source IN LISTS sources)
    math(EXPR scanned "${scanned} + 1")
    file(RELATIVE_PATH shown "${ROOT}" "${source}")
    # One list element per line. Semicolons, brackets and backslashes would
    # upset CMake's list splitting, and no include we care about has them.
    file(READ "${source}" text)
    string(REGEX REPLACE "[][;\\\\]" "" text "${text}")
    string(REPLACE "\n" ";" lines "${text}")
    set(number 0)
    foreach(line IN LISTS lines)
      math(EXPR number "${number} + 1")
      if(NOT line MATCHES "^[ \t]*#[ \t]*include[ \t]*([<\"])([^>\"]+)[>\"]")
        continue()
      endif()
      set(path "${CMAKE_MATCH_2}")
      if(CMAKE_MATCH_1 STREQUAL "<")
        if(path MATCHES "^Q[A-Za-z]" AND NOT floor IN_LIST qt_floors)
          message("${shown}:${number}: ${floor} may not include Qt <${path}>")
          math(EXPR violations "${violations} + 1")
        endif()
        continue()
      endif()
      # "Foo.h" or "ui_x.h" has no floor in front and is not ours to judge
      if(NOT path MATCHES "^([^/]+)/")
        continue()
      endif()
      set(target "${CMAKE_MATCH_1}")
      if(NOT target IN_LIST floors OR target STREQUAL floor OR target IN_LIST allowed_${floor})
        continue()
      endif()
      message("${shown}:${number}: ${floor} may not include \"${path}\"")
      math(EXPR violations "${violations} + 1")
    endforeach()
  endforeach()
endforeach()

if(violations GREATER 0)
  message(FATAL_ERROR "${violations} include(s) reach a floor they may not, in ${scanned} files scanned")
endif()
message(STATUS "floors clean: ${scanned} files scanned")
