#include "views/controls/CardShadow.h"

#include <QPainter>

namespace CardShadow {

void paint(QPainter& p, const QRect& card, qreal radius, int offsetY, int spread, int alpha)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    const QRectF base = QRectF(card).translated(0, offsetY);
    // Rings from the outside in, each a little darker: a cheap blur.
    for (int i = spread; i > 0; --i) {
        const qreal t = qreal(spread - i + 1) / spread;
        p.setBrush(QColor(0, 0, 0, int(alpha * t * t / spread * 2)));
        p.drawRoundedRect(base.adjusted(-i, -i, i, i), radius + i, radius + i);
    }
    p.restore();
}

}
