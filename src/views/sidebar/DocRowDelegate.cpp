#include "views/sidebar/DocRowDelegate.h"

#include "core/DocumentModel.h"
#include "editor/Palette.h"
#include "views/icons/Icons.h"
#include "views/sidebar/DocListView.h"

#include <QAbstractItemView>
#include <QFileInfo>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

namespace {

constexpr int leftMargin = 26;
constexpr int rightMargin = 8;
constexpr int spacing = 6;
constexpr int button = 22;
constexpr int iconSize = 13;

QFont badgeFont(const QFont& base)
{
    QFont f(QStringLiteral("IBM Plex Mono"));
    f.setStyleHint(QFont::Monospace);
    f.setPointSizeF(std::max(7.0, base.pointSizeF() - 2.5));
    return f;
}

}

DocRowDelegate::DocRowDelegate(DocListView& view)
    : QStyledItemDelegate(&view),
      view_(view),
      tagIcon_(Icons::icon(QStringLiteral("tag"), iconSize)),
      closeIcon_(Icons::icon(QStringLiteral("xmark"), iconSize))
{
}

QRect DocRowDelegate::trailingRect(const QRect& row)
{
    return {row.right() + 1 - rightMargin - button, row.top() + (row.height() - button) / 2, button, button};
}

QRect DocRowDelegate::tagRect(const QRect& row) { return trailingRect(row).translated(-button - spacing, 0); }

DocRowDelegate::Part DocRowDelegate::part(const QRect& row, const QPoint& at)
{
    if (tagRect(row).contains(at))
        return Part::tag;
    if (trailingRect(row).contains(at))
        return Part::close;
    return Part::row;
}

QSize DocRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const
{
    return {option.rect.width(), rowHeight};
}

void DocRowDelegate::paintButton(QPainter& p, const QIcon& icon, const QRect& r, bool on, bool hover) const
{
    // As the icon buttons elsewhere: accent while on, a hover wash under the pointer.
    QColor back = Qt::transparent;
    QColor symbol = Palette::fg2().resolve();
    if (on) {
        back = Palette::accent().resolve();
        back.setAlphaF(0.13);
        symbol = Palette::accent().resolve();
    } else if (hover) {
        back = Palette::hover().resolve();
        symbol = Palette::fg().resolve();
    }
    p.setPen(Qt::NoPen);
    p.setBrush(back);
    p.drawRoundedRect(r, 6, 6);
    QPixmap pm = icon.pixmap(QSize(iconSize, iconSize), p.device() ? p.device()->devicePixelRatioF() : 1.0);
    if (pm.isNull())
        return;
    QPainter tint(&pm);
    tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
    tint.fillRect(pm.rect(), symbol);
    tint.end();
    p.drawPixmap(
        QRect(r.topLeft() + QPoint((button - iconSize) / 2, (button - iconSize) / 2), QSize(iconSize, iconSize)), pm);
}

void DocRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QPainter& p = *painter;
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QRect row = option.rect;
    const std::optional<Part> hover = view_.hover(index);
    if (const bool active = index.data(DocumentModel::activeRole).toBool(); active || hover) {
        p.setPen(Qt::NoPen);
        p.setBrush(active ? Palette::selection().resolve() : Palette::hover().resolve());
        p.drawRoundedRect(QRectF(row).adjusted(6, 1, -6, -1), 5, 5);
    }

    // Name, then the extension in a badge; the name gives way when the row is short.
    const QString name = index.data(Qt::DisplayRole).toString();
    const QFileInfo info(name);
    const QString ext = info.suffix();
    const QString base = ext.isEmpty() ? name : info.completeBaseName();
    const QFont badge = badgeFont(option.font);
    const QFontMetrics badgeMetrics(badge);
    const int badgeWidth = ext.isEmpty() ? 0 : badgeMetrics.horizontalAdvance(ext) + 6;
    const int room = tagRect(row).left() - spacing - (row.left() + leftMargin)
        - (ext.isEmpty() ? 0 : spacing + badgeWidth);
    p.setFont(option.font);
    const int nameWidth = std::min(p.fontMetrics().horizontalAdvance(base), std::max(10, room));
    const QRect nameRect(row.left() + leftMargin, row.top(), nameWidth, row.height());
    p.setPen(option.palette.color(QPalette::WindowText));
    p.drawText(nameRect, Qt::AlignVCenter | Qt::AlignLeft, p.fontMetrics().elidedText(base, Qt::ElideRight, nameWidth));
    if (!ext.isEmpty()) {
        const QRect g(nameRect.right() + 1 + spacing, row.top(), badgeWidth, row.height());
        const qreal h = badgeMetrics.height() + 2;
        p.setPen(QPen(Palette::line().resolve(), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(g.left() + 0.5, QRectF(g).center().y() - h / 2, g.width() - 1, h), 3, 3);
        p.setFont(badge);
        p.setPen(option.palette.color(QPalette::PlaceholderText));
        p.drawText(g.adjusted(3, 0, -3, 0), Qt::AlignVCenter | Qt::AlignLeft, ext);
    }

    paintButton(p, tagIcon_, tagRect(row), view_.tagOpen(index), hover == Part::tag);
    // Close button and unsaved dot share one place, so the tag button never moves.
    if (hover) {
        paintButton(p, closeIcon_, trailingRect(row), false, hover == Part::close);
    } else if (index.data(DocumentModel::modifiedRole).toBool()) {
        p.setPen(Qt::NoPen);
        p.setBrush(Palette::fg2().resolve());
        p.drawEllipse(QRectF(trailingRect(row)).center(), 3.5, 3.5);
    }

    if (view_.dropRow() == index.row()) {
        p.setPen(QPen(Palette::accent().resolve(), 2));
        p.drawLine(QPointF(row.left() + 8, row.top() + 1), QPointF(row.right() + 1 - 8, row.top() + 1));
    }
    if (option.state & QStyle::State_HasFocus) {
        p.setPen(QPen(Palette::accent().resolve(), 2));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(row).adjusted(7, 2, -7, -2), 5, 5);
    }
    p.restore();
}

bool DocRowDelegate::helpEvent(QHelpEvent* e, QAbstractItemView* view, const QStyleOptionViewItem& option,
                               const QModelIndex& index)
{
    if (e->type() != QEvent::ToolTip || !index.isValid())
        return QStyledItemDelegate::helpEvent(e, view, option, index);
    // The buttons say what they do; the rest of the row where the file is.
    QString text;
    QRect area = option.rect;
    switch (part(option.rect, e->pos())) {
    case Part::tag:
        text = QStringLiteral("标签");
        area = tagRect(option.rect);
        break;
    case Part::close:
        area = trailingRect(option.rect);
        text = QStringLiteral("关闭  Ctrl+W");
        break;
    case Part::row: text = index.data(Qt::ToolTipRole).toString(); break;
    }
    QToolTip::showText(e->globalPos(), text, view->viewport(), area);
    return true;
}
