// The lexers on their own: the style of each token class, fold levels and
// robustness on hostile input.
#include "editor/syntax/Lexer.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>

using namespace Syntax;

namespace {

struct Lexed {
    std::string text;
    std::string styles;
    std::vector<LineInfo> lines;

    // Style of the first byte of the n-th occurrence of `needle`.
    int at(const std::string& needle, int nth = 0) const
    {
        size_t p = text.find(needle);
        while (p != std::string::npos && nth-- > 0)
            p = text.find(needle, p + 1);
        if (p == std::string::npos) {
            ADD_FAILURE() << "no " << needle;
            return -1;
        }
        return static_cast<unsigned char>(styles[p]);
    }
    // Whole occurrence in one style.
    bool all(const std::string& needle, Style s) const
    {
        const size_t p = text.find(needle);
        if (p == std::string::npos)
            return false;
        for (size_t i = p; i < p + needle.size(); ++i)
            if (static_cast<unsigned char>(styles[i]) != s)
                return false;
        return true;
    }
    int depth(size_t line) const { return (lines.at(line).level & 0xfff) - foldBase; }
    bool header(size_t line) const { return lines.at(line).level & foldHeader; }

    // Each needle's first occurrence all in one style, or only its first byte.
    void whole(Style s, std::initializer_list<const char*> needles) const
    {
        for (const char* n : needles)
            EXPECT_TRUE(all(n, s)) << n;
    }
    void startsIn(Style s, std::initializer_list<const char*> needles) const
    {
        for (const char* n : needles)
            EXPECT_EQ(at(n), s) << n;
    }
    // A line's fold depth (or any) and whether it heads a fold (when given).
    struct Fold {
        size_t line;
        int depth;
        std::optional<bool> header = std::nullopt;
    };
    void folds(std::initializer_list<Fold> expected) const
    {
        for (const Fold& f : expected) {
            SCOPED_TRACE(f.line);
            if (f.depth != any) {
                EXPECT_EQ(depth(f.line), f.depth);
            }
            if (f.header) {
                EXPECT_EQ(header(f.line), *f.header);
            }
        }
    }
    static constexpr int any = -1000;
};
constexpr int any = Lexed::any;

Lexed lex(Language l, std::string text, char separator = ',')
{
    Lexed r;
    r.text = std::move(text);
    r.styles.assign(r.text.size(), char(0x7f));
    Options o;
    o.separator = separator;
    const auto n = std::int64_t(r.text.size());
    lexerFor(l)({r.text.data(), n, n}, 0, o, reinterpret_cast<unsigned char*>(r.styles.data()), r.lines);
    return r;
}

}

TEST(SyntaxLexer, JSONTokensAndFolds)
{
    const Lexed j = lex(Language::json, R"({
  // note
  "name": "Lorvane",
  "n": -12.5e3,
  "ok": true, "none": null,
  "list": [1,
    2,
    3],
  /* block
     comment */ "x": {}
}
)");
    j.whole(key, {"\"name\""});
    j.whole(string, {"\"Lorvane\""});
    j.whole(number, {"-12.5e3"});
    j.whole(literal, {"true", "null"});
    j.whole(comment, {"// note", "/* block", "comment */"});
    j.startsIn(key, {"\"x\""});
    j.startsIn(punct, {"{", ":"});
    EXPECT_EQ(j.styles.find(char(0x7f)), std::string::npos);  // every byte styled

    ASSERT_EQ(j.lines.size(), 11u);
    // line 5: "list": [ ... spans two lines
    // line 7: the closing bracket is outside the fold
    // line 10: the closing brace ends the block
    j.folds({{0, 0, true}, {2, 1}, {5, 1, true}, {6, 2, false}, {7, 1}, {10, 0, false}});
}

TEST(SyntaxLexer, JSONLineClosingAndOpeningHeadsTheNewBlock)
{
    const Lexed j = lex(Language::json, "[\n  {\n    \"a\": 1\n  }, {\n    \"b\": 2\n  }\n]");
    j.folds({{3, 1, true}, {4, 2}, {6, 0}});
}

TEST(SyntaxLexer, YAMLTokensAndFolds)
{
    const Lexed y = lex(Language::yaml, R"(# comment
---
name: Lorvane  # trailing
anchors:
  base: &base {a: 1, b: "two"}
  copy: *base
  tagged: !!str 42
list:
- one
- 2
- true

text: |
  line one
  # still text
next: ~
'quoted key': 'it''s'
...
)");
    y.whole(comment, {"# comment", "# trailing"});
    y.whole(marker, {"---", "..."});
    y.whole(key, {"name", "'quoted key'"});
    y.whole(string, {"Lorvane", "\"two\"", "line one", "# still text", "'it''s'"});
    y.whole(tag, {"&base", "*base", "!!str"});
    y.startsIn(key, {"a:"});
    y.startsIn(number, {"1,", "2\n"});
    y.startsIn(punct, {"- one", "|"});
    y.whole(literal, {"true"});
    y.startsIn(literal, {"~"});

    // line 3: anchors:
    // line 7: list: with its entries at the same indentation
    y.folds({{3, any, true}, {4, 2, false}, {7, any, true}});
    EXPECT_GT(y.depth(8), y.depth(7));
    // line 11: the blank line belongs to what follows
    // line 12: text: |
    y.folds({{11, 0}, {12, any, true}, {14, 2}, {15, any, false}});
}

TEST(SyntaxLexer, YAMLCommentLinesAfterTheFirstAndQuotesOverLines)
{
    const Lexed y = lex(Language::yaml, "# a\n# b\nkey: v\n#c: d\n  # e\na: \"one\n  two\" \nb: 1\n");
    y.whole(comment, {"# a", "# b", "#c: d", "# e"});
    y.whole(key, {"key"});
    y.startsIn(key, {"b:"});
    y.whole(string, {"v", "two\""});
    y.startsIn(number, {"1"});
}

TEST(SyntaxLexer, TOMLTokensAndFolds)
{
    const Lexed t = lex(Language::toml, R"(# top
title = "Lorvane"
[owner]
name = 'Tom'
dob = 1979-05-27T07:32:00-08:00
[[products]]
sku = 738_594_937
flag = false
notes = """
multi "line" [not an array
"""
ports = [ 8000,
  8001,
  8002 ]
point = { x = 1, "y" = 2 }
)");
    t.whole(comment, {"# top"});
    t.whole(key, {"title", "\"y\""});
    t.whole(string, {"\"Lorvane\"", "'Tom'", "multi \"line\" [not an array"});
    t.whole(heading, {"owner", "products"});
    t.startsIn(punct, {"[owner"});
    t.whole(date, {"1979-05-27T07:32:00-08:00"});
    t.whole(number, {"738_594_937"});
    t.whole(literal, {"false"});
    t.startsIn(number, {"8001", "2 }"});
    t.startsIn(key, {"x ="});

    // line 2: [owner]
    // line 5: [[products]] ends [owner]
    // line 11: ports = [
    // line 1: keys before the first table
    t.folds({{2, 0, true}, {3, 1}, {5, 0, true}, {11, 1, true}, {12, 2}, {13, 1}, {14, 1}, {1, 0}});
}

TEST(SyntaxLexer, CSVColumnsAndQuotedFields)
{
    const Lexed c = lex(Language::csv, "id,name,note,x,y\n1,\"a,b\",\"two\nlines\",4,5\n");
    c.startsIn(plain, {"id", "y", "5"});
    c.startsIn(column1, {"name"});
    c.startsIn(column2, {"note", "lines"});
    c.startsIn(column3, {"x", "4"});
    c.startsIn(punct, {","});
    c.whole(column1, {"\"a,b\""});

    const Lexed t = lex(Language::csv, "a\tb,c\n", '\t');
    t.startsIn(punct, {"\t"});
    t.whole(column1, {"b,c"});
    EXPECT_EQ(detectSeparator("a;b;c,d\n", 8), ';');
    EXPECT_EQ(detectSeparator("\"a;b;c\",d\n", 10), ',');
    EXPECT_EQ(detectSeparator("abc", 3), ',');
}

TEST(SyntaxLexer, MarkdownTokensAndSections)
{
    const Lexed m = lex(Language::markdown, R"(# Title
Some *em* and **strong** and `code` and [link](http://x.org).

## Sub
> quote
- item
1. first
- [x] done

```cpp
# not a heading
```

Setext
======
| h1 | h2 |
|----|----|
| a  | b  |
# Next
Lone * star and snake_case_word _emph_
)");
    m.startsIn(punct, {"# Title", "| a"});
    m.whole(heading, {"Title", "Setext"});
    m.whole(emphasis, {"*em*", "_emph_"});
    m.whole(strong, {"**strong**"});
    m.whole(code, {"`code`", "```cpp", "# not a heading"});
    m.whole(Syntax::link, {"[link](http://x.org)"});
    m.startsIn(quote, {"> quote"});
    m.startsIn(listMark, {"- item"});
    m.whole(listMark, {"1.", "[x]"});
    m.whole(punct, {"======", "|----|----|"});
    m.whole(table, {"h1"});
    m.startsIn(plain, {"a  |", "* star"});
    m.whole(plain, {"snake_case_word"});

    // line 3: ## Sub
    // line 10: inside the fence
    // line 13: Setext, a first-level heading
    m.folds({{0, 0, true}, {1, 1}, {3, 1, true}, {4, 2}, {10, 2, false}, {13, 0, true}, {14, 1}, {18, 0, true}});
}

TEST(SyntaxLexer, MarkdownBlocksAsCommonMarkReadsThem)
{
    const Lexed m = lex(Language::markdown, R"(Intro
text
    continued here

Two line
heading
-------

    indented code
    # still code

- item
    item text

[docs]: https://a.b/docs "Title"
see [docs][1]
````markdown
```js
x
```
````
after fence
)");
    // Indented lines continue a paragraph, start code after a blank line or a heading, and belong to list items.
    m.whole(plain, {"continued here", "item text"});
    m.whole(code, {"    indented code", "# still code"});
    // Every line of an underlined paragraph is the heading; only its first line heads a fold.
    m.whole(heading, {"Two line", "heading"});
    m.whole(punct, {"-------"});
    m.folds({{4, any, true}, {5, any, false}, {4, 1}, {8, 2}});
    m.whole(plain, {"Intro"});
    m.folds({{0, any, false}});
    // A reference definition: label, address, title.
    m.whole(Syntax::link, {"[docs]", "https://a.b/docs", "[docs][1]"});
    m.whole(Syntax::string, {"\"Title\""});
    // A fence of four backticks holds one of three.
    m.whole(code, {"```js", "x\n```\n````"});
    m.whole(plain, {"after fence"});
}

TEST(SyntaxLexer, PlantUMLTokens)
{
    const Lexed p = lex(Language::plantuml, R"(@startuml
' a comment
actor User
participant "Web Server" as W
User -> W : hello "there"
W --> User
/' block
   comment '/ note left of W
@enduml
)");
    p.whole(marker, {"@startuml", "@enduml"});
    p.whole(comment, {"' a comment", "/' block", "comment '/"});
    p.whole(keyword, {"actor", "participant", "note"});
    p.whole(string, {"\"Web Server\""});
    p.whole(tag, {"->", "-->"});
    p.startsIn(plain, {"User\n"});
}

// Unterminated constructs, control and invalid bytes and a megabyte line:
// every lexer styles every byte, in one pass.
TEST(SyntaxLexer, HostileInputIsStyledInFull)
{
    std::string hostile = "\"unterminated \\\n{[{[ /* never closed\n'''\n\"\"\"\n```\n/' x\n";
    for (int b = 0; b < 256; ++b)
        hostile += char(b);
    hostile += "\n";
    std::string big(1 << 20, '*');
    for (size_t i = 0; i < big.size(); i += 7)
        big[i] = "[\"`_<h{"[i % 7];
    hostile += big;
    for (Language l :
         {Language::json, Language::yaml, Language::toml, Language::csv, Language::markdown, Language::plantuml}) {
        const Lexed r = lex(l, hostile);
        EXPECT_EQ(r.styles.find(char(0x7f)), std::string::npos) << int(l);
        for (unsigned char s : r.styles)
            ASSERT_LT(s, styleCount) << int(l);
        EXPECT_EQ(r.lines.size(), 9u) << int(l);
    }
    // Ten thousand nested brackets on one line, then their end.
    const Lexed deep = lex(Language::json, std::string(10000, '[') + "\n" + std::string(10000, ']'));
    deep.folds({{0, 0, true}, {1, 0}});
}
