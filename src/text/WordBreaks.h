#pragma once

#include <QStringView>
#include <utility>

// Where word motion stops in a line of text. Runs of letters and digits are
// split into words by ICU's dictionary word breaks for Chinese (no spaces
// between words there), identifiers with underscores stay whole, and
// punctuation and symbols form words of their own, as in VS Code: a single
// punctuation mark between two words is stepped over.
namespace WordBreaks {

// Characters of the line segmented around a position: a word longer than
// this is cut, and a motion costs the same on a line of any length.
inline constexpr qsizetype window = 512;

// Where Ctrl+→ goes from `pos` (0..line.size()): the end of the word at or
// after it, or the end of the line.
qsizetype nextWordEnd(QStringView line, qsizetype pos);
// Where Ctrl+← goes: the start of the word before `pos`, or 0.
qsizetype previousWordStart(QStringView line, qsizetype pos);
// The range a double click on the character at `pos` selects: its word,
// its run of punctuation or of blanks.
std::pair<qsizetype, qsizetype> wordAt(QStringView line, qsizetype pos);

}
