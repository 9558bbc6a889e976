#pragma once
#include <QIcon>
#include <QString>

class QPainter;
class QRect;
class QColor;

// Symbols are named as in the design (e.g. "magnifyingglass"); each maps to a
// Lucide SVG listed in IconMap.inc and compiled into the program.
namespace Icons {
// Lucide file stem for a symbol name, or an empty string when unmapped.
QString lucideName(const QString& symbol);
// Rendered icon, or a null icon when the symbol is unknown or its file missing.
QIcon icon(const QString& symbol, int size = 13);
// Draws the symbol into r in one colour; false when it cannot be drawn.
bool paint(QPainter& p, const QString& symbol, const QRect& r, const QColor& color);
}
