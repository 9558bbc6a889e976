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

# The preview's renderers (fetch-assets.sh, or found in LORVANE_ASSET_DIR by
# these names): highlight.js bundled into one script and KaTeX's script run
# by the formats' script engine; KaTeX's style sheet (whose classes its
# output may keep) and fonts go into the page. Without them code blocks stay plain and formulas show their source.
set(_scripts ${CMAKE_BINARY_DIR}/assets/scripts)
file(MAKE_DIRECTORY ${_scripts}/katex-fonts)
set(_script_names highlight.js katex.js katex.css)
set(LORVANE_SCRIPT_FILES)
foreach(name ${_script_names})
  if(LORVANE_ASSET_DIR)
    file(GLOB_RECURSE _found ${LORVANE_ASSET_DIR}/${name})
  else()
    set(_found ${CMAKE_SOURCE_DIR}/resources/Scripts/${name})
  endif()
  if(_found)
    list(GET _found 0 _found)
    configure_file(${_found} ${_scripts}/${name} COPYONLY)
  else()
    message(WARNING "${name} is not in LORVANE_ASSET_DIR: the preview shows code and formulas plain")
    file(WRITE ${_scripts}/${name} "")
  endif()
endforeach()
if(LORVANE_ASSET_DIR)
  file(GLOB_RECURSE _katex_fonts ${LORVANE_ASSET_DIR}/KaTeX_*.woff2)
else()
  file(GLOB _katex_fonts ${CMAKE_SOURCE_DIR}/resources/Scripts/katex-fonts/KaTeX_*.woff2)
endif()
set(LORVANE_KATEX_FONTS)
foreach(font ${_katex_fonts})
  get_filename_component(_name ${font} NAME)
  configure_file(${font} ${_scripts}/katex-fonts/${_name} COPYONLY)
  list(APPEND LORVANE_KATEX_FONTS ${_scripts}/katex-fonts/${_name})
endforeach()
qt_add_resources(lorvane_formats "scripts" PREFIX "/" BASE ${CMAKE_BINARY_DIR}/assets
  FILES ${_scripts}/highlight.js ${_scripts}/katex.js ${_scripts}/katex.css ${LORVANE_KATEX_FONTS})

set(LORVANE_FONT_FILES)
foreach(font ${LORVANE_FONT_NAMES})
  list(APPEND LORVANE_FONT_FILES ${_fonts}/${font}.ttf)
endforeach()
qt_add_resources(lorvane_render "fonts" PREFIX "/" BASE ${CMAKE_BINARY_DIR}/assets
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
