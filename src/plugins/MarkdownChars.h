#pragma once

#include <QString>

// The character classes of ICU regular expressions (\s, \w, \d, "." and
// \b), so hand-written scanners decide exactly as the patterns they replace.
namespace MarkdownChars {

bool isSpace(char32_t c);     // \s
bool isWord(char32_t c);      // \w
bool isDigit(char32_t c);     // \d
bool isLineEnd(char32_t c);   // what "." does not match
bool joinsWord(char32_t c);   // ignored by \b: combining marks and format characters

// The code point starting at i, or ending right before i; lone surrogates count as themselves.
char32_t at(QStringView s, qsizetype i);
char32_t before(QStringView s, qsizetype i);
inline qsizetype width(char32_t c) { return c > 0xFFFF ? 2 : 1; }

// The ASCII letter a case-insensitive ICU pattern would match here (ſ is s,
// the Kelvin sign is k), lower-cased; 0 for anything else.
char16_t foldedLetter(QChar c);
// Whether s[i..] starts with the lower-case ASCII word, ignoring case as ICU does.
bool startsFolded(QStringView s, qsizetype i, const char* word);

}
