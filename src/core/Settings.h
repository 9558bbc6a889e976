#pragma once

#include <QString>

// The user's settings; every change is applied and stored by the workspace.
struct Settings {
    // The editor font size's range in pixels, and its default; the view zoom scales it.
    static constexpr int minFontSize = 11, maxFontSize = 18, defaultFontSize = 13;

    int appearance = 0;  // 0 follows the system, 1 light, 2 dark
    QString scheme = QStringLiteral("graphite");
    double fontSize = defaultFontSize;
    bool wordWrap = false;
    QString fontFamily;  // the editor's; empty for the built-in IBM Plex Mono
    bool showWhitespace = false;

    bool operator==(const Settings&) const = default;
};
