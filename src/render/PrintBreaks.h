#pragma once

#include <QString>

// Marks where paper may not break in an exported HTML fragment, with
// <div class="keep"> boxes that the page's print style keeps whole (the web
// engine's printing ignores break-after:avoid but honours break-inside:avoid):
// a heading, or a run of headings, together with the element after it, and
// a code block short enough to fit on a page. A code block longer than that
// stays open to breaks between its lines, and is then not boxed with its
// heading either, which would leave the heading alone on its page.
namespace PrintBreaks {
constexpr int shortCodeLines = 30;

QString mark(const QString& html);
}
