#pragma once

#include <QString>

// Coloured code for the preview's fenced blocks: highlight.js's classed
// spans, sanitised, remembered by language and source so that a keystroke
// elsewhere in the document costs no second run.
namespace CodeHighlight {

struct Colouring {
    // The code's HTML (text escaped, tokens in <span class="hljs-…">); a null
    // string leaves the block plain.
    QString html;
    // Plain because the code is too long to colour, in size or in time.
    bool tooLong = false;
};

// The colouring of code in a language highlight.js knows; plain for any other.
Colouring colour(const QString& language, const QString& code);

// Shown under a block left plain for its length.
inline constexpr char tooLongNote[] = "代码过长，未着色";

// How often the script was asked to colour a block (the cache's tests count them).
quint64 scriptRuns();

// Blocks longer than this stay plain: their colouring would cost more than it shows.
inline constexpr qsizetype maxCode = 64 * 1024;
}
