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

configure_file(${R}/lorvane.1 ${CMAKE_BINARY_DIR}/lorvane.1 @ONLY)

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
debian_license_text(${CMAKE_SOURCE_DIR}/third_party/qscintilla/scintilla/include/License.txt SCINTILLA_LICENSE)
configure_file(${R}/copyright.in ${CMAKE_BINARY_DIR}/copyright @ONLY)

install(TARGETS lorvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${R}/${APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${R}/${APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${R}/lorvane-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME lorvane.xml)
install(FILES ${R}/lorvane.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_BINARY_DIR}/lorvane-256.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps
  RENAME lorvane.png)
install(FILES ${CMAKE_BINARY_DIR}/lorvane.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_BINARY_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/lorvane)

set(CPACK_PACKAGE_NAME lorvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Lorvane developers")
set(CPACK_PACKAGE_CONTACT "The Lorvane developers <maintainers@lorvane.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "plain and structured text editor with live preview")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "plain and structured text editor with live preview
 Lorvane edits plain text, Markdown, PlantUML, JSON, YAML, TOML and CSV in one
 window, with line numbers, find and replace, multi-caret editing, checks while
 typing and a live HTML preview. Its user interface is in Chinese (zh-CN).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "plantuml, graphviz, default-jre-headless, bubblewrap, fonts-noto-cjk, fonts-noto-color-emoji, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://lorvane.org/")
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR})
include(CPack)
if(TARGET lorvane_cli_tests)
  target_compile_definitions(lorvane_cli_tests PRIVATE LORVANE_MAN_PAGE="${R}/lorvane.1")
endif()
