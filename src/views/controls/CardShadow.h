#pragma once

#include <QRect>

class QPainter;

// A soft shadow under a rounded card, painted by the layer that holds the card.
// Graphics effects on the card itself would route every caret blink of its
// fields through an offscreen copy, which leaves stale blocks over the text.
namespace CardShadow {
void paint(QPainter& p, const QRect& card, qreal radius, int offsetY, int spread, int alpha);
}
