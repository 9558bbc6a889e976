#include "views/window/AppIcon.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace AppIcon {

QIcon icon()
{
    QSvgRenderer svg(QStringLiteral(":/lorvane.svg"));
    if (!svg.isValid())
        return {};
    QIcon out;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        svg.render(&p);
        p.end();
        out.addPixmap(pixmap);
    }
    return out;
}

}
