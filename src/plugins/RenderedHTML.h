#pragma once

#include <QSet>
#include <QString>

// The renderers' output as the preview may show it: each kept to the markup
// that renderer makes, rebuilt tag by tag like any other HTML.
namespace RenderedHTML {

// highlight.js: spans whose classes are "hljs-…" tokens, and text.
QString cleanCode(const QString& html);
// KaTeX: its spans (classes its style sheet knows, its inline layout
// styles), the MathML copy for assistive tools, and its SVG paths.
QString cleanMath(const QString& html);
// The class names a style sheet's selectors use.
QSet<QString> selectorClasses(const QString& css);
}
