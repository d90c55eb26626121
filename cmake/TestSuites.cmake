# nimbrel_discover_tests(<target> [PREFIX <name prefix>] [FILTER <gtest filter>] [LABELS <label>...]
#                        [ENVIRONMENT <VAR=value>...]): the target's GoogleTest tests as CTest tests.
# Normally each test is a CTest test of its own (gtest_discover_tests). With
# NIMBREL_TEST_SUITE_PROCESSES, the sanitizer build's default, each suite is one and runs in one
# process: there a process cost each test about a tenth of a second of start, shadow memory and
# leak check, more than most tests take. The CTest name is then the suite's (with the prefix);
# the binary with --gtest_filter still runs a single test.
if(CMAKE_SCRIPT_MODE_FILE)
  # cmake -DEXECUTABLE=<test binary> -DOUTPUT=<file> [-DFILTER=<gtest filter>] -P TestSuites.cmake:
  # the binary's list of tests, after each link.
  set(_args --gtest_list_tests)
  if(FILTER)
    list(APPEND _args "--gtest_filter=${FILTER}")
  endif()
  execute_process(COMMAND "${EXECUTABLE}" ${_args} OUTPUT_FILE "${OUTPUT}" RESULT_VARIABLE _result TIMEOUT 60)
  if(NOT _result EQUAL 0)
    file(REMOVE "${OUTPUT}")
    message(FATAL_ERROR "${EXECUTABLE} did not list its tests: ${_result}")
  endif()
  return()
endif()

option(NIMBREL_TEST_SUITE_PROCESSES "Run each GoogleTest suite in one process" ${NIMBREL_SANITIZE})

function(nimbrel_discover_tests target)
  cmake_parse_arguments(_arg "" "PREFIX;FILTER;ENVIRONMENT" "LABELS" ${ARGN})
  # The tests run without a display; ENVIRONMENT holds one more VAR=value.
  set(_environment ENVIRONMENT QT_QPA_PLATFORM=offscreen)
  if(_arg_ENVIRONMENT)
    set(_environment ENVIRONMENT ${_arg_ENVIRONMENT} ENVIRONMENT_MODIFICATION QT_QPA_PLATFORM=set:offscreen)
  endif()
  set(_labels)
  if(_arg_LABELS)
    set(_labels LABELS ${_arg_LABELS})
  endif()
  if(NOT NIMBREL_TEST_SUITE_PROCESSES)
    set(_options)
    if(_arg_PREFIX)
      list(APPEND _options TEST_PREFIX ${_arg_PREFIX})
    endif()
    if(_arg_FILTER)
      list(APPEND _options TEST_FILTER ${_arg_FILTER})
    endif()
    gtest_discover_tests(${target} ${_options} DISCOVERY_TIMEOUT 60 PROPERTIES ${_environment} ${_labels})
    return()
  endif()

  # CTest reads the list when it starts and makes one test per suite, which runs exactly the
  # listed tests of that suite.
  set(_base "${CMAKE_CURRENT_BINARY_DIR}/${target}_${_arg_PREFIX}suites")
  set(_properties)
  foreach(_word IN LISTS _environment _labels)
    string(APPEND _properties " [[${_word}]]")
  endforeach()
  add_custom_command(
    TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${CMAKE_COMMAND} -DEXECUTABLE=$<TARGET_FILE:${target}>
            -DOUTPUT=${_base}.txt -DFILTER=${_arg_FILTER} -P ${CMAKE_CURRENT_FUNCTION_LIST_FILE}
    BYPRODUCTS ${_base}.txt
    VERBATIM)
  file(GENERATE OUTPUT "${_base}.cmake" CONTENT "if(NOT EXISTS [[${_base}.txt]])
  add_test([[${target}_NOT_BUILT]] [[${target}_NOT_BUILT]])
  return()
endif()
file(STRINGS [[${_base}.txt]] _lines)
set(_suite)
set(_suites)
foreach(_line IN LISTS _lines)
  if(_line MATCHES \"^([^ #]+)[.]( +#.*)?$\")
    set(_suite \"\${CMAKE_MATCH_1}\")
  elseif(_suite AND _line MATCHES \"^  ([^ ]+)\")
    list(APPEND \"_tests_\${_suite}\" \"\${_suite}.\${CMAKE_MATCH_1}\")
    list(APPEND _suites \"\${_suite}\")
  endif()
endforeach()
list(REMOVE_DUPLICATES _suites)
foreach(_suite IN LISTS _suites)
  string(REPLACE \";\" \":\" _filter \"\${_tests_\${_suite}}\")
  add_test(\"${_arg_PREFIX}\${_suite}\" [[$<TARGET_FILE:${target}>]] \"--gtest_filter=\${_filter}\")
  set_tests_properties(\"${_arg_PREFIX}\${_suite}\" PROPERTIES ${_properties})
endforeach()
")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${_base}.cmake")
endfunction()
