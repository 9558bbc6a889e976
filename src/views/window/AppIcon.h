#pragma once
#include <QIcon>

// The application's own icon, rendered from the SVG compiled into the program
// at the sizes panels and window switchers ask for (no icon theme, no SVG
// icon engine plugin needed). Null when the SVG is missing or unreadable.
namespace AppIcon {
QIcon icon();
}
