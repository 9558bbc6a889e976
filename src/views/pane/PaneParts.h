#pragma once

#include "editor/Palette.h"
#include "views/controls/ColorLabel.h"

#include <QWidget>

class QHBoxLayout;

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
