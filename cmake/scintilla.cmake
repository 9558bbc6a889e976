# The editing component: QScintilla's Qt layer over Scintilla, built from
# the sources in third_party/qscintilla (Debian's 2.13.3 and our patches to
# it, listed in its README) so that the layout of very long lines can be tuned.
option(LORVANE_SYSTEM_QSCINTILLA
  "Link Debian's libqscintilla2-qt6 instead of third_party/qscintilla (without our engine changes: much slower on very long lines)" OFF)
if(LORVANE_SYSTEM_QSCINTILLA)
  find_path(QSCINTILLA_INCLUDE_DIR Qsci/qsciscintillabase.h PATH_SUFFIXES qt6 ${CMAKE_LIBRARY_ARCHITECTURE}/qt6 REQUIRED)
  find_library(QSCINTILLA_LIBRARY NAMES qscintilla2_qt6 REQUIRED)
  add_library(qscintilla UNKNOWN IMPORTED)
  set_target_properties(qscintilla PROPERTIES IMPORTED_LOCATION ${QSCINTILLA_LIBRARY}
    INTERFACE_SYSTEM_INCLUDE_DIRECTORIES ${QSCINTILLA_INCLUDE_DIR}
    INTERFACE_INCLUDE_DIRECTORIES ${QSCINTILLA_INCLUDE_DIR})
  target_link_libraries(qscintilla INTERFACE Qt6::Widgets)
  # Its header lacks the messages our engine changes add.
  target_compile_definitions(qscintilla INTERFACE LORVANE_SYSTEM_QSCINTILLA)
else()
  set(_sci ${CMAKE_SOURCE_DIR}/third_party/qscintilla)
  file(GLOB _sci_core ${_sci}/scintilla/src/*.cpp ${_sci}/scintilla/lexlib/*.cpp)
  add_library(qscintilla STATIC
    ${_sci_core}
    ${_sci}/src/qsciscintillabase.cpp ${_sci}/src/Qsci/qsciscintillabase.h
    ${_sci}/src/ScintillaQt.cpp ${_sci}/src/ScintillaQt.h
    ${_sci}/src/PlatQt.cpp
    ${_sci}/src/SciClasses.cpp ${_sci}/src/SciClasses.h
    ${_sci}/src/ListBoxQt.cpp
    ${_sci}/src/InputMethod.cpp
    ${_sci}/src/SciAccessibility.cpp ${_sci}/src/SciAccessibility.h)
  set_target_properties(qscintilla PROPERTIES AUTOMOC ON POSITION_INDEPENDENT_CODE ON CXX_STANDARD 17)
  target_compile_definitions(qscintilla PRIVATE SCINTILLA_QT INCLUDE_DEPRECATED_FEATURES)
  # Not a system directory: -I comes before every -isystem, so Debian's Qsci
  # headers beside Qt's never stand in for ours.
  target_include_directories(qscintilla PUBLIC ${_sci}/src)
  target_include_directories(qscintilla PRIVATE
    ${_sci}/scintilla/include ${_sci}/scintilla/lexlib ${_sci}/scintilla/src)
  target_link_libraries(qscintilla PUBLIC Qt6::Widgets)
  # Built with our warnings. The few upstream's own code gives (Qt 5 event
  # accessors deprecated in Qt 6, two in its input method handling) are
  # silenced in the files they come from; our patches add none.
  set_source_files_properties(${_sci}/src/qsciscintillabase.cpp ${_sci}/src/SciClasses.cpp
    PROPERTIES COMPILE_OPTIONS -Wno-deprecated-declarations)
  set_source_files_properties(${_sci}/src/InputMethod.cpp
    PROPERTIES COMPILE_OPTIONS "-Wno-unused-variable;-Wno-sign-compare")
endif()
target_link_libraries(lorvane_editor PUBLIC qscintilla)
