#pragma once

#include <QList>

// The view zoom of the editor and the preview, in percent; a session's
// state beside the font-size setting, not a setting itself.
namespace Zoom {
constexpr int normal = 100;
// The browser's steps, so that the editor and the page scale alike.
const QList<int>& steps();
// The step after `percent` in the direction of `by` (1 larger, -1 smaller),
// kept at the ends; 0 goes back to normal. A value between steps goes to the
// next step in that direction.
int step(int percent, int by);
}
