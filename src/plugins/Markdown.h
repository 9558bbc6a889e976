#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// Markdown to an HTML fragment: a single forward pass over the lines for
// blocks, a fixed sequence of substitutions for inline text, and raw HTML
// let through only after sanitising.
namespace Markdown {

// Blockquotes and list items deeper than this render as plain text.
inline constexpr int maxDepth = 64;

struct Marker {
    int indent = 0;
    bool ordered = false;
    QString text;
};

QString html(const QString& text);
QString blocks(const QStringList& lines, int& index);
QString list(const QStringList& lines, int& index);
QString table(const QStringList& lines, int& index);
QStringList cells(const QString& line);
std::optional<Marker> listMarker(const QString& line);
int indent(const QString& s);

QString inlineHTML(const QString& text);
// Removes scripts, event handlers and script URLs from raw HTML.
QString sanitize(const QString& html);
}
