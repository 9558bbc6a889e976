#pragma once

#include <QColor>
#include <QPalette>

// Sidebar shades, light or dark after the window's palette.
struct SidebarColors {
    QColor background, line, hover, selection, accent, fg, fg2, fg3;

    static SidebarColors of(const QPalette& p)
    {
        const bool dark = p.color(QPalette::Window).lightness() < 128;
        if (dark)
            return {QColor("#24282d"), QColor("#2c3036"), QColor("#30353b"), QColor("#3a4250"),
                    QColor("#4c8dff"), QColor("#e3e6ea"), QColor("#a1a8b2"), QColor("#6d747e")};
        return {QColor("#eef0f2"), QColor("#dcdfe3"), QColor("#e2e5e9"), QColor("#d5dbe4"),
                QColor("#2f6fe4"), QColor("#1f2329"), QColor("#5d6570"), QColor("#8b929c")};
    }
};
