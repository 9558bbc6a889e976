#pragma once

#include "editor/Palette.h"

#include <QLabel>
#include <QWidget>

class QHBoxLayout;

// A label in one of the palette's colours, recoloured when the appearance changes.
class PaneLabel : public QLabel {
public:
    PaneLabel(const QString& text, const DynamicColor& color, double points, bool mono, QWidget* parent);
    void setColor(const DynamicColor& color);

protected:
    void changeEvent(QEvent* e) override;

private:
    void applyColor();
    DynamicColor color_;
};

// One horizontal bar of the document pane with a hairline at its bottom (or top).
class PaneBar : public QWidget {
public:
    enum class Line { bottom, top };
    PaneBar(int height, QWidget* parent, Line line = Line::bottom);
    QHBoxLayout* row() const { return row_; }
    // Fills the bar with this colour instead of leaving the window colour.
    void setFill(const DynamicColor& fill);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QHBoxLayout* row_;
    Line line_;
    std::optional<DynamicColor> fill_;
};
