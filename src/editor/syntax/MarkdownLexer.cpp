#include "editor/syntax/Lexer.h"

#include <algorithm>
#include <cstring>

// Markdown, line by line. State: bits 0-2 the level of the heading whose
// section the line is in; bit 3 inside a fenced block, bit 4 its fence is
// tildes, bits 5-10 the fence length; bit 11 the line is the underline of
// a heading above it; bit 12 inside a table; bit 13 the line is paragraph
// text (an indented line after it continues it rather than starting code);
// bit 14 that text is an underlined heading's; bit 15 inside a list (its
// indented lines are the items' content, not code). A heading folds up to
// the next heading of the same or a higher level.
namespace Syntax {

using namespace detail;

namespace {

constexpr int inFence = 1 << 3, tildes = 1 << 4, underline = 1 << 11, inTable = 1 << 12, inParagraph = 1 << 13,
              inHeadingText = 1 << 14, inList = 1 << 15;
// How far ahead a paragraph's first line looks for the underline that makes it a heading.
constexpr int setextLookahead = 64;

struct Span {
    const char* s;
    unsigned char* st;
    std::int64_t end;
};

std::int64_t skipSpaces(const char* s, std::int64_t i, std::int64_t end)
{
    while (i < end && (s[i] == ' ' || s[i] == '\t'))
        ++i;
    return i;
}

bool blankFrom(const char* s, std::int64_t i, std::int64_t end)
{
    while (i < end && isSpace(s[i]))
        ++i;
    return i == end;
}

// "===" or "---" alone on a line: the underline of a heading; 0 if not.
int underlineLevel(const char* s, std::int64_t i, std::int64_t end)
{
    const std::int64_t start = i;
    while (i < end && i - start < 3 && s[i] == ' ')
        ++i;
    if (i == end || (s[i] != '=' && s[i] != '-'))
        return 0;
    const char c = s[i];
    while (i < end && s[i] == c)
        ++i;
    return blankFrom(s, i, end) ? (c == '=' ? 1 : 2) : 0;
}

bool thematicBreak(const char* s, std::int64_t i, std::int64_t end)
{
    if (i == end || (s[i] != '-' && s[i] != '*' && s[i] != '_'))
        return false;
    const char c = s[i];
    int count = 0;
    for (; i < end; ++i) {
        if (s[i] == c)
            ++count;
        else if (!isSpace(s[i]))
            return false;
    }
    return count >= 3;
}

// |---|:--:| and the like.
bool delimiterRow(const char* s, std::int64_t i, std::int64_t end)
{
    bool pipe = false, dash = false;
    for (; i < end; ++i) {
        const char c = s[i];
        if (c == '|')
            pipe = true;
        else if (c == '-')
            dash = true;
        else if (c != ':' && !isSpace(c))
            return false;
    }
    return pipe && dash;
}

// The end of a list marker at i ("- ", "* ", "+ ", "1. ", "1) "), or -1.
std::int64_t listMarker(const char* s, std::int64_t i, std::int64_t end)
{
    if (i < end && (s[i] == '-' || s[i] == '*' || s[i] == '+'))
        return (i + 1 == end || s[i + 1] == ' ' || s[i + 1] == '\t') ? i + 1 : -1;
    std::int64_t j = i;
    while (j < end && j - i < 9 && isDigit(s[j]))
        ++j;
    if (j == i || j == end || (s[j] != '.' && s[j] != ')'))
        return -1;
    return (j + 1 == end || s[j + 1] == ' ' || s[j + 1] == '\t') ? j + 1 : -1;
}

// Inline markup from i to the line end over `base`. Searches for closers
// that failed are remembered, so a line of lone openers stays linear.
void inlines(const Span& l, std::int64_t i, Style base)
{
    const char* s = l.s;
    const std::int64_t end = l.end;
    bool noTicks[17] = {};
    bool noStar[2] = {}, noUnder[2] = {}, noBracket = false, noParen = false, noAngle = false;
    while (i < end) {
        const char c = s[i];
        switch (c) {
        case '\\':
            l.st[i++] = base;
            if (i < end)
                l.st[i++] = base;
            continue;
        case '`': {
            std::int64_t k = i;
            while (k < end && s[k] == '`')
                ++k;
            const std::int64_t run = k - i;
            if (run <= 16 && !noTicks[run]) {
                for (std::int64_t j = k; j < end;) {
                    const void* q = std::memchr(s + j, '`', size_t(end - j));
                    if (!q)
                        break;
                    std::int64_t a = static_cast<const char*>(q) - s, b = a;
                    while (b < end && s[b] == '`')
                        ++b;
                    if (b - a == run) {
                        fill(l.st, i, b, code);
                        i = b;
                        goto next;
                    }
                    j = b;
                }
                noTicks[run] = true;
            }
            fill(l.st, i, k, base);
            i = k;
            continue;
        }
        case '*':
        case '_': {
            std::int64_t k = i;
            while (k < end && s[k] == c)
                ++k;
            const bool strongRun = k - i >= 2;
            bool* failed = c == '*' ? noStar : noUnder;
            const bool opens = k < end && !isSpace(s[k]) && (c == '*' || i == 0 || !isWord(s[i - 1]));
            if (opens && !failed[strongRun]) {
                const std::int64_t need = strongRun ? 2 : 1;
                for (std::int64_t j = k; j < end;) {
                    const void* q = std::memchr(s + j, c, size_t(end - j));
                    if (!q)
                        break;
                    std::int64_t a = static_cast<const char*>(q) - s, b = a;
                    while (b < end && s[b] == c)
                        ++b;
                    if (b - a >= need && !isSpace(s[a - 1]) && (c == '*' || b == end || !isWord(s[b]))) {
                        fill(l.st, i, b, strongRun ? strong : emphasis);
                        i = b;
                        goto next;
                    }
                    j = b;
                }
                failed[strongRun] = true;
            }
            fill(l.st, i, k, base);
            i = k;
            continue;
        }
        case '!':
        case '[': {
            const std::int64_t open = c == '!' ? i + 1 : i;
            if (open < end && s[open] == '[' && !noBracket) {
                const void* q = std::memchr(s + open, ']', size_t(end - open));
                if (!q) {
                    noBracket = true;
                } else {
                    std::int64_t close = static_cast<const char*>(q) - s + 1;
                    if (close < end && s[close] == '(' && !noParen) {
                        const void* p = std::memchr(s + close, ')', size_t(end - close));
                        if (p)
                            close = static_cast<const char*>(p) - s + 1;
                        else
                            noParen = true;
                    } else if (close < end && s[close] == '[') {
                        // [text][label]: the label too.
                        if (const void* r = std::memchr(s + close, ']', size_t(end - close)))
                            close = static_cast<const char*>(r) - s + 1;
                    } else {
                        close = -1;
                    }
                    if (close > 0) {
                        fill(l.st, i, close, link);
                        i = close;
                        continue;
                    }
                }
            }
            l.st[i++] = base;
            continue;
        }
        case '<':
            if (!noAngle && end - i > 8
                && (std::memcmp(s + i + 1, "http", 4) == 0 || std::memcmp(s + i + 1, "mailto:", 7) == 0)) {
                const void* q = std::memchr(s + i, '>', size_t(end - i));
                if (q) {
                    const std::int64_t close = static_cast<const char*>(q) - s + 1;
                    fill(l.st, i, close, link);
                    i = close;
                    continue;
                }
                noAngle = true;
            }
            l.st[i++] = base;
            continue;
        case 'h':
            if (end - i > 8 && (i == 0 || !isWord(s[i - 1]))
                && (std::memcmp(s + i, "http://", 7) == 0 || std::memcmp(s + i, "https://", 8) == 0)) {
                std::int64_t j = i;
                while (j < end && !isSpace(s[j]) && s[j] != '<' && s[j] != ')')
                    ++j;
                fill(l.st, i, j, link);
                i = j;
                continue;
            }
            l.st[i++] = base;
            continue;
        default: {
            // A run of ordinary bytes at once.
            std::int64_t j = i + 1;
            while (j < end) {
                const char d = s[j];
                if (d == '\\' || d == '`' || d == '*' || d == '_' || d == '!' || d == '[' || d == '<' || d == 'h')
                    break;
                ++j;
            }
            fill(l.st, i, j, base);
            i = j;
            continue;
        }
        }
    next:;
    }
}

// Table cells: pipes dimmed, the rest as inline text of `base`.
void tableRow(const Span& l, std::int64_t i, Style base)
{
    inlines(l, i, base);
    for (; i < l.end; ++i)
        if (l.s[i] == '|' && (i == 0 || l.s[i - 1] != '\\') && l.st[i] != code)
            l.st[i] = punct;
}

// A line that ends the paragraph above it: a heading, fence, quote, rule or list item.
bool interruptsParagraph(const char* s, std::int64_t i, std::int64_t end)
{
    const std::int64_t start = i;
    while (i < end && i - start < 3 && s[i] == ' ')
        ++i;
    if (i == end)
        return true;
    const char c = s[i];
    if (c == '>' || (c == '#' && [&] {
            std::int64_t j = i;
            while (j < end && s[j] == '#')
                ++j;
            return j - i <= 6 && (j == end || s[j] == ' ' || s[j] == '\t');
        }()))
        return true;
    if ((c == '`' || c == '~') && end - i >= 3 && s[i + 1] == c && s[i + 2] == c)
        return true;
    if (thematicBreak(s, i, end))
        return true;
    const std::int64_t m = listMarker(s, i, end);
    return m > 0 && !blankFrom(s, m, end);
}

// The heading level (1 or 2) when the paragraph whose next line starts at
// `from` is underlined with "=" or "-" within a few lines; 0 otherwise.
int setextAhead(const char* s, std::int64_t from, std::int64_t available)
{
    for (int n = 0; n < setextLookahead && from < available; ++n) {
        const std::int64_t end = lineEnd(s, from, available);
        if (blankFrom(s, from, end))
            return 0;
        if (const int level = underlineLevel(s, from, end))
            return level;
        if (interruptsParagraph(s, from, end))
            return 0;
        from = end + 1;
    }
    return 0;
}

// The end of "[label]:" when a link reference definition starts at i; -1 otherwise.
std::int64_t definitionLabel(const char* s, std::int64_t i, std::int64_t end)
{
    if (i >= end || s[i] != '[')
        return -1;
    for (std::int64_t j = i + 1; j < end && j - i <= 1000; ++j) {
        if (s[j] == '\\') {
            ++j;
        } else if (s[j] == '[') {
            return -1;
        } else if (s[j] == ']') {
            return j > i + 1 && j + 1 < end && s[j + 1] == ':' ? j + 2 : -1;
        }
    }
    return -1;
}

// A reference definition's line: label, address and optional title.
void definition(const Span& l, std::int64_t i, std::int64_t label)
{
    fill(l.st, i, label - 1, link);
    l.st[label - 1] = punct;
    std::int64_t j = skipSpaces(l.s, label, l.end);
    fill(l.st, label, j, plain);
    const std::int64_t url = j;
    while (j < l.end && !isSpace(l.s[j]))
        ++j;
    fill(l.st, url, j, link);
    fill(l.st, j, l.end, string);
    for (std::int64_t k = j; k < l.end && isSpace(l.s[k]); ++k)
        l.st[k] = plain;
}

}

void lexMarkdown(const Chunk& in, int state, const Options&, unsigned char* st, std::vector<LineInfo>& lines)
{
    const char* s = in.text;
    std::int64_t at = 0;
    while (at < in.length) {
        const std::int64_t end = lineEnd(s, at, in.length);
        const std::int64_t nextStart = end + 1;
        const std::int64_t nextEnd = nextStart < in.available ? lineEnd(s, nextStart, in.available) : -1;
        int section = state & 7;
        int fence = state & (inFence | tildes | (63 << 5));
        const bool isUnderline = state & underline;
        const bool afterText = state & inParagraph;
        const bool headingText = state & inHeadingText;
        bool list = state & inList;
        bool table = state & inTable;
        bool paragraph = false, underlined = false;
        int heading = 0;
        const Span l{s, st, end};
        std::int64_t i = at;
        while (i < end && i - at < 3 && s[i] == ' ')
            ++i;
        const bool indented = i < end && (s[i] == ' ' || s[i] == '\t');
        const bool blank = blankFrom(s, at, end);
        // Text back at the margin after a blank line leaves the list.
        if (list && !blank && !indented && !afterText && listMarker(s, i, end) < 0)
            list = false;
        std::int64_t label = -1;

        if (fence) {
            const char fc = (fence & tildes) ? '~' : '`';
            const int flen = (fence >> 5) & 63;
            std::int64_t j = i;
            while (j < end && s[j] == fc)
                ++j;
            fill(st, at, end, code);
            if (!indented && j - i >= flen && blankFrom(s, j, end))
                fence = 0;
        } else if (isUnderline) {
            fill(st, at, end, punct);
        } else if (blank) {
            fill(st, at, end, plain);
            table = false;
        } else if (indented && !afterText && !list && !table) {
            // Indented code.
            fill(st, at, end, code);
        } else if (!indented && s[i] == '#' && [&] {
                       std::int64_t j = i;
                       while (j < end && s[j] == '#')
                           ++j;
                       heading = int(j - i);
                       if (heading <= 6 && (j == end || s[j] == ' ' || s[j] == '\t'))
                           return true;
                       heading = 0;
                       return false;
                   }()) {
            std::int64_t j = i + heading;
            fill(st, at, j, punct);
            fill(st, j, end, Syntax::heading);
            table = list = false;
        } else if (!indented && (s[i] == '`' || s[i] == '~') && [&] {
                       std::int64_t j = i;
                       while (j < end && s[j] == s[i])
                           ++j;
                       if (j - i < 3)
                           return false;
                       if (s[i] == '`' && std::memchr(s + j, '`', size_t(end - j)))
                           return false;
                       fence = inFence | (s[i] == '~' ? tildes : 0) | (int(std::min<std::int64_t>(j - i, 63)) << 5);
                       return true;
                   }()) {
            heading = 0;
            fill(st, at, end, code);
            table = false;
        } else if (!indented && thematicBreak(s, i, end)) {
            heading = 0;
            fill(st, at, end, punct);
        } else if (!indented && delimiterRow(s, i, end)) {
            fill(st, at, end, punct);
        } else if (table) {
            fill(st, at, i, plain);
            tableRow(l, i, plain);
        } else if (!indented && nextEnd >= 0 && std::memchr(s + i, '|', size_t(end - i))
                   && delimiterRow(s, nextStart, nextEnd)) {
            fill(st, at, i, plain);
            tableRow(l, i, Syntax::table);
            table = true;
        } else if (!indented && !afterText && (label = definitionLabel(s, i, end)) > 0) {
            fill(st, at, i, plain);
            definition(l, i, label);
        } else {
            heading = 0;
            paragraph = true;
            fill(st, at, i, plain);
            std::int64_t j = i;
            // Quote marks, then a list marker.
            bool quoted = false;
            while (j < end && s[j] == '>') {
                st[j++] = quote;
                quoted = true;
                while (j < end && s[j] == ' ')
                    st[j++] = plain;
            }
            const std::int64_t m = listMarker(s, j, end);
            bool block = quoted;
            if (m > 0) {
                fill(st, j, m, listMark);
                j = m;
                block = list = true;
                const std::int64_t t = skipSpaces(s, j, end);
                fill(st, j, t, plain);
                j = t;
                if (end - j >= 3 && s[j] == '[' && (s[j + 1] == ' ' || s[j + 1] == 'x' || s[j + 1] == 'X')
                    && s[j + 2] == ']') {
                    fill(st, j, j + 3, listMark);
                    j += 3;
                }
            }
            // A paragraph underlined with "===" or "---" is a heading: its
            // first line looks ahead, the following ones continue it.
            if (!block && afterText && headingText) {
                underlined = true;
            } else if (!block && !afterText && !list && nextEnd >= 0) {
                heading = setextAhead(s, nextStart, in.available);
                underlined = heading > 0;
            }
            inlines(l, j, underlined ? Syntax::heading : quoted ? quote : plain);
        }
        if (end < in.length)
            st[end] = fence ? code : plain;
        const bool newUnderline = underlined && nextEnd >= 0 && underlineLevel(s, nextStart, nextEnd);
        int level;
        if (heading) {
            level = foldLevel(heading - 1, true);
            section = heading;
        } else {
            level = foldLevel(section, false);
        }
        state = section | fence | (newUnderline ? underline : 0) | (table ? inTable : 0)
            | (paragraph && !newUnderline ? inParagraph : 0) | (underlined && !newUnderline ? inHeadingText : 0)
            | (list ? inList : 0);
        lines.push_back({state, level});
        at = end + 1;
    }
}

}
