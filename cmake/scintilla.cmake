# The editing component: QScintilla for Qt 6 (Debian libqscintilla2-qt6-dev).
find_library(QSCINTILLA_LIBRARY NAMES qscintilla2_qt6 REQUIRED)
get_target_property(_qt_core_includes Qt6::Core INTERFACE_INCLUDE_DIRECTORIES)
find_path(QSCINTILLA_INCLUDE_DIR Qsci/qsciscintillabase.h
  HINTS ${_qt_core_includes} /usr/include/x86_64-linux-gnu/qt6 /usr/include/qt6
  PATH_SUFFIXES .. REQUIRED)
target_include_directories(lorvane_ui SYSTEM PUBLIC ${QSCINTILLA_INCLUDE_DIR})
target_link_libraries(lorvane_ui PUBLIC ${QSCINTILLA_LIBRARY})
