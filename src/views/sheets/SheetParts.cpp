#include "views/sheets/SheetParts.h"

#include "editor/AppFonts.h"
#include "editor/Palette.h"
#include "views/controls/ColorLabel.h"
#include "views/controls/Controls.h"
#include "views/controls/FocusRing.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace SheetParts {

QLabel* title(const QString& text, QWidget* parent)
{
    auto* l = new ColorLabel(text, Palette::fg(), 16, false, parent);
    l->setFont(AppFonts::sans(16, AppFonts::Weight::semibold));
    return l;
}

QLabel* caption(const QString& text, QWidget* parent)
{
    return new ColorLabel(text, Palette::fg2(), 12, false, parent);
}

RoleButton* button(const QString& text, bool primary, std::function<void()> action, QWidget* parent)
{
    return new RoleButton(text, primary ? RoleButton::Role::primary : RoleButton::Role::normal, std::move(action),
                          parent);
}

void paintCard(QWidget& w)
{
    QPainter p(&w);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Palette::line().resolve(), 1));
    p.setBrush(Palette::window().resolve());
    p.drawRoundedRect(QRectF(w.rect()).adjusted(0.5, 0.5, -0.5, -0.5), 12, 12);
}

bool tapKey(QWidget* w, QKeyEvent* e, const std::function<void()>& tap)
{
    if (e->key() == Qt::Key_Space && !(e->modifiers() & ~Qt::KeypadModifier)) {
        if (tap)
            tap();
        return true;
    }
    return !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) && FocusRing::arrow(w, e->key());
}

Tile::Tile(QString name, QString detail, QWidget* parent)
    : QWidget(parent), name_(std::move(name)), detail_(std::move(detail))
{
    // Reached by Tab; a click leaves the keyboard where it was.
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_Hover);
    setCursor(Qt::PointingHandCursor);
    setAccessibleName(name_);
    setMinimumHeight(52);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize Tile::sizeHint() const { return {200, std::max(minimumHeight(), painter ? 84 : 52)}; }

void Tile::setSelected(bool on)
{
    selected_ = on;
    FocusRing::setDefault(this, on);
    update();
}

void Tile::keyPressEvent(QKeyEvent* e)
{
    if (!tapKey(this, e, onTap))
        e->ignore();
}

void Tile::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QColor fill = Palette::window().resolve();
    if (selected_) {
        fill = Palette::accent().resolve();
        fill.setAlphaF(0.12);
    } else if (hover_) {
        fill = Palette::hover().resolve();
    }
    p.setBrush(fill);
    p.setPen(QPen(selected_ ? Palette::accent().resolve() : Palette::line().resolve(), selected_ ? 1.5 : 1));
    p.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 8, 8);
    if (hasFocus())
        FocusRing::paint(p, rect(), 8);
    p.setPen(Palette::fg().resolve());
    p.setFont(AppFonts::sans(13, AppFonts::Weight::medium));
    p.drawText(rect().adjusted(12, 8, -12, 0), Qt::AlignLeft | Qt::AlignTop, name_);
    const QRect below = rect().adjusted(12, 28, -12, -8);
    if (painter) {
        painter(p, below);
        return;
    }
    p.setPen(Palette::fg3().resolve());
    p.setFont(AppFonts::sans(11.5));
    p.drawText(below, Qt::AlignLeft | Qt::AlignTop, p.fontMetrics().elidedText(detail_, Qt::ElideRight, below.width()));
}

void Tile::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()) && onTap)
        onTap();
}

void Tile::enterEvent(QEnterEvent*)
{
    hover_ = true;
    update();
}

void Tile::leaveEvent(QEvent*)
{
    hover_ = false;
    update();
}

Chip::Chip(QString name, QColor dot, QWidget* parent) : QWidget(parent), name_(std::move(name)), dot_(dot)
{
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
    setAccessibleName(name_);
    setFixedHeight(26);
}

QSize Chip::sizeHint() const { return {QFontMetrics(AppFonts::sans(12)).horizontalAdvance(name_) + 34, 26}; }

void Chip::setSelected(bool on)
{
    selected_ = on;
    update();
}

void Chip::keyPressEvent(QKeyEvent* e)
{
    if (!tapKey(this, e, onTap))
        e->ignore();
}

void Chip::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QColor fill = Qt::transparent;
    if (selected_) {
        fill = Palette::accent().resolve();
        fill.setAlphaF(0.14);
    }
    p.setBrush(fill);
    p.setPen(QPen(selected_ ? Palette::accent().resolve() : Palette::line().resolve(), 1));
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 13, 13);
    if (hasFocus())
        FocusRing::paint(p, rect(), 13);
    p.setPen(Qt::NoPen);
    p.setBrush(dot_);
    p.drawEllipse(QPointF(14, height() / 2.0), 3.5, 3.5);
    p.setPen(Palette::fg().resolve());
    p.setFont(AppFonts::sans(12));
    p.drawText(rect().adjusted(24, 0, -8, 0), Qt::AlignVCenter | Qt::AlignLeft, name_);
}

void Chip::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()) && onTap)
        onTap();
}

}
