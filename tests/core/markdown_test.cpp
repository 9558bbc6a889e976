#include "plugins/AnalysisBudget.h"
#include "plugins/Markdown.h"
#include "plugins/MarkdownPlugin.h"

#include <gtest/gtest.h>

namespace {

QString md(const char* text) { return Markdown::html(QString::fromUtf8(text)); }

// One paragraph's inline content.
QString in(const char* text)
{
    QString out = md(text);
    if (out.startsWith(QLatin1String("<p>")) && out.endsWith(QLatin1String("</p>\n")))
        out = out.mid(3, out.size() - 8);
    return out;
}

}

TEST(MarkdownBlocks, TheSampleDocument)
{
    const QString out = md(
        "# T\n\n- [x] done\n- b\n  - c\n\n| a | b |\n|---|--:|\n| 1 | 2 |\n\n```js\n<x>\n```\n**b** `c`");
    EXPECT_TRUE(out.contains("<h1>T</h1>"));
    EXPECT_TRUE(out.contains("<li class=\"task\"><input type=\"checkbox\" disabled checked> done</li>"))
        << out.toStdString();
    EXPECT_TRUE(out.contains("<li>b<ul><li>c</li></ul>")) << out.toStdString();
    EXPECT_TRUE(out.contains("<th>a</th><th style=\"text-align:right\">b</th>")) << out.toStdString();
    EXPECT_TRUE(out.contains("<td style=\"text-align:right\">2</td>"));
    EXPECT_TRUE(out.contains("<pre><code class=\"lang-js\">&lt;x&gt;\n</code></pre>"));
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
    EXPECT_EQ(md("a\n# h\nb\n- i"), QStringLiteral("<p>a</p>\n<h1>h</h1>\n<p>b</p>\n<ul><li>i</li></ul>\n"));
    EXPECT_EQ(md("a\r\nb\rc"), QStringLiteral("<p>a\nb\nc</p>\n"));
}

TEST(MarkdownBlocks, SetextHeadingsIndentedCodeAndReferenceLinks)
{
    EXPECT_EQ(md("Title\n=====\n\nPart\ntwo\n---"), QStringLiteral("<h1>Title</h1>\n<h2>Part\ntwo</h2>\n"));
    // A rule under a blank line stays a rule.
    EXPECT_EQ(md("text\n\n---"), QStringLiteral("<p>text</p>\n<hr>\n"));
    EXPECT_EQ(md("para\n\n    line 1\n      line 2\n\n    line 4\n"),
              QStringLiteral("<p>para</p>\n<pre><code>line 1\n  line 2\n\nline 4\n</code></pre>\n"));
    // Indented lines inside a paragraph continue it.
    EXPECT_EQ(md("para\n    more"), QStringLiteral("<p>para\nmore</p>\n"));
    EXPECT_EQ(md("See [docs][1] and [the site].\n\n[1]: https://a.b/docs \"手册\"\n[the site]: <https://a.b/>"),
              QStringLiteral("<p>See <a href=\"https://a.b/docs\" title=\"手册\">docs</a> and <a "
                             "href=\"https://a.b/\">the site</a>.</p>\n"));
    EXPECT_EQ(md("[undefined][x]"), QStringLiteral("<p>[undefined][x]</p>\n"));
}

TEST(MarkdownBlocks, FencesQuotesAndHTMLBlocks)
{
    EXPECT_EQ(md("```\n# not a heading\n  kept  \n"),
              QStringLiteral("<pre><code># not a heading\n  kept  \n</code></pre>\n"));
    EXPECT_EQ(md("~~~\na\n```\nb\n~~~\nafter"), QStringLiteral("<pre><code>a\n```\nb\n</code></pre>\n<p>after</p>\n"));
    // A longer fence holds a shorter one, and its language is the first word only.
    EXPECT_EQ(md("````markdown extra\n```js\nx\n```\n````"),
              QStringLiteral("<pre><code class=\"lang-markdown\">```js\nx\n```\n</code></pre>\n"));
    EXPECT_EQ(md("```<b>\"x\"\n```"),
              QStringLiteral("<pre><code class=\"lang-&lt;b&gt;&quot;x&quot;\"></code></pre>\n"));
    EXPECT_EQ(md("> a\n>b\n> > c\nd"),
              QStringLiteral("<blockquote><p>a\nb</p>\n<blockquote><p>c\nd</p>\n</blockquote>\n</blockquote>\n"));
    const char* details = "<details><summary>memo</summary><ol><li>a &lt; b</li></ol></details>";
    EXPECT_EQ(md((std::string(details) + "\n\n").c_str()), QString::fromUtf8(details) + u'\n');
    EXPECT_EQ(md("<div>\n**not bold**\n</div>\n\n**bold**"),
              QStringLiteral("<div>\n**not bold**\n</div>\n<p><strong>bold</strong></p>\n"));
    // Elements GitHub filters show as text, and nothing after them is swallowed.
    EXPECT_EQ(md("<script>alert(1)</script>\n<p>kept</p>"),
              QStringLiteral("&lt;script>alert(1)&lt;/script>\n<p>kept</p>\n"));
    EXPECT_EQ(md("<div>\n<xmp>\n</div>\n\n*after*"),
              QStringLiteral("<div>\n&lt;xmp>\n</div>\n<p><em>after</em></p>\n"));
    EXPECT_EQ(md("<div>\n<PlainText>\n</div>\n\n*after*"),
              QStringLiteral("<div>\n&lt;PlainText>\n</div>\n<p><em>after</em></p>\n"));
}

TEST(MarkdownBlocks, Lists)
{
    EXPECT_EQ(md("1. a\n- b"), QStringLiteral("<ol><li>a</li></ol>\n<ul><li>b</li></ul>\n"));
    EXPECT_EQ(md("3. a\n4. b"), QStringLiteral("<ol start=\"3\"><li>a</li><li>b</li></ol>\n"));
    EXPECT_EQ(md("- a\n  continued\nlazy"), QStringLiteral("<ul><li>a\ncontinued\nlazy</li></ul>\n"));
    EXPECT_EQ(md("- [ ] todo\n- [X] done"),
              QStringLiteral("<ul><li class=\"task\"><input type=\"checkbox\" disabled> todo</li>"
                             "<li class=\"task\"><input type=\"checkbox\" disabled checked> done</li></ul>\n"));
    // A blank line inside an item makes the list loose; a loose task keeps its box in its paragraph.
    EXPECT_EQ(md("- a\n\n  more\n- b"),
              QStringLiteral("<ul><li><p>a</p>\n<p>more</p>\n</li><li><p>b</p>\n</li></ul>\n"));
    EXPECT_EQ(md("- [x] a\n\n- b"),
              QStringLiteral("<ul><li class=\"task\"><p><input type=\"checkbox\" disabled checked> "
                             "a</p>\n</li><li><p>b</p>\n</li></ul>\n"));
    EXPECT_EQ(md("- a\n\nb"), QStringLiteral("<ul><li>a</li></ul>\n<p>b</p>\n"));
    EXPECT_EQ(md("- a\n# h"), QStringLiteral("<ul><li>a</li></ul>\n<h1>h</h1>\n"));
    EXPECT_EQ(md("- a\n\t- b"), QStringLiteral("<ul><li>a<ul><li>b</li></ul>\n</li></ul>\n"));
}

TEST(MarkdownBlocks, Tables)
{
    // Rows take the header's width: missing cells are added, extra ones dropped.
    EXPECT_EQ(
        md("a|b|c\n:-|:-:|-\n1|2\n3|4|5|6\n\nafter"),
        QStringLiteral("<table><thead><tr><th style=\"text-align:left\">a</th><th style=\"text-align:center\">b</th>"
                       "<th>c</th></tr></thead><tbody><tr><td style=\"text-align:left\">1</td>"
                       "<td style=\"text-align:center\">2</td><td></td></tr><tr><td style=\"text-align:left\">3</td>"
                       "<td style=\"text-align:center\">4</td><td>5</td></tr></tbody></table>\n<p>after</p>\n"));
    // An escaped bar stays in its cell; a table of only a header has no body.
    EXPECT_EQ(md("| a \\| b |\n|---|"), QStringLiteral("<table><thead><tr><th>a | b</th></tr></thead></table>\n"));
    EXPECT_EQ(md("a | b\nc | d"), QStringLiteral("<p>a | b\nc | d</p>\n"));
    // The table parser takes time quadratic in a row's cells: a line of more
    // bars than any table has columns turns tables off.
    const QString table = QStringLiteral("a|b\n-|-\n");
    EXPECT_TRUE(Markdown::html(table + QString(500, u'|')).startsWith(QLatin1String("<table>")));
    EXPECT_TRUE(Markdown::html(table + QString(513, u'|')).startsWith(QLatin1String("<p>a|b")));
    EXPECT_TRUE(
        Markdown::html(table + QString(300, u'|') + u'\n' + QString(300, u'|')).startsWith(QLatin1String("<table>")));
}

TEST(MarkdownInline, EmphasisCodeAndLinks)
{
    EXPECT_EQ(in("**b** `c`"), QStringLiteral("<strong>b</strong> <code>c</code>"));
    EXPECT_EQ(in("文本 <b>粗</b> &amp; <span onclick=\"x()\">s</span>"),
              QStringLiteral("文本 <b>粗</b> &amp; <span>s</span>"));
    EXPECT_EQ(in("a < b & c"), QStringLiteral("a &lt; b &amp; c"));
    EXPECT_EQ(in("`<b>`"), QStringLiteral("<code>&lt;b&gt;</code>"));
    EXPECT_EQ(in("`**not**` **yes**"), QStringLiteral("<code>**not**</code> <strong>yes</strong>"));
    EXPECT_EQ(in("snake_case_name _it_ *em* __b__ ~~del~~"),
              QStringLiteral("snake_case_name <em>it</em> <em>em</em> <strong>b</strong> <del>del</del>"));
    // Nesting closes in order; escapes are literal.
    EXPECT_EQ(in("***x***"), QStringLiteral("<em><strong>x</strong></em>"));
    EXPECT_EQ(in("\\*x* and a \\| bar"), QStringLiteral("*x* and a | bar"));
    EXPECT_EQ(in("see https://example.com/a."),
              QStringLiteral("see <a href=\"https://example.com/a\">https://example.com/a</a>."));
    EXPECT_EQ(in("[链接](https://a.b/c \"title\")"),
              QStringLiteral("<a href=\"https://a.b/c\" title=\"title\">链接</a>"));
    EXPECT_EQ(in("![图](p.png)"), QStringLiteral("<img alt=\"图\" src=\"p.png\">"));
    EXPECT_EQ(in("<a href=\"javascript:alert(1)\">x</a>"), QStringLiteral("<a href=\"#\">x</a>"));
    EXPECT_EQ(in("&#x4e2d; &copy;"), QStringLiteral("中 ©"));
    // URLs are percent-encoded as CommonMark writes them.
    EXPECT_EQ(in("[a](/p q\\[1\\]\"'&)"), QStringLiteral("[a](/p q[1]&quot;'&amp;)"));
    EXPECT_EQ(in("[a](</p q[1]\"'&>)"), QStringLiteral("<a href=\"/p%20q%5B1%5D%22&#x27;&amp;\">a</a>"));
}

TEST(MarkdownBlocks, DeepNestingRendersWithoutExhaustingTheStack)
{
    const QString quotes = QString(100000, u'>') + QStringLiteral(" deep");
    const QString out = Markdown::html(quotes);
    EXPECT_TRUE(out.startsWith(QStringLiteral("<blockquote>")));
    EXPECT_TRUE(out.contains(QStringLiteral("deep")));
    EXPECT_EQ(out.count(QStringLiteral("<blockquote>")), Markdown::maxDepth);
    EXPECT_EQ(out.count(QStringLiteral("</blockquote>")), Markdown::maxDepth);

    QString lists;
    for (int i = 0; i < 1000; ++i)
        lists += QString(i * 2, u' ') + QStringLiteral("- x\n");
    const QString nested = Markdown::html(lists);
    EXPECT_LE(nested.count(QStringLiteral("<ul>")), Markdown::maxDepth);
    EXPECT_EQ(nested.count(QStringLiteral("<ul>")), nested.count(QStringLiteral("</ul>")));
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
    // Nothing of the stopped run is left behind: nesting still renders in full.
    EXPECT_TRUE(Markdown::html(QStringLiteral("- a\n  - b")).contains(QStringLiteral("<li>a<ul><li>b</li></ul>")));
}
