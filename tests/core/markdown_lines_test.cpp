// Source lines on the preview's blocks: every block element says where its
// source starts, and nothing else of the rendering changes.
#include "plugins/HTMLSanitizer.h"
#include "plugins/Markdown.h"
#include "plugins/MarkdownPlugin.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

// "tag:line" for every element carrying a line, in document order.
QStringList tagged(const QString& html)
{
    static const QRegularExpression re(QStringLiteral("<([a-z0-9]+)[^>]*? data-line=\"(\\d+)\""));
    QStringList out;
    for (auto it = re.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        out << m.captured(1) + u':' + m.captured(2);
    }
    return out;
}

QString stripped(QString html)
{
    static const QRegularExpression re(QStringLiteral(" data-line=\"\\d+\""));
    return html.remove(re);
}

}

TEST(MarkdownLines, EveryBlockKindCarriesTheLineItStartsOn)
{
    const QString text = QStringLiteral("# Title\n"                     // 0
                                        "\n"                            // 1
                                        "First paragraph\n"             // 2
                                        "continues here.\n"             // 3
                                        "\n"                            // 4
                                        "- one\n"                       // 5
                                        "- two\n"                       // 6
                                        "  - nested\n"                  // 7
                                        "- [x] done\n"                  // 8
                                        "\n"                            // 9
                                        "> quoted\n"                    // 10
                                        "> > deeper\n"                  // 11
                                        "\n"                            // 12
                                        "```cpp\n"                      // 13
                                        "int x;\n"                      // 14
                                        "```\n"                         // 15
                                        "| a | b |\n"                   // 16
                                        "|---|---|\n"                   // 17
                                        "| 1 | 2 |\n"                   // 18
                                        "| 3 | 4 |\n"                   // 19
                                        "\n"                            // 20
                                        "---\n"                         // 21
                                        "<div class=\"x\">raw</div>\n"  // 22
                                        "\n"                            // 23
                                        "\t## Tabbed code\n"            // 24
                                        "1. first\n"                    // 25
                                        "\n"                            // 26
                                        "2. second\n"                   // 27
                                        "\n"                            // 28
                                        "Setext\n"                      // 29
                                        "heading\n"                     // 30
                                        "---\n"                         // 31
                                        "[ref] and [x]: y\n"            // 32
                                        "\n"                            // 33
                                        "[ref]: https://a.b\n");        // 34
    const QStringList expected = {"h1:0",          "p:2",   "li:5",          "li:6",  "li:7",   "li:8",
                                  "blockquote:10", "p:10",  "blockquote:11", "p:11",  "pre:13", "table:16",
                                  "tr:16",         "tr:18", "tr:19",         "hr:21", "div:22", "pre:24",
                                  "li:25",         "p:25",  "li:27",         "p:27",  "h2:29",  "p:32"};
    EXPECT_EQ(tagged(Markdown::html(text, true)), expected) << Markdown::html(text, true).toStdString();
    // The preview asks for them; the plain rendering has none.
    EXPECT_EQ(tagged(MarkdownPlugin::previewHTML(text)), expected);
    EXPECT_FALSE(Markdown::html(text).contains(QLatin1String("data-line")));

    // Windows and classic Mac line ends count the same lines as the editor shows.
    QString crlf = text;
    crlf.replace(u'\n', QStringLiteral("\r\n"));
    EXPECT_EQ(tagged(Markdown::html(crlf, true)), expected);
    QString cr = text;
    cr.replace(u'\n', u'\r');
    EXPECT_EQ(tagged(Markdown::html(cr, true)), expected);
}

TEST(MarkdownLines, LeadingFrontMatterAndBlankLinesShiftNothing)
{
    // No block is dropped before counting, so the lines stay those of the full text.
    const QString text = QStringLiteral("---\ntitle: x\n---\n\n\n\n# After\n\ntext\n");
    const QStringList lines = tagged(Markdown::html(text, true));
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.first(), QStringLiteral("hr:0"));
    EXPECT_TRUE(lines.contains(QStringLiteral("h1:6"))) << lines.join(u' ').toStdString();
    EXPECT_EQ(lines.last(), QStringLiteral("p:8"));
}

TEST(MarkdownLines, CorpusRendersTheSameApartFromTheLines)
{
    QFile file(QStringLiteral(":/golden/markdown.json"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QJsonArray cases = QJsonDocument::fromJson(file.readAll()).array();
    ASSERT_GT(cases.size(), 500);
    int mismatches = 0, withLines = 0;
    for (const auto& v : cases) {
        const QString in = v.toObject()[QStringLiteral("in")].toString();
        const QString lined = Markdown::html(in, true);
        withLines += lined.contains(QLatin1String(" data-line=\""));
        if (stripped(lined) != Markdown::html(in) && ++mismatches <= 5)
            ADD_FAILURE() << "input: " << in.toStdString() << "\n  lined: " << lined.toStdString();
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_GT(withLines, cases.size() / 2);
}

TEST(MarkdownLines, DocumentSuppliedLineAttributesPassOnlyAsPlainNumbers)
{
    EXPECT_EQ(HTMLSanitizer::clean(QStringLiteral("<p data-line=\"12\">x</p>")),
              QStringLiteral("<p data-line=\"12\">x</p>"));
    for (const char* bad :
         {"<p data-line=\"1e3\">x</p>", "<p data-line=\"-1\">x</p>", "<p data-line=\"\">x</p>", "<p data-line>x</p>",
          "<p data-line=\" 7\">x</p>", "<p data-line=\"javascript:1\">x</p>", "<p data-line=\"12345678901\">x</p>"})
        EXPECT_EQ(HTMLSanitizer::clean(QString::fromLatin1(bad)), QStringLiteral("<p>x</p>")) << bad;
    // A raw block's own attribute comes after the renderer's, which the browser keeps.
    const QString html = Markdown::html(QStringLiteral("text\n\n<div data-line=\"99\">raw</div>\n"), true);
    EXPECT_TRUE(html.contains(QLatin1String("<div data-line=\"2\" data-line=\"99\">"))) << html.toStdString();
    // A block opening with something dropped or with text gets no line.
    const QString dropped = Markdown::html(QStringLiteral("<script>x</script>\n"), true);
    EXPECT_FALSE(dropped.contains(QLatin1String("data-line"))) << dropped.toStdString();
}
