# Fonts (from pinned npm packages or LORVANE_ASSET_DIR, never committed) and
# icons (committed, from the same npm package) are compiled into the program,
# so a build-folder binary, a moved copy and an installed one draw the same.
set(LORVANE_ICON_MAP ${CMAKE_SOURCE_DIR}/src/views/icons/IconMap.inc)
set(LORVANE_FONT_NAMES IBMPlexSans-Regular IBMPlexSans-Medium IBMPlexSans-SemiBold
  IBMPlexMono-Regular IBMPlexMono-Medium)
set(LORVANE_ASSET_DIR "" CACHE PATH
  "Take the fonts from this folder (searched by file name) instead of fetching them; the icons are in the source tree")
set(_fonts ${CMAKE_BINARY_DIR}/assets/Fonts)
file(MAKE_DIRECTORY ${_fonts})
if(LORVANE_ASSET_DIR)
  foreach(font ${LORVANE_FONT_NAMES})
    file(GLOB_RECURSE _found ${LORVANE_ASSET_DIR}/${font}.ttf)
    if(NOT _found)
      message(FATAL_ERROR "${font}.ttf is not in LORVANE_ASSET_DIR (${LORVANE_ASSET_DIR})")
    endif()
    list(GET _found 0 _found)
    configure_file(${_found} ${_fonts}/${font}.ttf COPYONLY)
  endforeach()
else()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
    ${LORVANE_ICON_MAP} ${CMAKE_SOURCE_DIR}/resources/fetch-assets.sh)
  execute_process(COMMAND ${CMAKE_SOURCE_DIR}/resources/fetch-assets.sh RESULT_VARIABLE _assets_rc)
  if(NOT _assets_rc EQUAL 0)
    message(FATAL_ERROR "Fonts could not be fetched (see above); ./lorvane.sh setup installs what is needed, "
      "or -DLORVANE_ASSET_DIR=DIR takes them from a folder")
  endif()
  foreach(font ${LORVANE_FONT_NAMES})
    configure_file(${CMAKE_SOURCE_DIR}/resources/Fonts/${font}.ttf ${_fonts}/${font}.ttf COPYONLY)
  endforeach()
endif()

set(LORVANE_FONT_FILES)
foreach(font ${LORVANE_FONT_NAMES})
  list(APPEND LORVANE_FONT_FILES ${_fonts}/${font}.ttf)
endforeach()
qt_add_resources(lorvane_workspace "fonts" PREFIX "/" BASE ${CMAKE_BINARY_DIR}/assets
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
