# Source checks that need no build: they run as tests.
add_test(NAME checks.no_qtest_macros_in_gtest
  COMMAND ${CMAKE_COMMAND} -DTESTS=${CMAKE_SOURCE_DIR}/tests -P ${CMAKE_SOURCE_DIR}/tools/check_test_macros.cmake)
