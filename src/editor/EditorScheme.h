#pragma once

#include "editor/Palette.h"

#include <QList>
#include <QString>
#include <optional>

// An editor colour scheme the user picks in the settings.
struct EditorScheme {
    QString id;
    QString name;
    DynamicColor background;
    DynamicColor foreground;
    DynamicColor gutter;
    // Syntax colours, readable on the background in both appearances.
    struct Tokens {
        DynamicColor key, string, number, keyword, comment, dim, heading, link, tag;
    };
    Tokens tokens;
    // Forced on the editor: false light, true dark; none follows the window.
    std::optional<bool> appearance;

    // Whether the editor showing this scheme draws in dark colours now.
    bool isDark() const { return appearance ? *appearance : Palette::isDark(); }

    static const EditorScheme& graphite();
    static const EditorScheme& paper();
    static const EditorScheme& night();
    static const QList<EditorScheme>& all();
    // Exact id match; graphite for anything else.
    static const EditorScheme& find(const QString& id);
};
