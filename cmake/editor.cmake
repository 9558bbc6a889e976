# The Plex fonts are fetched from npm (never committed) and shipped in a
# "Fonts" folder next to the executable.
set(LORVANE_FONTS_SRC ${CMAKE_SOURCE_DIR}/resources/Fonts)
if(NOT EXISTS ${LORVANE_FONTS_SRC}/IBMPlexMono-Regular.ttf AND EXISTS ${CMAKE_SOURCE_DIR}/resources/fetch-fonts.sh)
  execute_process(COMMAND ${CMAKE_SOURCE_DIR}/resources/fetch-fonts.sh RESULT_VARIABLE _fonts_rc)
  if(NOT _fonts_rc EQUAL 0)
    message(WARNING "Fonts could not be fetched; the editor falls back to system fonts")
  endif()
endif()
add_custom_target(lorvane_fonts ALL
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/Fonts
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${LORVANE_FONTS_SRC} ${CMAKE_BINARY_DIR}/Fonts
  COMMENT "Copying fonts next to the executable")
add_dependencies(lorvane lorvane_fonts)
if(TARGET lorvane_ui_tests)
  add_dependencies(lorvane_ui_tests lorvane_fonts)
endif()
