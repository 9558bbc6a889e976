#include "plugins/MarkdownChars.h"

#include <array>
#include <cstring>
#include <unicode/uchar.h>
#include <unicode/uset.h>
#include <unicode/ustring.h>

namespace MarkdownChars {

namespace {

enum : unsigned char { space = 1, word = 2, digit = 4, joins = 8 };

USet* openSet(const char16_t* pattern)
{
    UErrorCode status = U_ZERO_ERROR;
    USet* set = uset_openPattern(reinterpret_cast<const UChar*>(pattern), -1, &status);
    return U_FAILURE(status) ? nullptr : set;
}

struct Sets {
    USet* space = openSet(u"[\\p{WhiteSpace}]");
    USet* word = openSet(u"[\\p{Alphabetic}\\p{M}\\p{Nd}\\p{Pc}\\u200c\\u200d]");
    USet* digit = openSet(u"[\\p{Nd}]");
    USet* joins = openSet(u"[\\p{Grapheme_Extend}\\p{Cf}]");
    // The BMP is looked up in a table built once.
    std::array<unsigned char, 0x10000> bmp{};
    Sets()
    {
        for (char32_t c = 0; c < 0x10000; ++c)
            bmp[c] = classify(c);
    }
    unsigned char classify(char32_t c) const
    {
        unsigned char f = 0;
        if (c >= 0xD800 && c < 0xE000)
            return 0;
        if (uset_contains(space, UChar32(c)))
            f |= MarkdownChars::space;
        if (uset_contains(word, UChar32(c)))
            f |= MarkdownChars::word;
        if (uset_contains(digit, UChar32(c)))
            f |= MarkdownChars::digit;
        if (uset_contains(joins, UChar32(c)))
            f |= MarkdownChars::joins;
        return f;
    }
    unsigned char flags(char32_t c) const { return c < 0x10000 ? bmp[c] : classify(c); }
};

const Sets& sets()
{
    static const Sets s;
    return s;
}

// Built when the program starts, so lookups pay no guard.
const Sets* const table = &sets();

}

bool spaceOutsideASCII(char32_t c) { return table->flags(c) & space; }
bool wordOutsideASCII(char32_t c) { return table->flags(c) & word; }
bool isDigit(char32_t c) { return table->flags(c) & digit; }
bool joinsWord(char32_t c) { return table->flags(c) & joins; }

char32_t at(QStringView s, qsizetype i)
{
    const char16_t c = s[i].unicode();
    if (QChar::isHighSurrogate(c) && i + 1 < s.size() && QChar::isLowSurrogate(s[i + 1].unicode()))
        return QChar::surrogateToUcs4(c, s[i + 1].unicode());
    return c;
}

char32_t before(QStringView s, qsizetype i)
{
    const char16_t c = s[i - 1].unicode();
    if (QChar::isLowSurrogate(c) && i >= 2 && QChar::isHighSurrogate(s[i - 2].unicode()))
        return QChar::surrogateToUcs4(s[i - 2].unicode(), c);
    return c;
}

char16_t foldedLetter(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= 'a' && u <= 'z')
        return u;
    if (u >= 'A' && u <= 'Z')
        return u + 32;
    if (u == 0x017F)
        return 's';
    if (u == 0x212A)
        return 'k';
    return 0;
}

bool startsFolded(QStringView s, qsizetype i, const char* w)
{
    const qsizetype n = qsizetype(std::strlen(w));
    if (i + n > s.size())
        return false;
    for (qsizetype k = 0; k < n; ++k) {
        const char16_t want = char16_t(w[k]);
        const char16_t got = s[i + k].unicode();
        if (want >= 'a' && want <= 'z' ? foldedLetter(s[i + k]) != want : got != want)
            return false;
    }
    return true;
}

}
