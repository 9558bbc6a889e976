#include "plugins/AnalysisBudget.h"
#include "plugins/Markdown.h"
#include "plugins/MarkdownPlugin.h"

#include <gtest/gtest.h>

namespace {

QString md(const char* text) { return Markdown::html(QString::fromUtf8(text)); }

void PrintTo(const QString& s, std::ostream* os) { *os << s.toStdString(); }

}

TEST(MarkdownBlocks, TheSampleDocument)
{
    const QString out = md("# T\n\n- [x] done\n- b\n  - c\n\n| a | b |\n|---|--:|\n| 1 | 2 |\n\n```js\n<x>\n```\n**b** `c`");
    EXPECT_TRUE(out.contains("<h1>T</h1>"));
    EXPECT_TRUE(out.contains("<li class=\"task\"><input type=\"checkbox\" disabled checked> done</li>")) << out.toStdString();
    EXPECT_TRUE(out.contains("<li>b<ul><li>c</li></ul>")) << out.toStdString();
    EXPECT_TRUE(out.contains("<th>a</th><th style=\"text-align:right\">b</th>")) << out.toStdString();
    EXPECT_TRUE(out.contains("<td style=\"text-align:right\">2</td>"));
    EXPECT_TRUE(out.contains("<pre><code class=\"lang-js\">&lt;x&gt;</code></pre>"));
    EXPECT_TRUE(out.contains("<p><strong>b</strong> <code>c</code></p>"));
    EXPECT_EQ(MarkdownPlugin::previewHTML(QString()), QStringLiteral("<div class=\"md\"></div>"));
}

TEST(MarkdownBlocks, HeadingsRulesAndParagraphs)
{
    EXPECT_EQ(md("## 标题 ##"), QStringLiteral("<h2>标题</h2>\n"));
    EXPECT_EQ(md("#tag"), QStringLiteral("<p>#tag</p>\n"));
    EXPECT_EQ(md("####### seven"), QStringLiteral("<p>####### seven</p>\n"));
    for (const char* rule : {"***", "- - -", "___", "*  *  *  *"})
        EXPECT_EQ(md(rule), QStringLiteral("<hr>\n")) << rule;
    EXPECT_EQ(md("--"), QStringLiteral("<p>--</p>\n"));
    EXPECT_EQ(md("-*-"), QStringLiteral("<p>-*-</p>\n"));
    // Two trailing spaces break the line, except on the paragraph's last line.
    EXPECT_EQ(md("a  \nb  \n\nc"), QStringLiteral("<p>a<br>\nb</p>\n<p>c</p>\n"));
    // A paragraph stops at a heading but not at a list item's absence.
    EXPECT_EQ(md("a\n# h\nb\n- i"), QStringLiteral("<p>a</p>\n<h1>h</h1>\n<p>b</p>\n<ul><li>i</li></ul>\n"));
    EXPECT_EQ(md("a\r\nb\rc"), QStringLiteral("<p>a\nb\nc</p>\n"));
}

TEST(MarkdownBlocks, FencesQuotesAndHTMLBlocks)
{
    EXPECT_EQ(md("```\n# not a heading\n  kept  \n"), QStringLiteral("<pre><code># not a heading\n  kept  \n</code></pre>\n"));
    EXPECT_EQ(md("~~~\na\n```\nb\n~~~\nafter"), QStringLiteral("<pre><code>a\n```\nb</code></pre>\n<p>after</p>\n"));
    EXPECT_EQ(md("```<b>\"x\"\n```"), QStringLiteral("<pre><code class=\"lang-&lt;b&gt;&quot;x&quot;\"></code></pre>\n"));
    EXPECT_EQ(md("> a\n>b\n> > c\nd"), QStringLiteral("<blockquote><p>a\nb</p>\n<blockquote><p>c</p>\n</blockquote>\n</blockquote>\n<p>d</p>\n"));
    const char* details = "<details><summary>memo</summary><ol><li>a &gt; b</li></ol></details>";
    EXPECT_EQ(md((std::string(details) + "\n\n").c_str()), QString::fromUtf8(details) + u'\n');
    EXPECT_EQ(md("<div>\n**not bold**\n</div>\n\n**bold**"),
              QStringLiteral("<div>\n**not bold**\n</div>\n<p><strong>bold</strong></p>\n"));
    EXPECT_EQ(md("<script>alert(1)</script>\n<p>kept</p>"), QStringLiteral("\n<p>kept</p>\n"));
}

TEST(MarkdownBlocks, Lists)
{
    EXPECT_EQ(md("1. a\n- b"), QStringLiteral("<ol><li>a</li><li>b</li></ol>\n"));
    EXPECT_EQ(md("- a\n  continued\nlazy"), QStringLiteral("<ul><li>a lazy<p>continued</p>\n</li></ul>\n"));
    EXPECT_EQ(md("- a\nlazy"), QStringLiteral("<ul><li>a lazy</li></ul>\n"));
    EXPECT_EQ(md("- [ ] todo\n- [X] done"),
              QStringLiteral("<ul><li class=\"task\"><input type=\"checkbox\" disabled> todo</li>"
                             "<li class=\"task\"><input type=\"checkbox\" disabled checked> done</li></ul>\n"));
    // A blank line followed by an indented line stays in the item.
    EXPECT_EQ(md("- a\n\n  more\n- b"), QStringLiteral("<ul><li>a<p>more</p>\n</li><li>b</li></ul>\n"));
    // A blank line followed by text at the base indent ends the list.
    EXPECT_EQ(md("- a\n\nb"), QStringLiteral("<ul><li>a</li></ul>\n<p>b</p>\n"));
    EXPECT_EQ(md("- a\n# h"), QStringLiteral("<ul><li>a</li></ul>\n<h1>h</h1>\n"));
    // A tab-indented nested item keeps its marker.
    EXPECT_EQ(md("- a\n\t- b"), QStringLiteral("<ul><li>a<ul><li>b</li></ul>\n</li></ul>\n"));
    EXPECT_EQ(Markdown::indent(QStringLiteral(" \t x")), 6);
    EXPECT_FALSE(Markdown::listMarker(QStringLiteral("1234567890. x")));
    const QString item = QStringLiteral("  3) 三");
    const auto m = Markdown::listMarker(item);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->indent, 2);
    EXPECT_TRUE(m->ordered);
    EXPECT_EQ(m->text, QStringLiteral("三"));
}

TEST(MarkdownBlocks, Tables)
{
    EXPECT_EQ(Markdown::cells(QStringLiteral(" | a |  b | ")), QStringList({"a", "b"}));
    EXPECT_EQ(Markdown::cells(QStringLiteral("a||b")), QStringList({"a", "", "b"}));
    EXPECT_EQ(md("a|b|c\n:-|:-:|-\n1|2\n3|4|5|6\n\nafter"),
              QStringLiteral("<table><thead><tr><th style=\"text-align:left\">a</th><th style=\"text-align:center\">b</th>"
                             "<th>c</th></tr></thead><tbody><tr><td style=\"text-align:left\">1</td>"
                             "<td style=\"text-align:center\">2</td></tr><tr><td style=\"text-align:left\">3</td>"
                             "<td style=\"text-align:center\">4</td><td>5</td><td>6</td></tr></tbody></table>\n<p>after</p>\n"));
    // Without a separator line it is a paragraph.
    EXPECT_EQ(md("a | b\nc | d"), QStringLiteral("<p>a | b\nc | d</p>\n"));
}

TEST(MarkdownInline, SubstitutionOrder)
{
    const auto in = [](const char* s) { return Markdown::inlineHTML(QString::fromUtf8(s)); };
    EXPECT_EQ(in("**b** `c`"), QStringLiteral("<strong>b</strong> <code>c</code>"));
    EXPECT_EQ(in("文本 <b>粗</b> &amp; <span onclick=\"x()\">s</span>"), QStringLiteral("文本 <b>粗</b> &amp; <span>s</span>"));
    EXPECT_EQ(in("a < b & c"), QStringLiteral("a &lt; b &amp; c"));
    EXPECT_EQ(in("`<b>`"), QStringLiteral("<code>&lt;b&gt;</code>"));
    EXPECT_EQ(in("`**not**` **yes**"), QStringLiteral("<code>**not**</code> <strong>yes</strong>"));
    EXPECT_EQ(in("snake_case_name _it_ *em* __b__ ~~del~~"),
              QStringLiteral("snake_case_name <em>it</em> <em>em</em> <strong>b</strong> <del>del</del>"));
    EXPECT_EQ(in("see https://example.com/a."), QStringLiteral("see <a href=\"https://example.com/a\">https://example.com/a</a>."));
    EXPECT_EQ(in("x=https://a.b"), QStringLiteral("x=https://a.b"));
    EXPECT_EQ(in("[链接](https://a.b/c \"title\")"), QStringLiteral("<a href=\"https://a.b/c\">链接</a>"));
    EXPECT_EQ(in("![图](p.png)"), QStringLiteral("<img alt=\"图\" src=\"p.png\">"));
    EXPECT_EQ(in("<a href=\"javascript:alert(1)\">x</a>"), QStringLiteral("<a href=\"#\">x</a>"));
    EXPECT_EQ(in("&#x4e2d; &copy;"), QStringLiteral("&#x4e2d; &copy;"));
    // Placeholder characters typed by the user never pull in stored pieces.
    EXPECT_EQ(in("\x01" "0\x01 \x02" "0\x02 `a` <b>"), QStringLiteral("0 0 <code>a</code> <b>"));
}

TEST(MarkdownBlocks, DeepNestingRendersWithoutExhaustingTheStack)
{
    const QString quotes = QString(100000, u'>') + QStringLiteral(" deep");
    const QString out = Markdown::html(quotes);
    EXPECT_TRUE(out.startsWith(QStringLiteral("<blockquote>")));
    EXPECT_TRUE(out.contains(QStringLiteral("deep")));
    EXPECT_EQ(out.count(QStringLiteral("<blockquote>")), Markdown::maxDepth);

    QString lists;
    for (int i = 0; i < 1000; ++i)
        lists += QString(i * 2, u' ') + QStringLiteral("- x\n");
    const QString nested = Markdown::html(lists);
    EXPECT_LE(nested.count(QStringLiteral("<ul>")), Markdown::maxDepth);
    EXPECT_TRUE(nested.endsWith(QStringLiteral("</ul>\n")));
}

TEST(MarkdownBlocks, RenderingStopsWhenItsTimeIsUp)
{
    QString doc;
    for (int i = 0; i < 2000; ++i)
        doc += QStringLiteral("- item %1\n  - nested\n\npara\n").arg(i);
    {
        AnalysisBudget::Scope budget(std::chrono::milliseconds(-1), nullptr);
        EXPECT_THROW(Markdown::html(doc), AnalysisBudget::Expired);
    }
    // The depth count unwound with the exception: nesting still renders in full.
    EXPECT_TRUE(Markdown::html(QStringLiteral("- a\n  - b")).contains(QStringLiteral("<li>a<ul><li>b</li></ul>")));
}
