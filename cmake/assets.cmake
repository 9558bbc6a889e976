# Fonts, icons and their licences come from pinned npm packages (never
# committed) and are compiled into the program, so a build-folder binary, a
# moved copy and an installed one draw the same.
set(LORVANE_ICON_MAP ${CMAKE_SOURCE_DIR}/src/views/icons/IconMap.inc)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  ${LORVANE_ICON_MAP} ${CMAKE_SOURCE_DIR}/resources/fetch-assets.sh)
execute_process(COMMAND ${CMAKE_SOURCE_DIR}/resources/fetch-assets.sh RESULT_VARIABLE _assets_rc)
if(NOT _assets_rc EQUAL 0)
  message(FATAL_ERROR "Fonts and icons could not be fetched (see above); ./lorvane.sh setup installs what is needed")
endif()

file(GLOB LORVANE_FONT_FILES ${CMAKE_SOURCE_DIR}/resources/Fonts/*.ttf)
qt_add_resources(lorvane_workspace "fonts" PREFIX "/" BASE ${CMAKE_SOURCE_DIR}/resources
  FILES ${LORVANE_FONT_FILES})

file(STRINGS ${LORVANE_ICON_MAP} _icon_rows REGEX "^ICON\\(")
set(LORVANE_ICON_FILES)
foreach(row ${_icon_rows})
  string(REGEX REPLACE "^ICON\\(\"[^\"]*\", *\"([^\"]*)\"\\).*" "${CMAKE_SOURCE_DIR}/resources/icons/\\1.svg" file "${row}")
  list(APPEND LORVANE_ICON_FILES ${file})
endforeach()
list(REMOVE_DUPLICATES LORVANE_ICON_FILES)
qt_add_resources(lorvane_views "icons" PREFIX "/" BASE ${CMAKE_SOURCE_DIR}/resources
  FILES ${LORVANE_ICON_FILES})
if(TARGET lorvane_ui_tests)
  target_compile_definitions(lorvane_ui_tests PRIVATE LORVANE_ICON_MAP="${LORVANE_ICON_MAP}")
endif()
