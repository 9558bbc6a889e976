# The preview reports clicks to the editor over a channel only the application's script world sees.
find_package(Qt6 REQUIRED COMPONENTS WebChannel)
target_link_libraries(lorvane_views PUBLIC Qt6::WebChannel)

# The pinned mermaid script the hidden diagram page runs (fetch-assets.sh, or
# mermaid.min.js in LORVANE_ASSET_DIR); without it diagrams show an error.
set(_mermaid_dir ${CMAKE_BINARY_DIR}/assets/mermaid/scripts)
file(MAKE_DIRECTORY ${_mermaid_dir})
if(LORVANE_ASSET_DIR)
  file(GLOB_RECURSE _mermaid ${LORVANE_ASSET_DIR}/mermaid.min.js)
else()
  set(_mermaid ${CMAKE_SOURCE_DIR}/resources/Scripts/mermaid.min.js)
endif()
if(_mermaid)
  list(GET _mermaid 0 _mermaid)
  configure_file(${_mermaid} ${_mermaid_dir}/mermaid.min.js COPYONLY)
else()
  message(WARNING "mermaid.min.js is not in LORVANE_ASSET_DIR: diagrams in the preview show an error")
  file(WRITE ${_mermaid_dir}/mermaid.min.js "")
endif()
qt_add_resources(lorvane_views "mermaid" PREFIX "/" BASE ${CMAKE_BINARY_DIR}/assets/mermaid
  FILES ${_mermaid_dir}/mermaid.min.js)
