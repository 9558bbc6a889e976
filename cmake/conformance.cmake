# The public TOML and YAML suites the checkers are held to (tests/conformance).
target_compile_definitions(lorvane_tests PRIVATE
  LORVANE_CONFORMANCE="${CMAKE_SOURCE_DIR}/tests/conformance")
