#include "editor/syntax/Lexer.h"

// JSON, with the // and /* */ comments of JSONC. State: bit 0 inside a
// block comment, the rest the bracket depth at the end of the line.
namespace Syntax {

using namespace detail;

void lexJSON(const Chunk& in, int state, const Options&, unsigned char* st, std::vector<LineInfo>& lines)
{
    lexJSONFrom(in, {0, state >> 1, state >> 1, bool(state & 1)}, st, lines, nullptr);
}

void lexJSONFrom(const Chunk& in, const JSONResume& from, unsigned char* st, std::vector<LineInfo>& lines,
                 std::vector<JSONResume>* marks)
{
    const char* s = in.text;
    bool inComment = from.inComment;
    int depth = from.depth;
    std::int64_t at = 0;
    std::int64_t resumeAt = from.at;
    int resumeMin = from.minDepth;
    // Resume points between tokens of the first line, about this far apart.
    constexpr std::int64_t markEvery = 64 << 10;
    std::int64_t nextMark = from.at + markEvery;
    while (at < in.length) {
        const std::int64_t end = lineEnd(s, at, in.length);
        int minDepth = resumeAt > 0 ? resumeMin : depth;
        std::int64_t i = resumeAt > 0 ? resumeAt : at;
        resumeAt = 0;
        while (i < end) {
            if (marks && at == 0 && i >= nextMark && !inComment
                && (s[i - 1] == ',' || s[i - 1] == '{' || s[i - 1] == '[' || s[i - 1] == ':')) {
                // After a separator: no string before it looks past this
                // point to decide whether it is a key.
                marks->push_back({i, depth, minDepth, false});
                nextMark = i + markEvery;
            }
            if (inComment) {
                std::int64_t j = i;
                while (j + 1 < end && !(s[j] == '*' && s[j + 1] == '/'))
                    ++j;
                if (j + 1 < end) {
                    fill(st, i, j + 2, comment);
                    i = j + 2;
                    inComment = false;
                } else {
                    fill(st, i, end, comment);
                    i = end;
                }
                continue;
            }
            const char c = s[i];
            switch (c) {
            case '"': {
                std::int64_t j = stringEnd(s, i, end, '"', true);
                if (j < 0)
                    j = end;
                std::int64_t k = j;
                while (k < end && isSpace(s[k]))
                    ++k;
                fill(st, i, j, k < end && s[k] == ':' ? key : string);
                i = j;
                break;
            }
            case '{':
            case '[':
                st[i++] = punct;
                ++depth;
                break;
            case '}':
            case ']':
                st[i++] = punct;
                if (depth > 0)
                    --depth;
                minDepth = depth < minDepth ? depth : minDepth;
                break;
            case ',':
            case ':': st[i++] = punct; break;
            case '/':
                if (i + 1 < end && s[i + 1] == '/') {
                    fill(st, i, end, comment);
                    i = end;
                } else if (i + 1 < end && s[i + 1] == '*') {
                    fill(st, i, i + 2, comment);
                    i += 2;
                    inComment = true;
                } else {
                    st[i++] = plain;
                }
                break;
            default:
                if (c == '-' || isDigit(c)) {
                    std::int64_t j = i + 1;
                    while (
                        j < end
                        && (isDigit(s[j]) || s[j] == '.' || s[j] == 'e' || s[j] == 'E' || s[j] == '+' || s[j] == '-'))
                        ++j;
                    fill(st, i, j, number);
                    i = j;
                } else if (isAlpha(c)) {
                    std::int64_t j = i + 1;
                    while (j < end && isWord(s[j]))
                        ++j;
                    const bool lit = equals(s + i, j - i, "true") || equals(s + i, j - i, "false")
                        || equals(s + i, j - i, "null");
                    fill(st, i, j, lit ? literal : plain);
                    i = j;
                } else {
                    st[i++] = plain;
                }
            }
        }
        if (end < in.length)
            st[end] = plain;
        lines.push_back({(depth << 1) | (inComment ? 1 : 0), foldLevel(minDepth, depth > minDepth)});
        at = end + 1;
    }
}

}
