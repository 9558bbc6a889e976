#include "text/WordBreaks.h"

#include <unicode/brkiter.h>
#include <unicode/uchar.h>
#include <unicode/utext.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace WordBreaks {

namespace {

enum class Kind { blank, mark, word };

struct Piece {
    qsizetype start, end;
    Kind kind;
};

Kind kindOf(char32_t c)
{
    if (u_isUWhiteSpace(UChar32(c)))
        return Kind::blank;
    // The underscore joins identifiers; other punctuation and symbols stand
    // alone, the full-width ones of Chinese text too.
    if (c == U'_' || u_isalnum(UChar32(c)) || (U_GET_GC_MASK(UChar32(c)) & U_GC_M_MASK))
        return Kind::word;
    return Kind::mark;
}

char32_t codePointAt(QStringView s, qsizetype i)
{
    const QChar c = s[i];
    if (c.isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate())
        return QChar::surrogateToUcs4(c, s[i + 1]);
    return c.unicode();
}

icu::BreakIterator& dictionaryBreaks()
{
    thread_local std::unique_ptr<icu::BreakIterator> it = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> made(icu::BreakIterator::createWordInstance(icu::Locale("zh"), status));
        return U_SUCCESS(status) ? std::move(made) : nullptr;
    }();
    return *it;
}

// The pieces of line[from, to): blanks, marks and words, the runs of word
// characters split where ICU's word breaks fall inside them.
std::vector<Piece> pieces(QStringView line, qsizetype from, qsizetype to)
{
    std::vector<Piece> out;
    for (qsizetype i = from; i < to;) {
        const Kind kind = kindOf(codePointAt(line, i));
        qsizetype j = i;
        while (j < to && kindOf(codePointAt(line, j)) == kind)
            j += codePointAt(line, j) > 0xFFFF ? 2 : 1;
        if (kind != Kind::word) {
            out.push_back({i, j, kind});
            i = j;
            continue;
        }
        icu::BreakIterator& breaks = dictionaryBreaks();
        UErrorCode status = U_ZERO_ERROR;
        UText text = UTEXT_INITIALIZER;
        utext_openUChars(&text, reinterpret_cast<const UChar*>(line.utf16() + i), j - i, &status);
        breaks.setText(&text, status);
        qsizetype start = i;
        for (int32_t b = breaks.next(); b != icu::BreakIterator::DONE && U_SUCCESS(status); b = breaks.next()) {
            // ICU joins "a.b" and "3.14" across the mark; the run never holds one.
            out.push_back({start, i + b, Kind::word});
            start = i + b;
        }
        if (start < j)
            out.push_back({start, j, Kind::word});
        utext_close(&text);
        i = j;
    }
    return out;
}

// The pieces of the window around `pos`.
std::vector<Piece> around(QStringView line, qsizetype pos)
{
    return pieces(line, std::max<qsizetype>(0, pos - window), std::min(line.size(), pos + window));
}

}

qsizetype nextWordEnd(QStringView line, qsizetype pos)
{
    const std::vector<Piece> all = around(line, pos);
    for (size_t k = 0; k < all.size(); ++k) {
        const Piece& p = all[k];
        if (p.end <= pos || p.kind == Kind::blank)
            continue;
        // One mark right before a word is stepped over.
        if (p.kind == Kind::mark && p.start >= pos && p.end - p.start == 1 && k + 1 < all.size()
            && all[k + 1].kind == Kind::word && all[k + 1].start == p.end)
            return all[k + 1].end;
        return p.end;
    }
    return all.empty() ? line.size() : std::max(pos, all.back().end);
}

qsizetype previousWordStart(QStringView line, qsizetype pos)
{
    const std::vector<Piece> all = around(line, pos);
    for (size_t k = all.size(); k-- > 0;) {
        const Piece& p = all[k];
        if (p.start >= pos || p.kind == Kind::blank)
            continue;
        if (p.kind == Kind::mark && p.end <= pos && p.end - p.start == 1 && k > 0 && all[k - 1].kind == Kind::word
            && all[k - 1].end == p.start)
            return all[k - 1].start;
        return p.start;
    }
    return all.empty() ? 0 : std::min(pos, all.front().start);
}

std::pair<qsizetype, qsizetype> wordAt(QStringView line, qsizetype pos)
{
    if (line.isEmpty())
        return {0, 0};
    pos = std::clamp<qsizetype>(pos, 0, line.size() - 1);
    for (const Piece& p : around(line, pos))
        if (p.start <= pos && pos < p.end)
            return {p.start, p.end};
    return {pos, pos};
}

}
