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

// A line is a view into the document text (nested blocks view the same text)
// with the count of its leading spaces and tabs, so that nested lists never
// rescan their indentation. Sixteen bytes, as every nesting level keeps its own.
struct Line {
    const QChar* data = nullptr;
    quint32 size = 0;
    quint16 lead = 0;  // leading spaces and tabs; saturated means "count them"
    quint16 tabs = 0;  // tabs among them
    QStringView text() const { return QStringView(data, qsizetype(size)); }
};
using Lines = std::vector<Line>;

struct Marker {
    int indent = 0;
    bool ordered = false;
    QStringView text;
};

// With sourceLines, every block element carries data-line="N", the 0-based
// line of the text where the block starts.
QString html(const QString& text, bool sourceLines = false);
// Each appends its HTML to out (nested blocks write into the same string).
void blocks(QString& out, const Lines& lines, qsizetype& index);
void list(QString& out, const Lines& lines, qsizetype& index);
void table(QString& out, const Lines& lines, qsizetype& index);
QStringList cells(QStringView line);
std::optional<Marker> listMarker(QStringView line);
int indent(QStringView s);

QString inlineHTML(const QString& text);
void appendInline(QString& out, QStringView text);
// Removes scripts, event handlers and script URLs from raw HTML.
QString sanitize(const QString& html);
}
