# Checks that docs/architecture.md names every floor of the build as
# `floor/`, so that the page a newcomer reads first lists them all.
#   cmake -DROOT=<source dir> -P CheckFloorDocs.cmake
cmake_minimum_required(VERSION 3.25)
include("${CMAKE_CURRENT_LIST_DIR}/../../cmake/Floors.cmake")
file(READ "${ROOT}/docs/architecture.md" text)
set(missing)
foreach(floor IN LISTS ZPK_FLOORS)
  string(FIND "${text}" "`${floor}/`" at)
  if(at EQUAL -1)
    list(APPEND missing ${floor})
  endif()
  if(NOT IS_DIRECTORY "${ROOT}/src/${floor}")
    message(SEND_ERROR "the floor ${floor} has no folder src/${floor}")
  endif()
endforeach()
if(missing)
  message(FATAL_ERROR "docs/architecture.md does not name the floors: ${missing}")
endif()
