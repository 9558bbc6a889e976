# Crash test of unsaved work: a child edits through the workspace, is killed
# with SIGKILL at a random moment, and a fresh process restores and verifies.
if(NOT LORVANE_TESTS)
  return()
endif()
add_executable(lorvane_crash tests/crash/crash.cpp)
target_link_libraries(lorvane_crash PRIVATE lorvane_workspace)
foreach(seed RANGE 1 20)
  add_test(NAME crash.kill_and_restore_${seed} COMMAND lorvane_crash drive ${seed} 2)
  set_tests_properties(crash.kill_and_restore_${seed} PROPERTIES TIMEOUT 120)
endforeach()
