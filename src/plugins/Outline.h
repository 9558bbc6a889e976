#pragma once

#include <QList>
#include <QString>

// One heading of a document's outline: its depth (1 = top), its text and
// the 0-based line it starts on.
struct OutlineEntry {
    int level = 1;
    QString title;
    int line = 0;
    bool operator==(const OutlineEntry&) const = default;
};

// The headings of a document, for jumping around long files.
namespace Outline {

// Deepest level shown; deeper TOML tables are listed at this level.
inline constexpr int maxLevel = 6;

// Headings for the format with this plugin id; empty for formats without any.
QList<OutlineEntry> entries(const QString& formatID, const QString& text);
// Markdown headings, ATX and setext, at any nesting (lists, quotes).
QList<OutlineEntry> markdown(const QString& text);
// Top-level keys of every document of the stream.
QList<OutlineEntry> yaml(const QString& text);
// Table headers, [a.b] and [[a.b]], one level per dotted part.
QList<OutlineEntry> toml(const QString& text);

// The entry whose section holds the line: the last one starting at or
// before it; -1 before the first.
int entryAt(const QList<OutlineEntry>& entries, int line);
}
