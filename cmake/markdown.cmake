# Markdown is parsed by cmark-gfm with its GitHub extensions.
find_package(PkgConfig REQUIRED)
pkg_check_modules(CMARK_GFM REQUIRED IMPORTED_TARGET libcmark-gfm)
target_link_libraries(lorvane_formats PUBLIC PkgConfig::CMARK_GFM)

if(TARGET lorvane_tests)
  # The Markdown golden corpus travels inside the test binary.
  qt_add_resources(lorvane_tests markdown_golden
    PREFIX /golden
    BASE ${CMAKE_SOURCE_DIR}/tests/core/golden
    FILES ${CMAKE_SOURCE_DIR}/tests/core/golden/markdown.json)

  # The CommonMark and GFM examples with their licences (tests/core/conformance).
  qt_add_resources(lorvane_tests markdown_conformance
    PREFIX /conformance
    BASE ${CMAKE_SOURCE_DIR}/tests/core/conformance
    FILES ${CMAKE_SOURCE_DIR}/tests/core/conformance/commonmark.json
          ${CMAKE_SOURCE_DIR}/tests/core/conformance/gfm.json)
endif()
