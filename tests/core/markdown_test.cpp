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

// Plain CommonMark is the conformance suite's (every example, through the
// same writer); these are what the preview adds or changes.
TEST(MarkdownBlocks, FencesAndHTMLBlocks)
{
    EXPECT_EQ(md("a\r\nb\rc"), QStringLiteral("<p>a\nb\nc</p>\n"));
    // A longer fence holds a shorter one, and its language is the first word only.
    EXPECT_EQ(md("````markdown extra\n```js\nx\n```\n````"),
              QStringLiteral("<pre><code class=\"lang-markdown\">```js\nx\n```\n</code></pre>\n"));
    EXPECT_EQ(md("```<b>\"x\"\n```"),
              QStringLiteral("<pre><code class=\"lang-&lt;b&gt;&quot;x&quot;\"></code></pre>\n"));
    const char* details = "<details><summary>memo</summary><ol><li>a &lt; b</li></ol></details>";
    EXPECT_EQ(md((std::string(details) + "\n\n").c_str()), QString::fromUtf8(details) + u'\n');
    // Elements GitHub filters show as text, and nothing after them is swallowed.
    EXPECT_EQ(md("<script>alert(1)</script>\n<p>kept</p>"),
              QStringLiteral("&lt;script>alert(1)&lt;/script>\n<p>kept</p>\n"));
    EXPECT_EQ(md("<div>\n<xmp>\n</div>\n\n*after*"),
              QStringLiteral("<div>\n&lt;xmp>\n</div>\n<p><em>after</em></p>\n"));
    EXPECT_EQ(md("<div>\n<PlainText>\n</div>\n\n*after*"),
              QStringLiteral("<div>\n&lt;PlainText>\n</div>\n<p><em>after</em></p>\n"));
}

TEST(MarkdownBlocks, TaskLists)
{
    EXPECT_EQ(md("- [ ] todo\n- [X] done"),
              QStringLiteral("<ul><li class=\"task\"><input type=\"checkbox\" disabled> todo</li>"
                             "<li class=\"task\"><input type=\"checkbox\" disabled checked> done</li></ul>\n"));
    // A loose task keeps its box in its paragraph.
    EXPECT_EQ(md("- [x] a\n\n- b"),
              QStringLiteral("<ul><li class=\"task\"><p><input type=\"checkbox\" disabled checked> "
                             "a</p>\n</li><li><p>b</p>\n</li></ul>\n"));
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

TEST(MarkdownInline, RawHTMLAndLinksAreCleaned)
{
    EXPECT_EQ(in("文本 <b>粗</b> &amp; <span onclick=\"x()\">s</span>"),
              QStringLiteral("文本 <b>粗</b> &amp; <span>s</span>"));
    EXPECT_EQ(in("<a href=\"javascript:alert(1)\">x</a>"), QStringLiteral("<a href=\"#\">x</a>"));
    EXPECT_EQ(in("snake_case_name ~~del~~"), QStringLiteral("snake_case_name <del>del</del>"));
    EXPECT_EQ(in("see https://example.com/a."),
              QStringLiteral("see <a href=\"https://example.com/a\">https://example.com/a</a>."));
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
