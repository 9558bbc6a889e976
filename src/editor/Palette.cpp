#include "editor/Palette.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPalette>

QColor DynamicColor::resolve(bool dark) const
{
    QColor c = QColor::fromRgb(dark ? dark_ : light_);
    c.setAlphaF(float(alpha_));
    return c;
}

QColor DynamicColor::resolve() const { return resolve(Palette::isDark()); }

AppearanceNotifier& AppearanceNotifier::shared()
{
    static AppearanceNotifier* n = [] {
        auto* x = new AppearanceNotifier;
        if (qApp)
            qApp->installEventFilter(x);
        return x;
    }();
    return *n;
}

bool AppearanceNotifier::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange && !Palette::appearance())
        emit appearanceChanged();
    return false;
}

namespace Palette {

namespace {
std::optional<bool>& forced()
{
    static std::optional<bool> v;
    return v;
}
}

#define LORVANE_COLOR(name, l, d)          \
    const DynamicColor& name()             \
    {                                      \
        static const DynamicColor c(l, d); \
        return c;                          \
    }

// The text colours (fg2, fg3, accent, danger) are dark enough in light and light enough
// in dark for 4.5:1 on every background they are drawn on (window, sidebar, hover,
// selection, the accent tint of switched-on controls).
LORVANE_COLOR(window, 0xf7f8f9, 0x1d2024)
LORVANE_COLOR(sidebar, 0xeef0f2, 0x191b1f)
LORVANE_COLOR(line, 0xdcdfe3, 0x2c3036)
LORVANE_COLOR(fg, 0x1f2329, 0xe3e6ea)
LORVANE_COLOR(fg2, 0x4b525b, 0xa9b0b9)
LORVANE_COLOR(fg3, 0x5e646e, 0x9298a1)
LORVANE_COLOR(hover, 0xe2e5e9, 0x262a30)
LORVANE_COLOR(selection, 0xd9e4e2, 0x23332f)
LORVANE_COLOR(accent, 0x387068, 0x6fb2a7)
LORVANE_COLOR(danger, 0xa34a43, 0xe07b70)
LORVANE_COLOR(accentFg, 0xffffff, 0x0f1513)
LORVANE_COLOR(mark, 0xf1dfa6, 0x5a4b20)
LORVANE_COLOR(markCurrent, 0xe5c06a, 0x8a6d23)
#undef LORVANE_COLOR

const DynamicColor& errorLine()
{
    static const DynamicColor c = danger().withAlpha(0.12);
    return c;
}

const QList<QColor>& tagColors()
{
    static const QList<QColor> c = {QColor(0x6f8fb0), QColor(0xb08a5a), QColor(0x7d9a73), QColor(0xa0708a),
                                    QColor(0x8c8a6a), QColor(0x6a8c8a), QColor(0x8a6a8c), QColor(0x9a7d6a)};
    return c;
}

bool isDark()
{
    if (forced())
        return *forced();
    if (!qGuiApp)
        return false;
    const QColor w = QGuiApplication::palette().color(QPalette::Window);
    return w.lightnessF() < 0.5;
}

void setAppearance(std::optional<bool> dark)
{
    if (forced() == dark)
        return;
    forced() = dark;
    emit AppearanceNotifier::shared().appearanceChanged();
}

std::optional<bool> appearance() { return forced(); }

}
