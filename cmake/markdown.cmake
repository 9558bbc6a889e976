# The Markdown golden corpus travels inside the test binary.
qt_add_resources(lorvane_tests markdown_golden
  PREFIX /golden
  BASE ${CMAKE_SOURCE_DIR}/tests/core/golden
  FILES ${CMAKE_SOURCE_DIR}/tests/core/golden/markdown.json)
