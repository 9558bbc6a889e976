#pragma once

#include <QString>

// The user's settings; every change is applied and stored by the workspace.
struct Settings {
    // The editor font size's range in points, and its default.
    static constexpr int minFontSize = 11, maxFontSize = 18, defaultFontSize = 13;

    int appearance = 0;  // 0 follows the system, 1 light, 2 dark
    QString scheme = QStringLiteral("graphite");
    double fontSize = defaultFontSize;
    bool wordWrap = false;

    bool operator==(const Settings&) const = default;
};
