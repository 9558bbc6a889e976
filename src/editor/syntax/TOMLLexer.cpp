#include "editor/syntax/Lexer.h"

#include <algorithm>

// TOML, line by line. State: bits 0-1 a multi-line string left open
// (basic or literal), bit 2 below a table header, bits 3+ the depth of
// arrays left open. A table folds up to the next table; arrays spanning
// lines fold inside it.
namespace Syntax {

using namespace detail;

namespace {

enum Mode { normal = 0, basicLines = 1, literalLines = 2 };

bool triple(const char* s, std::int64_t i, std::int64_t end, char q)
{
    return i + 2 < end && s[i] == q && s[i + 1] == q && s[i + 2] == q;
}

// Closes a multi-line string from `i`; returns the index after it, or -1.
std::int64_t closeLines(const char* s, std::int64_t i, std::int64_t end, char q)
{
    for (; i < end; ++i) {
        if (q == '"' && s[i] == '\\') {
            ++i;
            continue;
        }
        if (triple(s, i, end, q)) {
            std::int64_t j = i + 3;
            // Up to two more quotes belong to the content.
            while (j < end && s[j] == q && j < i + 5)
                ++j;
            return j;
        }
    }
    return -1;
}

bool isBareKey(char c) { return isAlpha(c) || isDigit(c) || c == '_' || c == '-'; }

}

void lexTOML(const Chunk& in, int state, const Options&, unsigned char* st, std::vector<LineInfo>& lines)
{
    const char* s = in.text;
    Mode mode = Mode(state & 3);
    bool inTable = state & 4;
    int depth = state >> 3;
    std::int64_t at = 0;
    while (at < in.length) {
        const std::int64_t end = lineEnd(s, at, in.length);
        int minDepth = depth;
        bool header = false;
        std::int64_t i = at;
        if (mode != normal) {
            const std::int64_t j = closeLines(s, i, end, mode == basicLines ? '"' : '\'');
            fill(st, i, j < 0 ? end : j, string);
            i = j < 0 ? end : j;
            if (j >= 0)
                mode = normal;
        }
        const bool lineStart = i == at;
        while (i < end && isSpace(s[i]))
            st[i++] = plain;
        int braces = 0;  // inline tables open on this line
        bool expectKey = lineStart && depth == 0;
        if (expectKey && i < end && s[i] == '[') {
            // [table] or [[array of tables]]
            std::int64_t j = i;
            while (j < end && s[j] == '[')
                st[j++] = punct;
            while (j < end && s[j] != ']' && s[j] != '#') {
                if (s[j] == '"' || s[j] == '\'') {
                    const std::int64_t q = stringEnd(s, j, end, s[j], s[j] == '"');
                    fill(st, j, q < 0 ? end : q, heading);
                    j = q < 0 ? end : q;
                } else {
                    st[j] = s[j] == '.' ? punct : heading;
                    ++j;
                }
            }
            while (j < end && s[j] == ']')
                st[j++] = punct;
            i = j;
            inTable = true;
            header = true;
            expectKey = false;
        }
        while (i < end) {
            const char c = s[i];
            if (isSpace(c)) {
                st[i++] = plain;
                continue;
            }
            if (c == '#') {
                fill(st, i, end, comment);
                break;
            }
            if (expectKey) {
                if (c == '=') {
                    st[i++] = punct;
                    expectKey = false;
                } else if (c == '"' || c == '\'') {
                    const std::int64_t j = stringEnd(s, i, end, c, c == '"');
                    fill(st, i, j < 0 ? end : j, key);
                    i = j < 0 ? end : j;
                } else if (c == '.') {
                    st[i++] = punct;
                } else if (isBareKey(c)) {
                    std::int64_t j = i;
                    while (j < end && isBareKey(s[j]))
                        ++j;
                    fill(st, i, j, key);
                    i = j;
                } else {
                    st[i++] = plain;
                }
                continue;
            }
            if (c == '"' || c == '\'') {
                if (triple(s, i, end, c)) {
                    const std::int64_t j = closeLines(s, i + 3, end, c);
                    fill(st, i, j < 0 ? end : j, string);
                    if (j < 0) {
                        mode = c == '"' ? basicLines : literalLines;
                        i = end;
                    } else {
                        i = j;
                    }
                } else {
                    const std::int64_t j = stringEnd(s, i, end, c, c == '"');
                    fill(st, i, j < 0 ? end : j, string);
                    i = j < 0 ? end : j;
                }
                continue;
            }
            switch (c) {
            case '[':
                ++depth;
                st[i++] = punct;
                continue;
            case ']':
                if (depth > 0)
                    --depth;
                minDepth = std::min(minDepth, depth);
                st[i++] = punct;
                continue;
            case '{':
                ++braces;
                expectKey = true;
                st[i++] = punct;
                continue;
            case '}':
                if (braces > 0)
                    --braces;
                st[i++] = punct;
                continue;
            case ',':
                expectKey = braces > 0;
                st[i++] = punct;
                continue;
            case '=': st[i++] = punct; continue;
            default: break;
            }
            std::int64_t j = i;
            while (j < end
                   && (isBareKey(s[j]) || s[j] == ':' || s[j] == '.' || s[j] == '+'
                       || (s[j] == ' ' && j > i && isDigit(s[j - 1]) && j + 1 < end && isDigit(s[j + 1]))))
                ++j;
            if (j == i)
                j = i + 1;
            Style style = plain;
            const std::int64_t n = j - i;
            if (equals(s + i, n, "true") || equals(s + i, n, "false")) {
                style = literal;
            } else if (isDigit(c) || c == '+' || c == '-' || equals(s + i, n, "inf") || equals(s + i, n, "nan")) {
                // 1979-05-27, 07:32:00 and their combinations are dates.
                const bool dated = (n >= 10 && isDigit(s[i]) && s[i + 4] == '-') || (n >= 5 && s[i + 2] == ':');
                style = dated ? date : number;
            }
            fill(st, i, j, style);
            i = j;
        }
        if (end < in.length)
            st[end] = plain;
        int level;
        if (header)
            level = foldLevel(0, true);
        else
            level = foldLevel((inTable ? 1 : 0) + minDepth, depth > minDepth);
        lines.push_back({int(mode) | (inTable ? 4 : 0) | (depth << 3), level});
        at = end + 1;
    }
}

}
