#pragma once

#include "editor/Palette.h"
#include "views/sidebar/DocListView.h"

#include <QImage>
#include <cstdlib>

// Whether a document row shows the unsaved dot where its close button goes:
// the dot's colour left, right, above and below its middle, which the close
// button's cross leaves blank.
inline bool paintsDot(DocListView* list, const QModelIndex& index)
{
    const QRect r = list->visualRect(index);
    const QImage image = list->viewport()->grab(r).toImage();
    const QPointF mid = QRectF(DocRowDelegate::trailingRect(QRect(QPoint(), r.size()))).center();
    const QColor want = Palette::fg2().resolve();
    for (const QPointF d : {QPointF(-2, 0), QPointF(2, 0), QPointF(0, -2), QPointF(0, 2)}) {
        const QColor c = image.pixelColor((mid + d).toPoint());
        if (std::abs(c.red() - want.red()) + std::abs(c.green() - want.green()) + std::abs(c.blue() - want.blue()) > 60)
            return false;
    }
    return true;
}
