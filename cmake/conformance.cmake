# The public TOML and YAML suites the checkers are held to (tests/conformance).
if(NOT LORVANE_TESTS)
  return()
endif()
target_compile_definitions(lorvane_tests PRIVATE
  LORVANE_CONFORMANCE="${CMAKE_SOURCE_DIR}/tests/conformance")
