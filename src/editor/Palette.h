#pragma once

#include <QColor>
#include <QList>
#include <QObject>
#include <QRgb>
#include <optional>

// A colour with a light and a dark value, chosen when it is used.
class DynamicColor {
public:
    constexpr DynamicColor(QRgb light, QRgb dark, double alpha = 1.0) : light_(light), dark_(dark), alpha_(alpha) {}
    constexpr explicit DynamicColor(QRgb fixed) : light_(fixed), dark_(fixed), alpha_(1.0) {}

    QColor resolve(bool dark) const;
    // For the application's current appearance.
    QColor resolve() const;
    DynamicColor withAlpha(double a) const { return DynamicColor(light_, dark_, a); }
    QRgb light() const { return light_; }
    QRgb dark() const { return dark_; }
    double alpha() const { return alpha_; }

private:
    QRgb light_;
    QRgb dark_;
    double alpha_;
};

// Tells the views that the appearance (light or dark) changed, so that
// colours resolved earlier are applied again.
class AppearanceNotifier : public QObject {
    Q_OBJECT
public:
    static AppearanceNotifier& shared();
    bool eventFilter(QObject* watched, QEvent* event) override;
signals:
    void appearanceChanged();
};

// The application's named colours.
namespace Palette {
const DynamicColor& window();
const DynamicColor& sidebar();
const DynamicColor& line();
const DynamicColor& fg();
const DynamicColor& fg2();
const DynamicColor& fg3();
const DynamicColor& hover();
const DynamicColor& selection();
const DynamicColor& accent();
const DynamicColor& danger();
const DynamicColor& accentFg();
const DynamicColor& mark();
const DynamicColor& markCurrent();
const DynamicColor& errorLine();
// Eight fixed colours, index 0 first.
const QList<QColor>& tagColors();

// Dark when forced so, otherwise when the application palette is dark.
bool isDark();
// Forced light (false) or dark (true); none follows the application palette.
void setAppearance(std::optional<bool> dark);
std::optional<bool> appearance();
}
