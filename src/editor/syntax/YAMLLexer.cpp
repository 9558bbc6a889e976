#include "editor/syntax/Lexer.h"

#include <algorithm>

// YAML, line by line. State: bits 0-1 the mode (a block scalar, or a quoted
// scalar running over the line end), bits 2+ the indentation of the line
// that opened the block scalar. Folds follow indentation; a "- " entry
// counts one column deeper, so a sequence under its key folds with it.
namespace Syntax {

using namespace detail;

namespace {

enum Mode { normal = 0, blockScalar = 1, doubleQuoted = 2, singleQuoted = 3 };

// Indentation of a line for folding, or -1 for a blank or comment line.
int foldIndent(const char* s, std::int64_t from, std::int64_t end)
{
    std::int64_t i = from;
    while (i < end && s[i] == ' ')
        ++i;
    if (i == end || s[i] == '#' || s[i] == '\r' || s[i] == '\t') {
        std::int64_t j = i;
        while (j < end && isSpace(s[j]))
            ++j;
        if (j == end || s[j] == '#')
            return -1;
    }
    const int indent = int(i - from);
    return (s[i] == '-' && (i + 1 == end || s[i + 1] == ' ')) ? indent + 1 : indent;
}

bool isNumber(const char* s, std::int64_t n)
{
    std::int64_t i = 0;
    if (i < n && (s[i] == '-' || s[i] == '+'))
        ++i;
    if (i >= n)
        return false;
    if (equals(s + i, n - i, ".inf") || equals(s + i, n - i, ".Inf") || equals(s + i, n - i, ".nan")
        || equals(s + i, n - i, ".NaN"))
        return true;
    if (n - i > 2 && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'o')) {
        for (std::int64_t k = i + 2; k < n; ++k)
            if (!isDigit(s[k]) && !((s[k] >= 'a' && s[k] <= 'f') || (s[k] >= 'A' && s[k] <= 'F') || s[k] == '_'))
                return false;
        return true;
    }
    bool digit = false;
    for (std::int64_t k = i; k < n; ++k) {
        const char c = s[k];
        if (isDigit(c))
            digit = true;
        else if (c != '.' && c != 'e' && c != 'E' && c != '-' && c != '+' && c != '_' && c != ':' && c != 'T'
                 && c != 'Z' && c != ' ')
            return false;
    }
    return digit;
}

bool isLiteral(const char* s, std::int64_t n)
{
    static const char* const words[] = {"true", "false", "null", "True", "False", "Null", "TRUE", "FALSE",
                                        "NULL", "~",     "yes",  "no",   "Yes",   "No",   "YES",  "NO",
                                        "on",   "off",   "On",   "Off",  "ON",    "OFF"};
    if (n > 5)
        return false;
    for (const char* w : words)
        if (equals(s, n, w))
            return true;
    return false;
}

struct Line {
    const char* s;
    unsigned char* st;
    std::int64_t end;
    Mode mode = normal;
    int flow = 0;  // open [ and { on this line
};

// A quoted scalar from `i` (at its quote, or continuing one); returns the
// index after it and leaves the mode set when it runs over the line end.
std::int64_t quoted(Line& l, std::int64_t i, char q, bool opening)
{
    std::int64_t j = opening ? i + 1 : i;
    for (; j < l.end; ++j) {
        if (q == '"' && l.s[j] == '\\') {
            ++j;
            continue;
        }
        if (l.s[j] == q) {
            if (q == '\'' && j + 1 < l.end && l.s[j + 1] == '\'') {
                ++j;
                continue;
            }
            fill(l.st, i, j + 1, string);
            l.mode = normal;
            return j + 1;
        }
    }
    fill(l.st, i, l.end, string);
    l.mode = q == '"' ? doubleQuoted : singleQuoted;
    return l.end;
}

// End of a plain scalar from `i`: before " #" and ": ", and before flow
// punctuation inside a flow collection.
std::int64_t plainEnd(const Line& l, std::int64_t i)
{
    std::int64_t j = i;
    for (; j < l.end; ++j) {
        const char c = l.s[j];
        if (c == '#' && j > i && isSpace(l.s[j - 1]))
            break;
        if (c == ':' && (j + 1 == l.end || isSpace(l.s[j + 1]) || (l.flow && (l.s[j + 1] == ',' || l.s[j + 1] == '}'))))
            break;
        if (l.flow && (c == ',' || c == ']' || c == '}' || c == '[' || c == '{'))
            break;
    }
    while (j > i && isSpace(l.s[j - 1]))
        --j;
    return j;
}

// Values, flow collections and keys inside them, from `i` to the line end.
void values(Line& l, std::int64_t i, int indent, int& blockIndent)
{
    const char* s = l.s;
    bool valueStart = true;
    while (i < l.end) {
        const char c = s[i];
        if (isSpace(c)) {
            l.st[i++] = plain;
            continue;
        }
        if (c == '#' && (i == 0 || isSpace(s[i - 1]) || s[i - 1] == '\n')) {
            fill(l.st, i, l.end, comment);
            return;
        }
        if (c == '&' || c == '*' || c == '!') {
            std::int64_t j = i + 1;
            while (j < l.end && !isSpace(s[j]) && !(l.flow && (s[j] == ',' || s[j] == ']' || s[j] == '}')))
                ++j;
            fill(l.st, i, j, tag);
            i = j;
            continue;
        }
        if (c == '"' || c == '\'') {
            const std::int64_t j = quoted(l, i, c, true);
            std::int64_t k = j;
            while (k < l.end && isSpace(s[k]))
                ++k;
            if (l.mode == normal && l.flow && k < l.end && s[k] == ':')
                fill(l.st, i, j, key);
            i = j;
            valueStart = false;
            continue;
        }
        if (valueStart && (c == '|' || c == '>')) {
            std::int64_t j = i + 1;
            while (j < l.end && (s[j] == '-' || s[j] == '+' || isDigit(s[j])))
                ++j;
            fill(l.st, i, j, punct);
            l.mode = blockScalar;
            blockIndent = indent;
            i = j;
            continue;
        }
        if (c == '[' || c == '{') {
            ++l.flow;
            l.st[i++] = punct;
            continue;
        }
        if (c == ']' || c == '}') {
            if (l.flow > 0)
                --l.flow;
            l.st[i++] = punct;
            continue;
        }
        if (c == ',' || (c == ':' && (i + 1 == l.end || isSpace(s[i + 1]) || l.flow))) {
            l.st[i++] = punct;
            continue;
        }
        const std::int64_t j = std::max(plainEnd(l, i), i + 1);
        std::int64_t k = j;
        while (k < l.end && isSpace(s[k]))
            ++k;
        Style style = string;
        if (l.flow && k < l.end && s[k] == ':')
            style = key;
        else if (isLiteral(s + i, j - i))
            style = literal;
        else if (isNumber(s + i, j - i))
            style = number;
        fill(l.st, i, j, style);
        i = j;
        valueStart = false;
    }
}

}

void lexYAML(const Chunk& in, int state, const Options&, unsigned char* st, std::vector<LineInfo>& lines)
{
    const char* s = in.text;
    Mode mode = Mode(state & 3);
    int blockIndent = (state >> 2) - 1;
    // The next line with content and its fold indentation, found once for a
    // run of blank lines.
    std::int64_t nextAt = -1;
    int nextIndent = -1;
    std::int64_t at = 0;
    while (at < in.length) {
        const std::int64_t end = lineEnd(s, at, in.length);
        std::int64_t i = at;
        while (i < end && s[i] == ' ')
            ++i;
        const int indent = int(i - at);
        const bool blank = i == end || (isSpace(s[i]) && [&] {
                               std::int64_t j = i;
                               while (j < end && isSpace(s[j]))
                                   ++j;
                               return j == end;
                           }());
        Line l{s, st, end, mode};
        bool scalarLine = false;
        if (mode == blockScalar && (blank || indent > blockIndent)) {
            fill(st, at, end, string);
            scalarLine = !blank;
        } else if (mode == doubleQuoted || mode == singleQuoted) {
            fill(st, at, i, plain);
            values(l, quoted(l, i, mode == doubleQuoted ? '"' : '\'', false), indent, blockIndent);
        } else {
            l.mode = normal;
            fill(st, at, i, plain);
            const std::int64_t n = end - i;
            if (indent == 0 && n >= 3
                && ((s[i] == '-' && s[i + 1] == '-' && s[i + 2] == '-')
                    || (s[i] == '.' && s[i + 1] == '.' && s[i + 2] == '.'))
                && (n == 3 || isSpace(s[i + 3]))) {
                fill(st, i, i + 3, marker);
                values(l, i + 3, -1, blockIndent);
            } else if (i < end && s[i] == '%' && indent == 0) {
                fill(st, i, end, keyword);
            } else {
                // Sequence entries, then a key if the line has one.
                while (i < end && (s[i] == '-' || s[i] == '?') && (i + 1 == end || s[i + 1] == ' ')) {
                    st[i++] = punct;
                    while (i < end && s[i] == ' ')
                        st[i++] = plain;
                }
                std::int64_t keyEnd = -1;
                if (i < end && (s[i] == '"' || s[i] == '\'')) {
                    const std::int64_t j = stringEnd(s, i, end, s[i], s[i] == '"');
                    std::int64_t k = j < 0 ? end : j;
                    while (k < end && isSpace(s[k]))
                        ++k;
                    if (j > 0 && k < end && s[k] == ':' && (k + 1 == end || isSpace(s[k + 1])))
                        keyEnd = j;
                } else if (i < end && s[i] != '#' && s[i] != '[' && s[i] != '{' && s[i] != '&' && s[i] != '*'
                           && s[i] != '!' && s[i] != '|' && s[i] != '>') {
                    const std::int64_t j = plainEnd(l, i);
                    std::int64_t k = j;
                    while (k < end && isSpace(s[k]))
                        ++k;
                    if (k < end && s[k] == ':' && (k + 1 == end || isSpace(s[k + 1])))
                        keyEnd = j;
                }
                if (keyEnd > i) {
                    fill(st, i, keyEnd, key);
                    i = keyEnd;
                }
                values(l, i, indent, blockIndent);
            }
        }
        mode = l.mode;
        if (end < in.length)
            st[end] = plain;

        // Folding: a line heads a block when the next line with content is
        // indented deeper; blank lines take the level of what follows.
        const int own = scalarLine ? indent : foldIndent(s, at, end);
        if (nextAt <= at) {
            nextAt = in.available;
            nextIndent = -1;
            for (std::int64_t p = end + 1; p < in.available;) {
                const std::int64_t e = lineEnd(s, p, in.available);
                const int fi = foldIndent(s, p, e);
                if (fi >= 0) {
                    nextAt = p;
                    nextIndent = fi;
                    break;
                }
                p = e + 1;
            }
        }
        const int next = nextIndent < 0 ? 0 : nextIndent;
        const int level = own < 0 ? foldLevel(next, false) : foldLevel(own, next > own);
        lines.push_back({int(mode) | ((blockIndent + 1) << 2), level});
        at = end + 1;
    }
}

}
