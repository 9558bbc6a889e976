#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// How a format indents: columns a level takes, and whether a level is a tab.
struct Indent {
    static constexpr int minWidth = 1, maxWidth = 8;
    int width = 4;
    bool tabs = false;
    bool operator==(const Indent&) const = default;
};

// The user's settings; every change is applied and stored by the workspace.
struct Settings {
    // The editor font size's range in pixels, and its default; the view zoom scales it.
    static constexpr int minFontSize = 11, maxFontSize = 18, defaultFontSize = 13;

    int appearance = 0;  // 0 follows the system, 1 light, 2 dark
    QString scheme = QStringLiteral("graphite");
    double fontSize = defaultFontSize;
    QString fontFamily;  // the editor's; empty for the built-in IBM Plex Mono
    bool showWhitespace = false;
    // Han characters exactly two Latin cells wide, so tables and comments line up in the source.
    bool hanDoubleWidth = false;
    // Pictures from the web in the preview and in exports. Off: opening a
    // document tells no server that it was opened, and from where.
    bool remoteImages = false;
    // Indentation and soft wrap per format ID, for the formats the user changed.
    QMap<QString, Indent> indents;
    QMap<QString, bool> wraps;

    // The formats with an indentation and wrap of their own, in the order 设置 lists them.
    static const QStringList& formats()
    {
        static const QStringList ids = {QStringLiteral("markdown"), QStringLiteral("json"),     QStringLiteral("yaml"),
                                        QStringLiteral("toml"),     QStringLiteral("plantuml"), QStringLiteral("csv"),
                                        QStringLiteral("text")};
        return ids;
    }
    // Data formats nest deeply and take two spaces; prose and diagrams four.
    static Indent defaultIndent(const QString& format)
    {
        const bool data = format == QLatin1String("json") || format == QLatin1String("yaml")
            || format == QLatin1String("toml");
        return {data ? 2 : 4, false};
    }
    Indent indentFor(const QString& format) const { return indents.value(format, defaultIndent(format)); }
    // Prose reads best wrapped; data, diagrams and code keep one record to a line.
    static bool defaultWrap(const QString& format)
    {
        return format == QLatin1String("markdown") || format == QLatin1String("text");
    }
    bool wrapFor(const QString& format) const { return wraps.value(format, defaultWrap(format)); }

    bool operator==(const Settings&) const = default;
};
