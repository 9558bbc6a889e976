#pragma once

#include <QString>

// The user's settings; every change is applied and stored by the workspace.
struct Settings {
    int appearance = 0;  // 0 follows the system, 1 light, 2 dark
    QString scheme = QStringLiteral("graphite");
    double fontSize = 13.0;
    bool wordWrap = false;

    bool operator==(const Settings&) const = default;
};
