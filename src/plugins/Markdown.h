#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The Markdown subset of the preview: a forward pass over lines for the
// blocks, a fixed chain of regular-expression substitutions for the inline
// text, raw HTML kept only after sanitising.
namespace Markdown {

// Blockquotes and list items nest by recursion; deeper content is shown
// as plain text so hostile input cannot exhaust the stack.
inline constexpr int maxDepth = 64;

struct ListMarker {
    int indent = 0;
    bool ordered = false;
    QString text;
};

QString html(const QString& text);
QString blocks(const QStringList& lines, qsizetype& index);
QString list(const QStringList& lines, qsizetype& index);
QString table(const QStringList& lines, qsizetype& index);
QStringList cells(const QString& line);
std::optional<ListMarker> listMarker(const QString& line);
int indent(const QString& s);
QString inlineHTML(const QString& text);
QString sanitize(const QString& html);
// Tag-level clean-up after the substitutions: drops handler attributes,
// script URLs (entities decoded) and elements that load or run code.
// Text and harmless tags are copied unchanged.
QString harden(const QString& html);
// Whether a URL, with entities decoded, would run script or load a page.
bool isScriptURL(const QString& value);

}
