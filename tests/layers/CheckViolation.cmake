# Proves CheckLayers.cmake catches a bad include: copies the sources, adds
# one include line to one file and expects the scan to fail on that line.
#   cmake -DROOT=<dir> -DWORK=<scratch dir> -DFILE=src/x/Y.cpp
#         "-DLINE=#include \"z/W.h\"" -P CheckViolation.cmake
cmake_minimum_required(VERSION 3.25)
foreach(arg ROOT WORK FILE LINE)
  if(NOT DEFINED ${arg})
    message(FATAL_ERROR "missing -D${arg}=...")
  endif()
endforeach()
if(NOT EXISTS "${ROOT}/${FILE}")
  message(FATAL_ERROR "no such file to break: ${ROOT}/${FILE}")
endif()

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
file(COPY "${ROOT}/src" DESTINATION "${WORK}")
if(IS_DIRECTORY "${ROOT}/tools")
  file(COPY "${ROOT}/tools" DESTINATION "${WORK}")
endif()

# The added line goes at the end, on a line of its own; work out its number
# so the check below can insist on exactly that line being reported.
file(READ "${WORK}/${FILE}" text)
if(NOT text STREQUAL "" AND NOT text MATCHES "\n$")
  file(APPEND "${WORK}/${FILE}" "\n")
  string(APPEND text "\n")
endif()
string(REGEX REPLACE "[^\n]" "" newlines "${text}")
string(LENGTH "${newlines}" count)
math(EXPR added "${count} + 1")
file(APPEND "${WORK}/${FILE}" "${LINE}\n")

execute_process(COMMAND "${CMAKE_COMMAND}" "-DROOT=${WORK}" -P "${CMAKE_CURRENT_LIST_DIR}/CheckLayers.cmake"
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
message("${out}")
if(status EQUAL 0)
  message(FATAL_ERROR "the scan passed although ${FILE} now has: ${LINE}")
endif()
string(FIND "${out}" "${FILE}:${added}:" at)
if(at EQUAL -1)
  message(FATAL_ERROR "the scan failed but did not name ${FILE}:${added} (${LINE})")
endif()
message(STATUS "caught ${FILE}:${added}: ${LINE}")
