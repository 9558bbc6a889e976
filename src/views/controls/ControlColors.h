#pragma once
#include <QColor>
#include <QString>

// View colours the small controls paint with; the window fills them from the palette.
struct ControlColors {
    QColor accent{0x2f, 0x6f, 0xeb};
    QColor fg{0x1f, 0x23, 0x28};
    QColor fg2{0x57, 0x60, 0x6a};
    QColor fg3{0x8c, 0x95, 0x9f};
    QColor hover{0, 0, 0, 18};
    QColor line{0xd0, 0xd7, 0xde};
    QColor danger{0xcf, 0x22, 0x2e};
    QColor window{0xff, 0xff, 0xff};
};

// A colour as style sheets spell it, alpha included.
inline QString cssColor(const QColor& c) { return c.name(QColor::HexArgb); }
