#pragma once

#include <QString>

// The character classes of ICU regular expressions (\s, \w, \d, "." and
// \b), so hand-written scanners decide exactly as the patterns they replace.
namespace MarkdownChars {

bool spaceOutsideASCII(char32_t c);
bool wordOutsideASCII(char32_t c);

// \s
inline bool isSpace(char32_t c) { return c < 128 ? c == u' ' || (c >= 9 && c <= 13) : spaceOutsideASCII(c); }
// \w
inline bool isWord(char32_t c)
{
    return c < 128 ? (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_'
                   : wordOutsideASCII(c);
}
bool isDigit(char32_t c);     // \d
// What "." does not match.
inline bool isLineEnd(char32_t c) { return (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029; }
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
