# Raw HTML is parsed by gumbo, an HTML5 tree builder, as a browser would parse it.
find_package(PkgConfig REQUIRED)
pkg_check_modules(GUMBO REQUIRED IMPORTED_TARGET gumbo)
target_link_libraries(lorvane_formats PRIVATE PkgConfig::GUMBO)

if(TARGET lorvane_tests)
  # The tests compare HTML as trees, read by the same parser.
  target_link_libraries(lorvane_tests PRIVATE PkgConfig::GUMBO)
endif()
