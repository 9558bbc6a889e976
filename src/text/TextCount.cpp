#include "text/TextCount.h"

#include <unicode/uchar.h>
#include <unicode/uscript.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>

namespace TextCount {

namespace {

bool wide(UChar32 c)
{
    const int width = u_getIntPropertyValue(c, UCHAR_EAST_ASIAN_WIDTH);
    return width == U_EA_WIDE || width == U_EA_FULLWIDTH;
}

enum class Kind : std::uint8_t { other, single, letter, joiner, ambiguousMark };

Kind kindOf(UChar32 c)
{
    if (c < 0x80) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')
            return Kind::letter;
        return c == '\'' || c == '-' || c == '.' ? Kind::joiner : Kind::other;
    }
    UErrorCode status = U_ZERO_ERROR;
    const UScriptCode script = uscript_getScript(c, &status);
    if (u_hasBinaryProperty(c, UCHAR_IDEOGRAPHIC) || script == USCRIPT_HIRAGANA || script == USCRIPT_KATAKANA)
        return Kind::single;
    const int32_t category = U_GET_GC_MASK(c);
    if (u_isalnum(c) || (category & U_GC_M_MASK))
        return Kind::letter;
    if (category & U_GC_P_MASK) {
        if (wide(c))
            return Kind::single;
        // “”‘’…— are full-width in Chinese text, narrow in Latin text.
        if (u_getIntPropertyValue(c, UCHAR_EAST_ASIAN_WIDTH) == U_EA_AMBIGUOUS)
            return Kind::ambiguousMark;
        return c == 0x2019 ? Kind::joiner : Kind::other;
    }
    return Kind::other;
}

// The kinds of the Basic Multilingual Plane, made once: asking ICU for each
// character was most of the time counting a long text took.
using Kinds = std::array<Kind, 0x10000>;
const Kinds& bmpKinds()
{
    static const auto bmp = [] {
        auto table = std::make_unique<Kinds>();
        for (UChar32 k = 0; k < 0x10000; ++k)
            (*table)[size_t(k)] = kindOf(k);
        return table;
    }();
    return *bmp;
}

inline Kind kindFast(const Kinds& bmp, UChar32 c) { return c < 0x10000 ? bmp[size_t(c)] : kindOf(c); }

// The code point at byte i (a negative value for a broken sequence), and
// where the next one starts.
[[gnu::always_inline]] inline UChar32 next(const uint8_t* s, int64_t size, int64_t& i)
{
    UChar32 c = s[i];
    if (c < 0x80) {
        ++i;
        return c;
    }
    if ((c & 0xF0) == 0xE0 && size - i >= 3) {
        const UChar32 b1 = s[i + 1];
        const UChar32 b2 = s[i + 2];
        if ((b1 & 0xC0) == 0x80 && (b2 & 0xC0) == 0x80) {
            const UChar32 cp = ((c & 0x0F) << 12) | ((b1 & 0x3F) << 6) | (b2 & 0x3F);
            if (cp >= 0x800 && (cp < 0xD800 || cp > 0xDFFF)) {
                i += 3;
                return cp;
            }
        }
    }
    int32_t at = 0;
    U8_NEXT(s + i, at, int32_t(std::min<int64_t>(size - i, 8)), c);
    i += at;
    return c;
}

}

Counts of(QByteArrayView utf8)
{
    Counts n;
    const auto* s = reinterpret_cast<const uint8_t*>(utf8.data());
    const auto size = int64_t(utf8.size());
    bool inWord = false;
    Kind before = Kind::other;  // the last character's kind, blanks aside
    bool markWaits = false;     // an ambiguous mark after a narrow character
    const Kinds& kinds = bmpKinds();
    for (int64_t i = 0; i < size;) {
        const UChar32 c = next(s, size, i);
        if (c < 0)
            continue;
        if (c == '\n' || c == '\r')
            inWord = false;
        else
            n.characters += c > 0xFFFF ? 2 : 1;
        const Kind kind = c == '\n' || c == '\r' ? Kind::other : kindFast(kinds, c);
        // A waiting mark counts when a wide character follows it.
        if (markWaits && kind == Kind::single)
            ++n.words;
        if (kind != Kind::ambiguousMark)
            markWaits = false;
        switch (kind) {
        case Kind::single:
            ++n.words;
            inWord = false;
            break;
        case Kind::letter:
            n.words += !inWord;
            inWord = true;
            break;
        case Kind::joiner:
            // Stays inside a word only between letters: checked by the next one.
            if (inWord && i < size) {
                int64_t j = i;
                const UChar32 after = next(s, size, j);
                inWord = after >= 0 && kindFast(kinds, after) == Kind::letter;
            } else {
                inWord = false;
            }
            break;
        case Kind::ambiguousMark:
            inWord = false;
            if (before == Kind::single)
                ++n.words;
            else
                markWaits = true;
            break;
        case Kind::other: inWord = false; break;
        }
        if (kind != Kind::other || (c != ' ' && c != '\t'))
            before = kind;
    }
    return n;
}

}
