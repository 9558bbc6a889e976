#include "views/pane/PaneParts.h"

#include <QHBoxLayout>
#include <QPainter>

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
