#include "plugins/Markdown.h"
#include "plugins/MarkdownChars.h"
#include "plugins/Regex.h"

#include <gtest/gtest.h>

namespace {

QString u8(const char* s) { return QString::fromUtf8(s); }
QString in(const char* s) { return Markdown::inlineHTML(u8(s)); }
QString md(const char* s) { return Markdown::html(u8(s)); }

struct StartTag {
    QString name;
    QStringList attributes;
};

// Start tags read the way a browser splits them: quoted values may hold ">".
QList<StartTag> startTags(const QString& html)
{
    QList<StartTag> tags;
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\f' || c == u'\r'; };
    for (qsizetype i = html.indexOf(u'<'); i >= 0 && i + 1 < html.size(); i = html.indexOf(u'<', i + 1)) {
        if (!html[i + 1].isLetter())
            continue;
        StartTag tag;
        qsizetype j = i + 1;
        while (j < html.size() && !blank(html[j]) && html[j] != u'>' && html[j] != u'/')
            tag.name += html[j++].toLower();
        while (j < html.size() && html[j] != u'>') {
            if (blank(html[j]) || html[j] == u'/') {
                ++j;
                continue;
            }
            QString name;
            while (j < html.size() && !blank(html[j]) && html[j] != u'>' && html[j] != u'=' && html[j] != u'/')
                name += html[j++].toLower();
            if (j < html.size() && html[j] == u'=') {
                ++j;
                if (j < html.size() && (html[j] == u'"' || html[j] == u'\'')) {
                    const qsizetype close = html.indexOf(html[j], j + 1);
                    j = close < 0 ? html.size() : close + 1;
                } else {
                    while (j < html.size() && !blank(html[j]) && html[j] != u'>')
                        ++j;
                }
            }
            tag.attributes << (name.isEmpty() ? QStringLiteral("=") : name);
        }
        tags << tag;
        i = j;
    }
    return tags;
}

}

TEST(MarkdownLinks, NoEmphasisInsideURLs)
{
    EXPECT_EQ(in("[x](https://docs.python.org/3/reference/datamodel.html#object.__init__)"),
              u8("<a href=\"https://docs.python.org/3/reference/datamodel.html#object.__init__\">x</a>"));
    EXPECT_EQ(in("see https://a.b/_x_ and _y_"), u8("see <a href=\"https://a.b/_x_\">https://a.b/_x_</a> and <em>y</em>"));
    EXPECT_EQ(in("![*a* b](/p/**q**.png)"), u8("<img alt=\"*a* b\" src=\"/p/**q**.png\">"));
    EXPECT_EQ(in("[~~a~~](http://z/~~s~~)"), u8("<a href=\"http://z/~~s~~\"><del>a</del></a>"));
    // Emphasis around a link still applies, and across it.
    EXPECT_EQ(in("**[a](u_v_w)** and *x [b](y) z*"),
              u8("<strong><a href=\"u_v_w\">a</a></strong> and <em>x <a href=\"y\">b</a> z</em>"));
    // An emphasis mark in a URL no longer pairs with one outside it.
    EXPECT_EQ(in("*see https://a.b*"), u8("*see <a href=\"https://a.b*\">https://a.b*</a>"));
}

TEST(MarkdownLinks, AngleBracketAutolinks)
{
    EXPECT_EQ(in("<https://a.b/_x_?q=1&r=2>"),
              u8("<a href=\"https://a.b/_x_?q=1&amp;r=2\">https://a.b/_x_?q=1&amp;r=2</a>"));
    EXPECT_EQ(in("(<http://例子.cn/路径>)"), u8("(<a href=\"http://例子.cn/路径\">http://例子.cn/路径</a>)"));
    // Not autolinks: a blank inside, no address, another scheme.
    EXPECT_EQ(in("<https://ab c>"), u8("&lt;<a href=\"https://ab\">https://ab</a> c&gt;"));
    EXPECT_EQ(in("<ftp://a>"), u8("&lt;ftp://a&gt;"));
    // Inside an image description it is plain text of the attribute.
    EXPECT_EQ(in("![<https://a.b>](p)"), u8("<img alt=\"https://a.b\" src=\"p\">"));
}

TEST(MarkdownLinks, GeneratedAttributesCannotBeBrokenOutOf)
{
    const char* hostile[] = {
        "![<a title=\"/src=x /onerror=alert(1)//\">](y)",
        "![x](/http://z/onerror=alert(1)//)",
        "[x](a<b title=\" onmouseover=alert(1) x=\">)",
        "![<b title='\" onclick=alert(1) '>](p)",
        "[x](http://a.b<i title=\"x\" onfocus=alert(1)>)",
        "https://a.b/<b title=\"q\" onmouseover=alert(1)>",
        "[![i](p\")](u\")",
        "![`\"`\" onload=alert(1)](p)",
        "[x](a![y onmouseover=alert(1) z](p)b)",
        "![a[b](c \" onerror=alert(1))](d)",
    };
    for (const char* input : hostile) {
        const QString out = in(input);
        for (const StartTag& tag : startTags(out)) {
            for (const QString& name : tag.attributes)
                EXPECT_FALSE(name.startsWith(u8("on"))) << input << "\n  -> " << out.toStdString();
            // Generated images keep exactly the attributes they were written with.
            if (tag.name == u8("img"))
                EXPECT_EQ(tag.attributes, QStringList({u8("alt"), u8("src")})) << input << "\n  -> " << out.toStdString();
        }
    }
    // The raw HTML keeps its text inside the attribute, quotes escaped.
    EXPECT_EQ(in("![<a title=\"t\">](y)"), u8("<img alt=\"<a title=&quot;t&quot;>\" src=\"y\">"));
    EXPECT_EQ(in("![x](/http://z/a)"), u8("<img alt=\"x\" src=\"/http://z/a\">"));
}

TEST(MarkdownLinks, LinksAroundGeneratedMarkup)
{
    EXPECT_EQ(in("[![i](p.png)](https://a.b)"), u8("<a href=\"https://a.b\"><img alt=\"i\" src=\"p.png\"></a>"));
    // A URL cannot hold generated markup; the inner image stays an image.
    EXPECT_EQ(in("[x](a![i](p)b)"), u8("[x](a<img alt=\"i\" src=\"p\">b)"));
    // Brackets inside an image description are not read as a link later.
    EXPECT_EQ(in("![a[b](c)](d)"), u8("<img alt=\"a[b\" src=\"c\">](d)"));
    EXPECT_EQ(in("[x](javascript:alert(1))"), u8("<a href=\"#\">x</a>)"));
}

TEST(MarkdownLinks, OrderedItemsAcrossBlankLinesAreOneLooseList)
{
    EXPECT_EQ(md("1. a\n\n2. b"), u8("<ol><li><p>a</p></li><li><p>b</p></li></ol>\n"));
    EXPECT_EQ(md("1. a\n\n\n2. b\n3. c\n\nafter"),
              u8("<ol><li><p>a</p></li><li><p>b</p></li><li><p>c</p></li></ol>\n<p>after</p>\n"));
    EXPECT_EQ(md("1. [x] a\n\n2. b\n   - c"),
              u8("<ol><li class=\"task\"><p><input type=\"checkbox\" disabled checked> a</p></li>"
                 "<li><p>b</p><ul><li>c</li></ul>\n</li></ol>\n"));
    // Tight lists and bullet lists are as before.
    EXPECT_EQ(md("1. a\n2. b"), u8("<ol><li>a</li><li>b</li></ol>\n"));
    EXPECT_EQ(md("- a\n\n- b"), u8("<ul><li>a</li></ul>\n<ul><li>b</li></ul>\n"));
    EXPECT_EQ(md("1. a\n\n- b"), u8("<ol><li>a</li></ol>\n<ul><li>b</li></ul>\n"));
    EXPECT_EQ(md("1. a\n\nb\n2. c"), u8("<ol><li>a</li></ol>\n<p>b</p>\n<ol><li>c</li></ol>\n"));
}

// The scanners decide with the character classes of the regular
// expressions they replace; a different ICU must not drift from them.
TEST(MarkdownLinks, CharacterClassesMatchICU)
{
    int mismatches = 0;
    for (char32_t c = 0; c < 0x10000; ++c) {
        if (c >= 0xD800 && c < 0xE000)
            continue;
        const QString s = QString(QChar(char16_t(c)));
        const bool ok = MarkdownChars::isSpace(c) == Regex::reMatches(s, QStringLiteral("^\\s$"))
                        && MarkdownChars::isWord(c) == Regex::reMatches(s, QStringLiteral("^\\w$"))
                        && MarkdownChars::isDigit(c) == Regex::reMatches(s, QStringLiteral("^\\d$"))
                        && MarkdownChars::isLineEnd(c) == !Regex::reMatches(s, QStringLiteral("^.$"));
        if (!ok && ++mismatches < 5)
            ADD_FAILURE() << "U+" << std::hex << unsigned(c);
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_TRUE(MarkdownChars::isWord(0x20000));  // supplementary ideographs are letters
    EXPECT_TRUE(MarkdownChars::isDigit(0x1D7D8));
}

// The separator row is recognised exactly as by its former pattern.
TEST(MarkdownLinks, TableSeparatorRowsAsThePattern)
{
    const QString pattern = QStringLiteral(R"(^\s*\|?\s*:?-{1,}:?\s*(\|\s*:?-{1,}:?\s*)*\|?\s*$)");
    const char16_t alphabet[] = {u' ', u'\t', u'|', u':', u'-', u'-', u'x', 0x0B, 0x3000};
    quint32 seed = 20;
    int tables = 0;
    for (int k = 0; k < 4000; ++k) {
        QString row;
        const int length = 1 + int((seed = seed * 1103515245u + 12345u) >> 16) % 9;
        for (int j = 0; j < length; ++j)
            row += QChar(alphabet[((seed = seed * 1103515245u + 12345u) >> 16) % 9]);
        if (!row.contains(u'-'))
            continue;
        const bool table = Markdown::html(QStringLiteral("a|b\n") + row).startsWith(QStringLiteral("<table>"));
        tables += table;
        EXPECT_EQ(table, Regex::reMatches(row, pattern)) << row.toStdString();
    }
    EXPECT_GT(tables, 100);
}
