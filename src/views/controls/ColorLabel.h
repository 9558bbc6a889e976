#pragma once

#include "editor/Palette.h"

#include <QLabel>

// A label in one of the palette's colours, recoloured when the appearance changes.
class ColorLabel : public QLabel {
public:
    ColorLabel(const QString& text, const DynamicColor& color, double points, bool mono, QWidget* parent);
    void setColor(const DynamicColor& color);

protected:
    void changeEvent(QEvent* e) override;

private:
    void applyColor();
    DynamicColor color_;
};
