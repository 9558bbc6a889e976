#include "plugins/Markdown.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

QString u8(const char* s) { return QString::fromUtf8(s); }
QString md(const char* s) { return Markdown::html(u8(s)); }
// One paragraph's inline content.
QString in(const char* s)
{
    QString out = md(s);
    if (out.startsWith(QLatin1String("<p>")) && out.endsWith(QLatin1String("</p>\n")))
        out = out.mid(3, out.size() - 8);
    return out;
}

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
    // A bare address ends before trailing punctuation, "_" among it; an image's description is its plain text.
    EXPECT_EQ(in("see https://a.b/_x_ and _y_"),
              u8("see <a href=\"https://a.b/_x\">https://a.b/_x</a>_ and <em>y</em>"));
    EXPECT_EQ(in("see https://a.b/_x_y and _y_"),
              u8("see <a href=\"https://a.b/_x_y\">https://a.b/_x_y</a> and <em>y</em>"));
    EXPECT_EQ(in("![*a* b](/p/**q**.png)"), u8("<img alt=\"a b\" src=\"/p/**q**.png\">"));
    EXPECT_EQ(in("[~~a~~](http://z/~~s~~)"), u8("<a href=\"http://z/~~s~~\"><del>a</del></a>"));
    // Emphasis around a link still applies, and across it.
    EXPECT_EQ(in("**[a](u_v_w)** and *x [b](y) z*"),
              u8("<strong><a href=\"u_v_w\">a</a></strong> and <em>x <a href=\"y\">b</a> z</em>"));
    EXPECT_EQ(in("*see https://a.b*"), u8("<em>see <a href=\"https://a.b\">https://a.b</a></em>"));
}

TEST(MarkdownLinks, AngleBracketAutolinks)
{
    EXPECT_EQ(in("<https://a.b/_x_?q=1&r=2>"),
              u8("<a href=\"https://a.b/_x_?q=1&amp;r=2\">https://a.b/_x_?q=1&amp;r=2</a>"));
    // Addresses are percent-encoded in the attribute, shown as written.
    EXPECT_EQ(in("(<http://例子.cn/路径>)"),
              u8("(<a href=\"http://%E4%BE%8B%E5%AD%90.cn/%E8%B7%AF%E5%BE%84\">http://例子.cn/路径</a>)"));
    EXPECT_EQ(in("<ftp://a>"), u8("<a href=\"ftp://a\">ftp://a</a>"));
    // Not an autolink: a blank inside (the address alone is a bare link).
    EXPECT_EQ(in("<https://ab c>"), u8("&lt;<a href=\"https://ab\">https://ab</a> c&gt;"));
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
            if (tag.name == u8("img")) {
                EXPECT_EQ(tag.attributes, QStringList({u8("alt"), u8("src")}))
                    << input << "\n  -> " << out.toStdString();
            }
        }
    }
    // The raw HTML keeps its text inside the attribute, quotes escaped.
    EXPECT_EQ(in("![<a title=\"t\">](y)"), u8("<img alt=\"&lt;a title=&quot;t&quot;&gt;\" src=\"y\">"));
    EXPECT_EQ(in("![x](/http://z/a)"), u8("<img alt=\"x\" src=\"/http://z/a\">"));
}

TEST(MarkdownLinks, LinksAroundGeneratedMarkup)
{
    EXPECT_EQ(in("[![i](p.png)](https://a.b)"), u8("<a href=\"https://a.b\"><img alt=\"i\" src=\"p.png\"></a>"));
    // Balanced parentheses belong to the address; a link inside an image description is its text.
    EXPECT_EQ(in("[x](a![i](p)b)"), u8("<a href=\"a!%5Bi%5D(p)b\">x</a>"));
    EXPECT_EQ(in("![a[b](c)](d)"), u8("<img alt=\"ab\" src=\"d\">"));
    EXPECT_EQ(in("[x](javascript:alert(1))"), u8("<a href=\"#\">x</a>"));
}

// Loose lists are the conformance suite's; a task item in one keeps its box.
TEST(MarkdownLinks, ALooseTaskItemKeepsItsBoxInItsParagraph)
{
    EXPECT_EQ(md("1. [x] a\n\n2. b\n   - c"),
              u8("<ol><li class=\"task\"><p><input type=\"checkbox\" disabled checked> a</p>\n</li>"
                 "<li><p>b</p>\n<ul><li>c</li></ul>\n</li></ol>\n"));
}
