#include "views/controls/ColorLabel.h"

#include "editor/AppFonts.h"

#include <QEvent>

ColorLabel::ColorLabel(const QString& text, const DynamicColor& color, double points, bool mono, QWidget* parent)
    : QLabel(text, parent), color_(color)
{
    setFont(mono ? AppFonts::mono(points) : AppFonts::sans(points));
    setTextFormat(Qt::PlainText);
    applyColor();
    connect(&AppearanceNotifier::shared(), &AppearanceNotifier::appearanceChanged, this, [this] { applyColor(); });
}

void ColorLabel::setColor(const DynamicColor& color)
{
    color_ = color;
    applyColor();
}

void ColorLabel::changeEvent(QEvent* e)
{
    QLabel::changeEvent(e);
    // A new application palette would otherwise reset the text colour.
    if (e->type() == QEvent::PaletteChange && palette().color(QPalette::WindowText) != color_.resolve())
        applyColor();
}

void ColorLabel::applyColor()
{
    QPalette p = palette();
    p.setColor(QPalette::WindowText, color_.resolve());
    setPalette(p);
}
