#pragma once

#include <QString>

// Coloured code for the preview's fenced blocks: highlight.js's classed
// spans, sanitised, remembered by language and source so that a keystroke
// elsewhere in the document costs no second run.
namespace CodeHighlight {

// The code's HTML (text escaped, tokens in <span class="hljs-…">) for a
// language highlight.js knows; a null string when it does not, when the code
// is too long to colour or when colouring took too long: the block stays plain.
QString html(const QString& language, const QString& code);

// How often the script was asked to colour a block (the cache's tests count them).
quint64 scriptRuns();

// Blocks longer than this stay plain: their colouring would cost more than it shows.
inline constexpr qsizetype maxCode = 64 * 1024;
}
