# The command-line modes are tested by running the real executable.
file(GLOB LORVANE_CLI_TESTS CONFIGURE_DEPENDS tests/cli/*.cpp)
add_executable(lorvane_cli_tests ${LORVANE_CLI_TESTS})
target_link_libraries(lorvane_cli_tests PRIVATE lorvane_text GTest::gtest GTest::gtest_main)
target_compile_definitions(lorvane_cli_tests PRIVATE LORVANE_EXE="$<TARGET_FILE:lorvane>")
add_dependencies(lorvane_cli_tests lorvane)
gtest_discover_tests(lorvane_cli_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60)
