#include "Icons.h"
#include <QCoreApplication>
#include <QDir>
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
        {QStringLiteral("magnifyingglass"), QStringLiteral("search")},
        {QStringLiteral("xmark"), QStringLiteral("x")},
        {QStringLiteral("plus"), QStringLiteral("plus")},
        {QStringLiteral("eye"), QStringLiteral("eye")},
        {QStringLiteral("gearshape"), QStringLiteral("settings")},
        {QStringLiteral("chevron.down"), QStringLiteral("chevron-down")},
        {QStringLiteral("chevron.up"), QStringLiteral("chevron-up")},
        {QStringLiteral("rectangle.split.2x1"), QStringLiteral("columns-2")},
        {QStringLiteral("square.grid.2x2"), QStringLiteral("layout-grid")},
        {QStringLiteral("exclamationmark.triangle"), QStringLiteral("triangle-alert")},
        {QStringLiteral("arrow.left.arrow.right"), QStringLiteral("arrow-left-right")},
        {QStringLiteral("arrow.up.left.and.arrow.down.right"), QStringLiteral("maximize-2")},
        {QStringLiteral("arrow.down.right.and.arrow.up.left"), QStringLiteral("minimize-2")},
        {QStringLiteral("text.word.spacing"), QStringLiteral("whole-word")},
        {QStringLiteral("text.line.last.and.arrowtriangle.forward"), QStringLiteral("wrap-text")},
        {QStringLiteral("sidebar.left"), QStringLiteral("panel-left")},
        {QStringLiteral("checkmark"), QStringLiteral("check")},
        {QStringLiteral("chevron.right"), QStringLiteral("chevron-right")},
        {QStringLiteral("tag"), QStringLiteral("tag")},
    };
    return map.value(symbol);
}

QString iconDir()
{
    const QString env = qEnvironmentVariable("LORVANE_ICON_DIR");
    if (!env.isEmpty()) return env;
#ifdef LORVANE_SOURCE_DIR
    const QString src = QStringLiteral(LORVANE_SOURCE_DIR "/resources/icons");
    if (QDir(src).exists()) return src;
#endif
    return QCoreApplication::applicationDirPath() + QStringLiteral("/icons");
}

QIcon icon(const QString& symbol, int size)
{
    const QString stem = lucideName(symbol);
    if (stem.isEmpty()) return {};
    QFile f(iconDir() + QLatin1Char('/') + stem + QStringLiteral(".svg"));
    if (!f.open(QIODevice::ReadOnly)) return {};
    QByteArray svg = f.readAll();
    // Lucide strokes with currentColor; draw black so buttons can tint the mask.
    svg.replace("currentColor", "#000000");
    QSvgRenderer r(svg);
    if (!r.isValid()) return {};
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
