# run_checked(VAR COMMAND...): VAR is the command's standard output; a
# failure stops the script with the command, its status and what it said.
# For scripts run with cmake -P, at build time and in tests.
function(run_checked var)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    string(REPLACE ";" " " command "${ARGN}")
    message(FATAL_ERROR "${command} failed (${status}):\n${out}\n${err}")
  endif()
  set(${var} "${out}" PARENT_SCOPE)
endfunction()
