#pragma once

#include "editor/Palette.h"

#include <QColor>
#include <QPalette>

// Sidebar shades from the application palette, light or dark as it is now.
struct SidebarColors {
    QColor background, line, hover, selection, accent, fg, fg2, fg3;

    static SidebarColors of(const QPalette&)
    {
        return {Palette::sidebar().resolve(), Palette::line().resolve(), Palette::hover().resolve(),
                Palette::selection().resolve(), Palette::accent().resolve(), Palette::fg().resolve(),
                Palette::fg2().resolve(), Palette::fg3().resolve()};
    }
};
