#pragma once

#include <QString>
#include <cstdint>
#include <cstring>
#include <vector>

// Lexers for the editor's colours and folds: pure functions from UTF-8
// bytes to one style byte per input byte, plus a state and a fold level per
// line. They never allocate per token and stay linear on any input, so a
// multi-megabyte line costs one pass.
namespace Syntax {

enum class Language { none, json, yaml, toml, csv, markdown, plantuml };

// The language a document's format is coloured with.
Language languageFor(const QString& pluginId);

// Style numbers as the editor stores them; 0 is ordinary text.
enum Style : unsigned char {
    plain = 0,
    key,
    string,
    number,
    literal,  // true, false, null
    comment,
    keyword,
    punct,  // separators, brackets, markup marks: dimmed
    heading,
    emphasis,
    strong,
    code,
    link,
    quote,
    listMark,
    tag,     // YAML anchors, aliases and tags; PlantUML arrows
    marker,  // document markers, @startuml
    date,
    table,    // Markdown table header cells
    column1,  // CSV columns after the first, cycling
    column2,
    column3,
    styleCount
};

// Fold levels in the editor's encoding.
inline constexpr int foldBase = 0x400;
inline constexpr int foldHeader = 0x2000;
inline constexpr int foldMaxDepth = 0x7ff;

inline int foldLevel(int depth, bool header)
{
    return (foldBase + (depth < 0 ? 0 : depth > foldMaxDepth ? foldMaxDepth : depth)) | (header ? foldHeader : 0);
}

struct LineInfo {
    int state;  // the lexer's state at the end of the line
    int level;  // fold level, header flag included
};

// A run of whole lines to style: bytes [0, length) are styled; the lexer
// may look at [length, available) for what follows (the start of the next
// lines), never further.
struct Chunk {
    const char* text;
    std::int64_t length;
    std::int64_t available;
};

struct Options {
    char separator = ',';  // CSV
};

using LexFn = void (*)(const Chunk& in, int state, const Options& o, unsigned char* styles,
                       std::vector<LineInfo>& lines);

void lexJSON(const Chunk& in, int state, const Options& o, unsigned char* styles, std::vector<LineInfo>& lines);
// A point inside the first line of a JSON chunk where lexing may resume:
// its offset, the bracket depth there and the lowest depth the line had
// reached before it. A minified file is one line of megabytes; an edit in
// it lexes again from the last such point before the edit.
struct JSONResume {
    std::int64_t at;
    int depth;
    int minDepth;
    bool inComment;
};
// Lexes the chunk from `from` (styles before it are left as they are),
// recording resume points of its first line in `marks` when given.
void lexJSONFrom(const Chunk& in, const JSONResume& from, unsigned char* styles, std::vector<LineInfo>& lines,
                 std::vector<JSONResume>* marks);
void lexYAML(const Chunk& in, int state, const Options& o, unsigned char* styles, std::vector<LineInfo>& lines);
void lexTOML(const Chunk& in, int state, const Options& o, unsigned char* styles, std::vector<LineInfo>& lines);
void lexCSV(const Chunk& in, int state, const Options& o, unsigned char* styles, std::vector<LineInfo>& lines);
void lexMarkdown(const Chunk& in, int state, const Options& o, unsigned char* styles, std::vector<LineInfo>& lines);
void lexPlantUML(const Chunk& in, int state, const Options& o, unsigned char* styles, std::vector<LineInfo>& lines);

// Null for plain text.
LexFn lexerFor(Language l);
// Whether the language sets fold levels.
bool folds(Language l);
// Whether a change to a line can alter the lines above it (a look-ahead
// decided their style or fold), so styling restarts at the previous
// non-blank line.
bool looksAhead(Language l);

// ",", tab, ";" or "|": the most frequent outside quotes in the first line;
// "," on ties and when none occur.
char detectSeparator(const char* text, std::int64_t length);

// ---- Helpers shared by the lexers ----
namespace detail {
inline bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r'; }
inline bool isDigit(char c) { return c >= '0' && c <= '9'; }
inline bool isAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
inline bool isWord(char c) { return isAlpha(c) || isDigit(c) || c == '_' || (unsigned char)(c) >= 0x80; }
// End of the line that starts at `from`: the index of its line feed or `n`.
std::int64_t lineEnd(const char* s, std::int64_t from, std::int64_t n);
// Index after the closing quote of a string opened at `at` (quote byte
// q, backslash escapes when `escapes`), or -1 when the line ends first.
std::int64_t stringEnd(const char* s, std::int64_t at, std::int64_t end, char q, bool escapes);
inline void fill(unsigned char* styles, std::int64_t from, std::int64_t to, Style st)
{
    if (to > from)
        std::memset(styles + from, st, size_t(to - from));
}
bool equals(const char* s, std::int64_t n, const char* word);
}

}
