#pragma once

#include <QRectF>

class QPainter;
class QWidget;

// Keyboard reach inside sheets, dialogs and popups: the focus ring every
// control draws while it has the keyboard, Tab kept inside its panel, and
// groups of choices (format tiles, tag chips) that take one Tab stop and
// move with the arrow keys.
namespace FocusRing {

// Two points of accent just inside `r`.
void paint(QPainter& p, const QRectF& r, double radius);

// Moves the keyboard to the next or previous control inside `scope`,
// wrapping at the ends; a group counts once (its focused, default or first
// member). False when the scope has nothing to focus.
bool cycle(QWidget* scope, bool forward);
// The first control of `scope` that Tab would reach, or null.
QWidget* first(QWidget* scope);

// Makes `w` a member of the named group among its siblings. `columns` is
// how far Up and Down move in a grid.
void join(QWidget* w, const char* group, int columns = 1);
// The member that takes the group's Tab stop when none has the keyboard.
void setDefault(QWidget* w, bool on);
// Moves the keyboard within the group of `from`: Left/Right by one,
// Up/Down by a row; true when the key was one of these.
bool arrow(QWidget* from, int key);

}
