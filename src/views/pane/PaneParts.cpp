#include "views/pane/PaneParts.h"

#include "editor/AppFonts.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPainter>

PaneLabel::PaneLabel(const QString& text, const DynamicColor& color, double points, bool mono, QWidget* parent)
    : QLabel(text, parent), color_(color)
{
    setFont(mono ? AppFonts::mono(points) : AppFonts::sans(points));
    setTextFormat(Qt::PlainText);
    applyColor();
    connect(&AppearanceNotifier::shared(), &AppearanceNotifier::appearanceChanged, this, [this] { applyColor(); });
}

void PaneLabel::setColor(const DynamicColor& color)
{
    color_ = color;
    applyColor();
}

void PaneLabel::changeEvent(QEvent* e)
{
    QLabel::changeEvent(e);
    // A new application palette would otherwise reset the text colour.
    if (e->type() == QEvent::PaletteChange && palette().color(QPalette::WindowText) != color_.resolve())
        applyColor();
}

void PaneLabel::applyColor()
{
    QPalette p = palette();
    p.setColor(QPalette::WindowText, color_.resolve());
    setPalette(p);
}

PaneBar::PaneBar(int height, QWidget* parent, Line line) : QWidget(parent), line_(line)
{
    setMinimumHeight(height);
    row_ = new QHBoxLayout(this);
    row_->setContentsMargins(14, line == Line::top ? 3 : 2, 10, line == Line::bottom ? 3 : 2);
    row_->setSpacing(6);
}

void PaneBar::setFill(const DynamicColor& fill)
{
    fill_ = fill;
    update();
}

void PaneBar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (fill_)
        p.fillRect(rect(), fill_->resolve());
    const int y = line_ == Line::bottom ? height() - 1 : 0;
    p.fillRect(QRect(0, y, width(), 1), Palette::line().resolve());
}
