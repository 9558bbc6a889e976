# The live preview, PDF export and printing run on the browser engine, which
# only the module liblorvane_webengine.so links: the program loads it on first
# need (PreviewEngine), so a session of plain text never maps the engine.
find_package(Qt6 REQUIRED COMPONENTS WebEngineWidgets WebChannel)
file(GLOB_RECURSE _engine_sources CONFIGURE_DEPENDS src/views/webengine/*.cpp src/views/webengine/*.h)
list(FILTER _engine_sources EXCLUDE REGEX "/webengine/module/")
# Everything but the module's entry; test and benchmark programs link it in.
# It builds against the views' headers without linking them: in the module,
# the program's own copy is used.
add_library(lorvane_webengine_parts STATIC ${_engine_sources})
set_target_properties(lorvane_webengine_parts PROPERTIES POSITION_INDEPENDENT_CODE ON)
target_include_directories(lorvane_webengine_parts PUBLIC $<TARGET_PROPERTY:lorvane_views,INTERFACE_INCLUDE_DIRECTORIES>)
target_compile_definitions(lorvane_webengine_parts PUBLIC $<TARGET_PROPERTY:lorvane_views,INTERFACE_COMPILE_DEFINITIONS>)
# The preview reports clicks to the editor over a channel only the application's script world sees.
target_link_libraries(lorvane_webengine_parts PUBLIC Qt6::WebEngineWidgets Qt6::WebChannel Qt6::Widgets)

add_library(lorvane_webengine MODULE src/views/webengine/module/ModuleEntry.cpp)
target_link_libraries(lorvane_webengine PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,lorvane_webengine_parts>")
set_target_properties(lorvane_webengine PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
add_dependencies(lorvane lorvane_webengine)

# Where the program looks for it: beside itself (a build), else the installed
# private folder, named relative to the program so nothing names this tree.
# A private library in the package's own folder under the architecture's
# (no ldconfig, nothing else links it).
if(CMAKE_LIBRARY_ARCHITECTURE)
  set(LORVANE_ENGINE_INSTALL_DIR lib/${CMAKE_LIBRARY_ARCHITECTURE}/lorvane)
else()
  set(LORVANE_ENGINE_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/lorvane)
endif()
file(RELATIVE_PATH _engine_rel ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}
  ${CMAKE_INSTALL_PREFIX}/${LORVANE_ENGINE_INSTALL_DIR})
set_source_files_properties(src/views/preview/PreviewEngine.cpp PROPERTIES COMPILE_DEFINITIONS
  "LORVANE_ENGINE_MODULE=\"$<TARGET_FILE_NAME:lorvane_webengine>\";LORVANE_ENGINE_DIR=\"${_engine_rel}\"")
install(TARGETS lorvane_webengine LIBRARY DESTINATION ${LORVANE_ENGINE_INSTALL_DIR})
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment --remove-section=.note
      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${LORVANE_ENGINE_INSTALL_DIR}/$<TARGET_FILE_NAME:lorvane_webengine>\"
      COMMAND_ERROR_IS_FATAL ANY)
  endif()")
if(TARGET lorvane_cli_tests)
  add_dependencies(lorvane_cli_tests lorvane_webengine)
endif()

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
qt_add_resources(lorvane_webengine_parts "mermaid" PREFIX "/" BASE ${CMAKE_BINARY_DIR}/assets/mermaid
  FILES ${_mermaid_dir}/mermaid.min.js)

if(LORVANE_TESTS)
  # The program itself never links the browser engine.
  add_test(NAME lorvane.linksNoBrowserEngine
    COMMAND sh -c "readelf -d \"$1\" | grep -i webengine && exit 1 || exit 0" sh $<TARGET_FILE:lorvane>)
endif()
