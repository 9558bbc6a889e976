#pragma once
#include "editor/Palette.h"
#include <QColor>
#include <QString>

// View colours the small controls paint with; a default-constructed value holds
// the palette as it resolves for the current appearance.
struct ControlColors {
    QColor accent = Palette::accent().resolve();
    QColor fg = Palette::fg().resolve();
    QColor fg2 = Palette::fg2().resolve();
    QColor fg3 = Palette::fg3().resolve();
    QColor hover = Palette::hover().resolve();
    QColor line = Palette::line().resolve();
    QColor danger = Palette::danger().resolve();
    QColor window = Palette::window().resolve();
};

// A colour as style sheets spell it, alpha included.
inline QString cssColor(const QColor& c) { return c.name(QColor::HexArgb); }
