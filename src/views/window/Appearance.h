#pragma once

#include <QObject>
#include <QPalette>
#include <functional>
#include <optional>

#include <QDBusVariant>

// Light or dark for the whole application: the stored choice (0 follows the
// desktop, 1 light, 2 dark), the desktop's colour-scheme preference from the
// freedesktop settings portal, and the window palette built from it.
class Appearance : public QObject {
    Q_OBJECT
public:
    // The desktop's preference: true dark, false light, none when it has none.
    using Reader = std::function<std::optional<bool>()>;

    // Reads the portal unless another reader is given; follows the portal's changes.
    explicit Appearance(QObject* parent = nullptr, Reader reader = {});
    // Applies a stored choice now: palette, editor colours and the preview follow.
    void apply(int choice);
    // The desktop preference changed (the portal's signal, or a test).
    void desktopChanged();
    bool isDark() const { return dark_; }

    static QPalette paletteFor(bool dark);
    // Portal value of org.freedesktop.appearance color-scheme, none when unavailable.
    static std::optional<bool> readPortal();
    // 1 prefers dark, 2 prefers light, anything else no preference.
    static std::optional<bool> fromColorScheme(uint value);

private slots:
    void settingChanged(const QString& ns, const QString& key, const QDBusVariant& value);

private:
    void update();

    Reader reader_;
    int choice_ = 0;
    bool fallbackDark_ = false;
    std::optional<bool> desktop_;
    bool dark_ = false;
    bool applied_ = false;
};
