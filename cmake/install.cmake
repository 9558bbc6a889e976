# Install layout of a Linux application, and a Debian package of it.
include(GNUInstallDirs)
set(R ${CMAKE_SOURCE_DIR}/resources)
set(APP_ID org.lorvane.Lorvane)

# The 256-px icon is rendered from the SVG at build time.
find_package(Qt6 REQUIRED COMPONENTS Svg)
add_executable(render_icon tools/render_icon.cpp)
target_link_libraries(render_icon PRIVATE Qt6::Gui Qt6::Svg)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/lorvane-256.png
  COMMAND render_icon ${R}/lorvane.svg ${CMAKE_BINARY_DIR}/lorvane-256.png 256
  DEPENDS render_icon ${R}/lorvane.svg
  COMMENT "Rendering the application icon")
add_custom_target(lorvane_icon_png ALL DEPENDS ${CMAKE_BINARY_DIR}/lorvane-256.png)

# The window icon is drawn from the same SVG, compiled into the program.
foreach(target lorvane lorvane_ui_tests)
  if(TARGET ${target})
    qt_add_resources(${target} "appicon" PREFIX "/" BASE ${R} FILES ${R}/lorvane.svg)
  endif()
endforeach()

configure_file(${R}/lorvane.1 ${CMAKE_BINARY_DIR}/lorvane.1 @ONLY)
# Man page and changelog are installed compressed as Debian wants them, without
# a name or time in the gzip header so that two builds give the same bytes.
foreach(doc lorvane.1 changelog)
  if(doc STREQUAL "lorvane.1")
    set(_src ${CMAKE_BINARY_DIR}/lorvane.1)
  else()
    set(_src ${R}/changelog)
  endif()
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/${doc}.gz
    COMMAND gzip -9 -n -c ${_src} > ${CMAKE_BINARY_DIR}/${doc}.gz
    DEPENDS ${_src} VERBATIM)
  list(APPEND _docs_gz ${CMAKE_BINARY_DIR}/${doc}.gz)
endforeach()
add_custom_target(lorvane_docs_gz ALL DEPENDS ${_docs_gz})

# Machine-readable copyright with the fonts' and icons' licence texts.
function(debian_license_text file out)
  file(READ ${file} text)
  string(REGEX REPLACE "\r" "" text "${text}")
  string(REGEX REPLACE "\n+$" "" text "${text}")
  string(REGEX REPLACE "\n[ \t]*\n" "\n.\n" text "${text}")
  string(REGEX REPLACE "\n[ \t]*\n" "\n.\n" text "${text}")
  string(REGEX REPLACE "\n" "\n " text "${text}")
  set(${out} " ${text}" PARENT_SCOPE)
endfunction()
debian_license_text(${R}/licenses/plex-sans.txt PLEX_LICENSE)
debian_license_text(${R}/licenses/lucide-static.txt LUCIDE_LICENSE)
debian_license_text(${R}/licenses/mermaid.txt MERMAID_LICENSE)
debian_license_text(${R}/licenses/highlight.js.txt HIGHLIGHT_LICENSE)
debian_license_text(${R}/licenses/katex.txt KATEX_LICENSE)
debian_license_text(${CMAKE_SOURCE_DIR}/third_party/qscintilla/scintilla/include/License.txt SCINTILLA_LICENSE)
configure_file(${R}/copyright.in ${CMAKE_BINARY_DIR}/copyright @ONLY)

install(TARGETS lorvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# A stripped install also loses the compiler's notes, which only name it.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment --remove-section=.note
      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/lorvane\" COMMAND_ERROR_IS_FATAL ANY)
  endif()")
install(FILES ${R}/${APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${R}/${APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${R}/${APP_ID}.service DESTINATION ${CMAKE_INSTALL_DATADIR}/dbus-1/services)
install(FILES ${R}/lorvane-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME lorvane.xml)
install(FILES ${R}/lorvane.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_BINARY_DIR}/lorvane-256.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps
  RENAME lorvane.png)
install(FILES ${CMAKE_BINARY_DIR}/lorvane.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_BINARY_DIR}/copyright ${CMAKE_BINARY_DIR}/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/lorvane)

set(CPACK_PACKAGE_NAME lorvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Lorvane developers")
set(CPACK_PACKAGE_CONTACT "The Lorvane developers <maintainers@lorvane.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "plain and structured text editor with live preview")
# CPack puts the summary above this and indents each line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Lorvane edits plain text, Markdown, PlantUML, JSON, YAML, TOML and CSV in one
window, with line numbers, find and replace, multi-caret editing, checks while
typing and a live HTML preview. Its user interface is in Chinese (zh-CN).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Besides the libraries: a CJK font, without which every label of the Chinese
# interface is boxes (the embedded Plex fonts have no CJK glyphs).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk")
# A Qt 6 program reaches fcitx5 only through its Qt 6 frontend.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "fcitx5-frontend-qt6 | ibus, plantuml, graphviz, default-jre-headless, bubblewrap, fonts-noto-color-emoji, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://lorvane.org/")
include(CPack)
if(TARGET lorvane_tests)
  target_compile_definitions(lorvane_tests PRIVATE LORVANE_RESOURCES="${R}")
endif()
if(TARGET lorvane_cli_tests)
  target_compile_definitions(lorvane_cli_tests PRIVATE LORVANE_MAN_PAGE="${R}/lorvane.1")
endif()
