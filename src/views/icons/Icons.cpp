#include "Icons.h"
#include <QFile>
#include <QHash>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#include <algorithm>

namespace Icons {

QString lucideName(const QString& symbol)
{
    static const QHash<QString, QString> map = {
#define ICON(symbol, file) {QStringLiteral(symbol), QStringLiteral(file)},
#include "views/icons/IconMap.inc"
#undef ICON
    };
    return map.value(symbol);
}

QIcon icon(const QString& symbol, int size)
{
    const QString stem = lucideName(symbol);
    if (stem.isEmpty())
        return {};
    QFile f(QStringLiteral(":/icons/") + stem + QStringLiteral(".svg"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QByteArray svg = f.readAll();
    // Lucide strokes with currentColor; draw black so buttons can tint the mask.
    svg.replace("currentColor", "#000000");
    QSvgRenderer r(svg);
    if (!r.isValid())
        return {};
    QIcon out;
    for (int scale : {1, 2}) {
        QPixmap pm(size * scale, size * scale);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        r.render(&p);
        p.end();
        pm.setDevicePixelRatio(scale);
        out.addPixmap(pm);
    }
    return out;
}

bool paint(QPainter& p, const QString& symbol, const QRect& r, const QColor& color)
{
    const QIcon base = icon(symbol, std::max(r.width(), r.height()));
    if (base.isNull())
        return false;
    const qreal dpr = p.device() ? p.device()->devicePixelRatioF() : 1.0;
    QPixmap tinted = base.pixmap(r.size(), dpr);
    QPainter t(&tinted);
    t.setCompositionMode(QPainter::CompositionMode_SourceIn);
    t.fillRect(tinted.rect(), color);
    t.end();
    p.drawPixmap(r, tinted);
    return true;
}

}
