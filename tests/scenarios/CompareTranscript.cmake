# Runs one scenario and compares its transcript with the expected one, line by line.
execute_process(COMMAND ${SIM} ${SCENARIO}
                OUTPUT_VARIABLE _actual
                ERROR_VARIABLE _errors
                RESULT_VARIABLE _status)
file(WRITE ${ACTUAL} "${_actual}")
if(NOT _status EQUAL 0)
  message(FATAL_ERROR "nimbrel-sim failed (${_status}): ${_errors}")
endif()
if(NOT EXISTS ${EXPECTED})
  message(FATAL_ERROR "no expected transcript ${EXPECTED}; the actual one is in ${ACTUAL}")
endif()
file(READ ${EXPECTED} _expected)
if(NOT _actual STREQUAL _expected)
  execute_process(COMMAND diff -u ${EXPECTED} ${ACTUAL} OUTPUT_VARIABLE _diff)
  message(FATAL_ERROR "transcript differs from ${EXPECTED}:\n${_diff}")
endif()
