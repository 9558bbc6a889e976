#include "editor/syntax/Lexer.h"

#include <cstring>

// Delimited text: columns in four cycling colours, separators dimmed. A
// quoted field may hold separators and line feeds ("" is a quote). State:
// bit 0 inside a quoted field, bits 1-2 the column's colour.
namespace Syntax {

using namespace detail;

namespace {
const Style columns[4] = {plain, column1, column2, column3};
}

void lexCSV(const Chunk& in, int state, const Options& o, unsigned char* st, std::vector<LineInfo>& lines)
{
    const char* s = in.text;
    const char sep = o.separator;
    bool quoted = state & 1;
    int column = (state >> 1) & 3;
    std::int64_t at = 0;
    while (at < in.length) {
        const std::int64_t end = lineEnd(s, at, in.length);
        std::int64_t i = at;
        bool fieldStart = !quoted;
        if (!quoted)
            column = 0;
        while (i < end) {
            if (quoted) {
                // To the closing quote; a doubled quote stays inside.
                std::int64_t j = i;
                for (;;) {
                    const void* q = std::memchr(s + j, '"', size_t(end - j));
                    if (!q) {
                        j = end;
                        break;
                    }
                    j = static_cast<const char*>(q) - s;
                    if (j + 1 < end && s[j + 1] == '"') {
                        j += 2;
                        continue;
                    }
                    quoted = false;
                    ++j;
                    break;
                }
                fill(st, i, j, columns[column]);
                i = j;
                fieldStart = false;
                continue;
            }
            const char c = s[i];
            if (c == sep) {
                st[i++] = punct;
                column = (column + 1) & 3;
                fieldStart = true;
            } else if (c == '"' && fieldStart) {
                quoted = true;
                st[i++] = columns[column];
            } else {
                // The rest of an unquoted field.
                std::int64_t j = i + 1;
                while (j < end && s[j] != sep)
                    ++j;
                fill(st, i, j, columns[column]);
                i = j;
                fieldStart = false;
            }
        }
        if (end < in.length)
            st[end] = quoted ? columns[column] : plain;
        lines.push_back({(quoted ? 1 : 0) | (column << 1), foldLevel(0, false)});
        at = end + 1;
    }
}

}
