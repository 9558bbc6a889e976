#pragma once

#include <QString>

// Markdown to an HTML fragment: CommonMark with the GitHub extensions
// (tables, strike-through, bare links, task lists, the tag filter), parsed
// by cmark-gfm and written from its node tree. Raw HTML is let through only
// after sanitising.
namespace Markdown {

// Blockquotes and lists nested deeper than this keep their content but lose their own tags.
inline constexpr int maxDepth = 64;

// With sourceLines, every block element carries data-line="N", the 0-based
// line of the text where the block starts.
QString html(const QString& text, bool sourceLines = false);
// The preview's fragment: the HTML with source lines inside <div class="md">,
// and what the preview draws: ```mermaid blocks as diagrams, formulas
// ($…$, $$…$$, ```math) and fenced code coloured where highlight.js knows
// the language (MarkdownFences).
QString preview(const QString& text);
// Raw HTML as the preview may show it: the tags GitHub filters shown as
// text, then the HTML sanitiser over the rest.
QString sanitize(const QString& html);
}
