#pragma once

#include "plugins/ViewMode.h"

#include <QString>

// What the window shows for a view mode: the menu's and button's title and
// the button's icon name (views/icons).
namespace ViewModeLabels {
QString title(ViewMode mode);
QString icon(ViewMode mode);
}
