#include "editor/syntax/Lexer.h"

#include <algorithm>
#include <cstring>
#include <string_view>

// PlantUML. State: bit 0 inside a /' '/ comment.
namespace Syntax {

using namespace detail;

namespace {

// Sorted for binary search.
constexpr std::string_view keywords[] = {
    "abstract",    "activate",  "actor",      "agent",     "alt",         "annotation", "artifact",   "as",
    "autonumber",  "boundary",  "box",        "break",     "caption",     "card",       "class",      "cloud",
    "collections", "component", "control",    "create",    "critical",    "database",   "deactivate", "destroy",
    "detach",      "else",      "elseif",     "end",       "endif",       "endwhile",   "entity",     "enum",
    "extends",     "file",      "folder",     "footer",    "fork",        "frame",      "group",      "header",
    "hide",        "if",        "implements", "interface", "is",          "kill",       "left",       "legend",
    "loop",        "namespace", "newpage",    "node",      "note",        "object",     "of",         "on",
    "opt",         "over",      "package",    "par",       "participant", "partition",  "queue",      "rectangle",
    "ref",         "repeat",    "return",     "right",     "show",        "skinparam",  "stack",      "start",
    "state",       "stop",      "storage",    "then",      "title",       "to",         "top",        "usecase",
    "while"};

bool isKeyword(const char* s, std::int64_t n)
{
    if (n > 12)
        return false;
    return std::binary_search(std::begin(keywords), std::end(keywords), std::string_view(s, size_t(n)));
}

bool isArrowChar(char c)
{
    return c == '-' || c == '.' || c == '<' || c == '>' || c == '|' || c == '*' || c == '\\' || c == '/' || c == 'o'
        || c == 'x' || c == '#' || c == '[' || c == ']' || c == '+';
}

std::int64_t closeComment(const char* s, std::int64_t i, std::int64_t end)
{
    for (; i + 1 < end; ++i)
        if (s[i] == '\'' && s[i + 1] == '/')
            return i + 2;
    return -1;
}

}

void lexPlantUML(const Chunk& in, int state, const Options&, unsigned char* st, std::vector<LineInfo>& lines)
{
    const char* s = in.text;
    bool inComment = state & 1;
    std::int64_t at = 0;
    while (at < in.length) {
        const std::int64_t end = lineEnd(s, at, in.length);
        std::int64_t i = at;
        if (inComment) {
            const std::int64_t j = closeComment(s, i, end);
            fill(st, i, j < 0 ? end : j, comment);
            i = j < 0 ? end : j;
            inComment = j < 0;
        }
        while (i < end && isSpace(s[i]))
            st[i++] = plain;
        if (i < end && s[i] == '\'') {
            fill(st, i, end, comment);
            i = end;
        } else if (i < end && s[i] == '@') {
            std::int64_t j = i + 1;
            while (j < end && isWord(s[j]))
                ++j;
            fill(st, i, j, marker);
            i = j;
        }
        while (i < end) {
            const char c = s[i];
            if (c == '/' && i + 1 < end && s[i + 1] == '\'') {
                const std::int64_t j = closeComment(s, i + 2, end);
                fill(st, i, j < 0 ? end : j, comment);
                i = j < 0 ? end : j;
                inComment = j < 0;
            } else if (c == '"') {
                const std::int64_t j = stringEnd(s, i, end, '"', false);
                fill(st, i, j < 0 ? end : j, string);
                i = j < 0 ? end : j;
            } else if (isAlpha(c) || c == '_') {
                std::int64_t j = i + 1;
                while (j < end && isWord(s[j]))
                    ++j;
                fill(st, i, j, isKeyword(s + i, j - i) ? keyword : plain);
                i = j;
            } else if (isArrowChar(c)) {
                // An arrow: a run with a shaft (- or .) and a head or a second shaft.
                std::int64_t j = i;
                bool shaft = false, head = false;
                while (j < end && isArrowChar(s[j]) && !(s[j] == 'o' && j > i && j + 1 < end && isWord(s[j + 1]))) {
                    shaft = shaft || s[j] == '-' || s[j] == '.';
                    head = head || s[j] == '>' || s[j] == '<' || (j > i && (s[j] == '-' || s[j] == '.'));
                    ++j;
                }
                fill(st, i, j, shaft && head && j - i >= 2 ? tag : plain);
                i = j;
            } else if (c == ':') {
                // The message after a colon is free text.
                st[i++] = punct;
                while (i < end) {
                    if (s[i] == '/' && i + 1 < end && s[i + 1] == '\'')
                        break;
                    st[i++] = plain;
                }
            } else {
                st[i++] = plain;
            }
        }
        if (end < in.length)
            st[end] = inComment ? comment : plain;
        lines.push_back({inComment ? 1 : 0, foldLevel(0, false)});
        at = end + 1;
    }
}

}
