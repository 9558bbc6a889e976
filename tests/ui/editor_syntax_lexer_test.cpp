// The lexers on their own: the style of each token class, fold levels and
// robustness on hostile input.
#include "editor/syntax/Lexer.h"

#include <gtest/gtest.h>
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
};

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
    EXPECT_TRUE(j.all("\"name\"", key));
    EXPECT_TRUE(j.all("\"Lorvane\"", string));
    EXPECT_TRUE(j.all("-12.5e3", number));
    EXPECT_TRUE(j.all("true", literal));
    EXPECT_TRUE(j.all("null", literal));
    EXPECT_TRUE(j.all("// note", comment));
    EXPECT_TRUE(j.all("/* block", comment));
    EXPECT_TRUE(j.all("comment */", comment));
    EXPECT_EQ(j.at("\"x\""), key);  // after the comment closed on its line
    EXPECT_EQ(j.at("{"), punct);
    EXPECT_EQ(j.at(":"), punct);
    EXPECT_EQ(j.styles.find(char(0x7f)), std::string::npos);  // every byte styled

    ASSERT_EQ(j.lines.size(), 11u);
    EXPECT_TRUE(j.header(0));
    EXPECT_EQ(j.depth(0), 0);
    EXPECT_EQ(j.depth(2), 1);
    EXPECT_TRUE(j.header(5));  // "list": [ ... spans two lines
    EXPECT_EQ(j.depth(5), 1);
    EXPECT_EQ(j.depth(6), 2);
    EXPECT_FALSE(j.header(6));
    EXPECT_EQ(j.depth(7), 1);   // the closing bracket is outside the fold
    EXPECT_EQ(j.depth(10), 0);  // the closing brace ends the block
    EXPECT_FALSE(j.header(10));
}

TEST(SyntaxLexer, JSONLineClosingAndOpeningHeadsTheNewBlock)
{
    const Lexed j = lex(Language::json, "[\n  {\n    \"a\": 1\n  }, {\n    \"b\": 2\n  }\n]");
    EXPECT_TRUE(j.header(3));
    EXPECT_EQ(j.depth(3), 1);
    EXPECT_EQ(j.depth(4), 2);
    EXPECT_EQ(j.depth(6), 0);
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
    EXPECT_TRUE(y.all("# comment", comment));
    EXPECT_TRUE(y.all("---", marker));
    EXPECT_TRUE(y.all("...", marker));
    EXPECT_TRUE(y.all("name", key));
    EXPECT_TRUE(y.all("Lorvane", string));
    EXPECT_TRUE(y.all("# trailing", comment));
    EXPECT_TRUE(y.all("&base", tag));
    EXPECT_TRUE(y.all("*base", tag));
    EXPECT_TRUE(y.all("!!str", tag));
    EXPECT_EQ(y.at("a:"), key);
    EXPECT_EQ(y.at("1,"), number);
    EXPECT_TRUE(y.all("\"two\"", string));
    EXPECT_EQ(y.at("- one"), punct);
    EXPECT_EQ(y.at("2\n"), number);
    EXPECT_TRUE(y.all("true", literal));
    EXPECT_EQ(y.at("|"), punct);
    EXPECT_TRUE(y.all("line one", string));
    EXPECT_TRUE(y.all("# still text", string));
    EXPECT_EQ(y.at("~"), literal);
    EXPECT_TRUE(y.all("'quoted key'", key));
    EXPECT_TRUE(y.all("'it''s'", string));

    EXPECT_TRUE(y.header(3));  // anchors:
    EXPECT_EQ(y.depth(4), 2);
    EXPECT_FALSE(y.header(4));
    EXPECT_TRUE(y.header(7));  // list: with its entries at the same indentation
    EXPECT_GT(y.depth(8), y.depth(7));
    EXPECT_EQ(y.depth(11), 0);  // the blank line belongs to what follows
    EXPECT_TRUE(y.header(12));  // text: |
    EXPECT_EQ(y.depth(14), 2);
    EXPECT_FALSE(y.header(15));
}

TEST(SyntaxLexer, YAMLCommentLinesAfterTheFirst)
{
    const Lexed y = lex(Language::yaml, "# a\n# b\nkey: v\n#c: d\n  # e\n");
    EXPECT_TRUE(y.all("# a", comment));
    EXPECT_TRUE(y.all("# b", comment));
    EXPECT_TRUE(y.all("#c: d", comment));
    EXPECT_TRUE(y.all("# e", comment));
    EXPECT_TRUE(y.all("key", key));
    EXPECT_TRUE(y.all("v", string));
}

TEST(SyntaxLexer, YAMLQuotedScalarOverLines)
{
    const Lexed y = lex(Language::yaml, "a: \"one\n  two\" \nb: 1\n");
    EXPECT_TRUE(y.all("two\"", string));
    EXPECT_TRUE(y.all("b", key));
    EXPECT_EQ(y.at("1"), number);
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
    EXPECT_TRUE(t.all("# top", comment));
    EXPECT_TRUE(t.all("title", key));
    EXPECT_TRUE(t.all("\"Lorvane\"", string));
    EXPECT_TRUE(t.all("owner", heading));
    EXPECT_TRUE(t.all("products", heading));
    EXPECT_EQ(t.at("[owner"), punct);
    EXPECT_TRUE(t.all("'Tom'", string));
    EXPECT_TRUE(t.all("1979-05-27T07:32:00-08:00", date));
    EXPECT_TRUE(t.all("738_594_937", number));
    EXPECT_TRUE(t.all("false", literal));
    EXPECT_TRUE(t.all("multi \"line\" [not an array", string));
    EXPECT_EQ(t.at("8001"), number);
    EXPECT_EQ(t.at("x ="), key);
    EXPECT_TRUE(t.all("\"y\"", key));
    EXPECT_EQ(t.at("2 }"), number);

    EXPECT_TRUE(t.header(2));  // [owner]
    EXPECT_EQ(t.depth(2), 0);
    EXPECT_EQ(t.depth(3), 1);
    EXPECT_TRUE(t.header(5));  // [[products]] ends [owner]
    EXPECT_EQ(t.depth(5), 0);
    EXPECT_TRUE(t.header(11));  // ports = [
    EXPECT_EQ(t.depth(11), 1);
    EXPECT_EQ(t.depth(12), 2);
    EXPECT_EQ(t.depth(13), 1);
    EXPECT_EQ(t.depth(14), 1);
    EXPECT_EQ(t.depth(1), 0);  // keys before the first table
}

TEST(SyntaxLexer, CSVColumnsAndQuotedFields)
{
    const Lexed c = lex(Language::csv, "id,name,note,x,y\n1,\"a,b\",\"two\nlines\",4,5\n");
    EXPECT_EQ(c.at("id"), plain);
    EXPECT_EQ(c.at("name"), column1);
    EXPECT_EQ(c.at("note"), column2);
    EXPECT_EQ(c.at("x"), column3);
    EXPECT_EQ(c.at("y"), plain);  // the fifth column starts the cycle again
    EXPECT_EQ(c.at(","), punct);
    EXPECT_TRUE(c.all("\"a,b\"", column1));  // the comma inside quotes is data
    EXPECT_EQ(c.at("lines"), column2);       // the field continues on the next line
    EXPECT_EQ(c.at("4"), column3);
    EXPECT_EQ(c.at("5"), plain);

    const Lexed t = lex(Language::csv, "a\tb,c\n", '\t');
    EXPECT_EQ(t.at("\t"), punct);
    EXPECT_TRUE(t.all("b,c", column1));
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
    EXPECT_EQ(m.at("# Title"), punct);
    EXPECT_TRUE(m.all("Title", heading));
    EXPECT_TRUE(m.all("*em*", emphasis));
    EXPECT_TRUE(m.all("**strong**", strong));
    EXPECT_TRUE(m.all("`code`", code));
    EXPECT_TRUE(m.all("[link](http://x.org)", Syntax::link));
    EXPECT_EQ(m.at("> quote"), quote);
    EXPECT_EQ(m.at("- item"), listMark);
    EXPECT_TRUE(m.all("1.", listMark));
    EXPECT_TRUE(m.all("[x]", listMark));
    EXPECT_TRUE(m.all("```cpp", code));
    EXPECT_TRUE(m.all("# not a heading", code));
    EXPECT_TRUE(m.all("Setext", heading));
    EXPECT_TRUE(m.all("======", punct));
    EXPECT_TRUE(m.all("h1", table));
    EXPECT_TRUE(m.all("|----|----|", punct));
    EXPECT_EQ(m.at("| a"), punct);
    EXPECT_EQ(m.at("a  |"), plain);
    EXPECT_EQ(m.at("* star"), plain);
    EXPECT_TRUE(m.all("snake_case_word", plain));
    EXPECT_TRUE(m.all("_emph_", emphasis));

    EXPECT_TRUE(m.header(0));
    EXPECT_EQ(m.depth(0), 0);
    EXPECT_EQ(m.depth(1), 1);
    EXPECT_TRUE(m.header(3));  // ## Sub
    EXPECT_EQ(m.depth(3), 1);
    EXPECT_EQ(m.depth(4), 2);
    EXPECT_FALSE(m.header(10));  // inside the fence
    EXPECT_EQ(m.depth(10), 2);
    EXPECT_TRUE(m.header(13));  // Setext, a first-level heading
    EXPECT_EQ(m.depth(13), 0);
    EXPECT_EQ(m.depth(14), 1);
    EXPECT_TRUE(m.header(18));
    EXPECT_EQ(m.depth(18), 0);
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
    EXPECT_TRUE(m.all("continued here", plain));
    EXPECT_TRUE(m.all("    indented code", code));
    EXPECT_TRUE(m.all("# still code", code));
    EXPECT_TRUE(m.all("item text", plain));
    // Every line of an underlined paragraph is the heading; only its first line heads a fold.
    EXPECT_TRUE(m.all("Two line", heading));
    EXPECT_TRUE(m.all("heading", heading));
    EXPECT_TRUE(m.all("-------", punct));
    EXPECT_TRUE(m.header(4));
    EXPECT_FALSE(m.header(5));
    EXPECT_EQ(m.depth(4), 1);
    EXPECT_EQ(m.depth(8), 2);
    EXPECT_TRUE(m.all("Intro", plain));
    EXPECT_FALSE(m.header(0));
    // A reference definition: label, address, title.
    EXPECT_TRUE(m.all("[docs]", Syntax::link));
    EXPECT_TRUE(m.all("https://a.b/docs", Syntax::link));
    EXPECT_TRUE(m.all("\"Title\"", Syntax::string));
    EXPECT_TRUE(m.all("[docs][1]", Syntax::link));
    // A fence of four backticks holds one of three.
    EXPECT_TRUE(m.all("```js", code));
    EXPECT_TRUE(m.all("x\n```\n````", code));
    EXPECT_TRUE(m.all("after fence", plain));
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
    EXPECT_TRUE(p.all("@startuml", marker));
    EXPECT_TRUE(p.all("@enduml", marker));
    EXPECT_TRUE(p.all("' a comment", comment));
    EXPECT_TRUE(p.all("actor", keyword));
    EXPECT_TRUE(p.all("participant", keyword));
    EXPECT_TRUE(p.all("\"Web Server\"", string));
    EXPECT_TRUE(p.all("->", tag));
    EXPECT_TRUE(p.all("-->", tag));
    EXPECT_EQ(p.at("User\n"), plain);
    EXPECT_TRUE(p.all("/' block", comment));
    EXPECT_TRUE(p.all("comment '/", comment));
    EXPECT_TRUE(p.all("note", keyword));
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
    EXPECT_EQ(deep.depth(0), 0);
    EXPECT_TRUE(deep.header(0));
    EXPECT_EQ(deep.depth(1), 0);
}
