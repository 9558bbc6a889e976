#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>
#include <vector>

// Markdown to an HTML fragment: a single forward pass over the lines for
// blocks, a fixed sequence of scans for inline text, and raw HTML let
// through only after sanitising.
namespace Markdown {

// Blockquotes and list items deeper than this render as plain text.
inline constexpr int maxDepth = 64;

// Lines are views into the document text; nested blocks view the same text.
using Lines = std::vector<QStringView>;

struct Marker {
    int indent = 0;
    bool ordered = false;
    QStringView text;
};

QString html(const QString& text);
QString blocks(const Lines& lines, qsizetype& index);
QString list(const Lines& lines, qsizetype& index);
QString table(const Lines& lines, qsizetype& index);
QStringList cells(QStringView line);
std::optional<Marker> listMarker(QStringView line);
int indent(QStringView s);

QString inlineHTML(const QString& text);
void appendInline(QString& out, QStringView text);
// Removes scripts, event handlers and script URLs from raw HTML.
QString sanitize(const QString& html);
}
