# The editing component: QScintilla's Qt layer over Scintilla, built from the
# sources in third_party/qscintilla (2.13.3, as Debian ships it) so that the
# layout of very long lines can be tuned.
set(_sci ${CMAKE_SOURCE_DIR}/third_party/qscintilla)
file(GLOB _sci_core ${_sci}/scintilla/src/*.cpp)
add_library(qscintilla STATIC
  ${_sci_core}
  ${_sci}/qt/qsciscintillabase.cpp ${_sci}/qt/Qsci/qsciscintillabase.h
  ${_sci}/qt/ScintillaQt.cpp ${_sci}/qt/ScintillaQt.h
  ${_sci}/qt/PlatQt.cpp
  ${_sci}/qt/SciClasses.cpp ${_sci}/qt/SciClasses.h
  ${_sci}/qt/ListBoxQt.cpp
  ${_sci}/qt/InputMethod.cpp
  ${_sci}/qt/SciAccessibility.cpp ${_sci}/qt/SciAccessibility.h)
set_target_properties(qscintilla PROPERTIES AUTOMOC ON POSITION_INDEPENDENT_CODE ON CXX_STANDARD 17)
target_compile_definitions(qscintilla PRIVATE SCINTILLA_QT INCLUDE_DEPRECATED_FEATURES)
target_include_directories(qscintilla SYSTEM PUBLIC ${_sci}/qt)
target_include_directories(qscintilla PRIVATE ${_sci}/scintilla/include ${_sci}/scintilla/src)
target_link_libraries(qscintilla PUBLIC Qt6::Widgets)
# Third-party code: its own warnings are not ours to fix.
target_compile_options(qscintilla PRIVATE -w)
target_link_libraries(lorvane_ui PUBLIC qscintilla)
