// The headings the outline lists for Markdown, YAML and TOML, and which one
// holds a given line.
#include "plugins/Outline.h"

#include <gtest/gtest.h>

namespace {

QString describe(const QList<OutlineEntry>& entries)
{
    QStringList out;
    for (const OutlineEntry& e : entries)
        out << QStringLiteral("%1:%2:%3").arg(e.level).arg(e.line).arg(e.title);
    return out.join(QLatin1Char('|'));
}

}

TEST(OutlineMarkdown, AtxAndSetextHeadingsWithTheirLevelsAndFirstLines)
{
    const QString text = QStringLiteral("# 第一章\n"               // 0
                                        "\n"                       // 1
                                        "Intro\n"                  // 2
                                        "\n"                       // 3
                                        "Setext one\n"             // 4
                                        "==========\n"             // 5
                                        "Two lines\n"              // 6
                                        "of setext\n"              // 7
                                        "---\n"                    // 8
                                        "###### six ######\n"      // 9
                                        "####### seven is text\n"  // 10
                                        "#no space is text\n"      // 11
                                        "   ## indented 3\n"       // 12
                                        "- ### in a list\n"        // 13
                                        "> #### in a quote\n");    // 14
    EXPECT_EQ(describe(Outline::markdown(text)),
              QStringLiteral("1:0:第一章|1:4:Setext one|2:6:Two lines of setext|6:9:six|2:12:indented 3|3:13:in a "
                             "list|4:14:in a quote"));
}

TEST(OutlineMarkdown, HashLinesInCodeHTMLAndBreaksAreNotHeadings)
{
    const QString text = QStringLiteral("```sh\n"
                                        "# a shell comment\n"
                                        "```\n"
                                        "~~~~\n"
                                        "# still code\n"
                                        "```\n"
                                        "# and here, the fence needs ~~~~\n"
                                        "~~~~\n"
                                        "\n"
                                        "    # indented code\n"
                                        "\n"
                                        "<!--\n"
                                        "# commented out\n"
                                        "-->\n"
                                        "\n"
                                        "---\n"  // thematic break, not a heading
                                        "\n"
                                        "Para\n"
                                        "- - -\n"     // break, not a setext underline
                                        "# Real\n");  // 19
    EXPECT_EQ(describe(Outline::markdown(text)), QStringLiteral("1:19:Real"));
}

TEST(OutlineMarkdown, TitlesAreThePlainTextOfTheHeading)
{
    const QString text = QStringLiteral("# **Bold** and `code` and [link](http://x) ![alt](i.png) <b>tag</b>\r\n"
                                        "\r\n"
                                        "## CRLF line\r\n"
                                        "#\n"
                                        "# ")
        + QString(300, QLatin1Char('x')) + u'\n';
    const auto entries = Outline::markdown(text);
    ASSERT_EQ(entries.size(), 4);
    EXPECT_EQ(entries[0].title, QStringLiteral("Bold and code and link alt tag"));
    EXPECT_EQ(entries[1].line, 2);
    EXPECT_EQ(entries[1].title, QStringLiteral("CRLF line"));
    EXPECT_EQ(entries[2].title, QString());
    EXPECT_EQ(entries[3].title.size(), 200);
    EXPECT_TRUE(entries[3].title.endsWith(QChar(0x2026)));
}

TEST(OutlineYAML, TopLevelKeysOfEveryDocumentOnly)
{
    const QString text = QStringLiteral("# comment: no\n"                 // 0
                                        "name: app\n"                     // 1
                                        "server:\n"                       // 2
                                        "  port: 80\n"                    // 3
                                        "\"quoted key\": 1  # note\n"     // 4
                                        "script: |\n"                     // 5
                                        "  key: inside a block\n"         // 6
                                        "- item: in a list\n"             // 7
                                        "url: http://x\n"                 // 8
                                        "---\n"                           // 9
                                        "second: doc\n"                   // 10
                                        "--- |\n"                         // 11
                                        "text: of a root block scalar\n"  // 12
                                        "...\n"                           // 13
                                        "last: 1\n");                     // 14
    EXPECT_EQ(describe(Outline::yaml(text)),
              QStringLiteral("1:1:name|1:2:server|1:4:quoted key|1:5:script|1:8:url|1:10:second|1:14:last"));
}

TEST(OutlineTOML, TablesAndArraysOfTablesByDepth)
{
    const QString text = QStringLiteral("title = \"x\"\n"                   // 0
                                        "[server]\n"                        // 1
                                        "port = 80\n"                       // 2
                                        "  [ server . \"tls.v1\" ]  # c\n"  // 3
                                        "[[products]]\n"                    // 4
                                        "[a.b.c.d.e.f.g]\n");               // 5
    EXPECT_EQ(describe(Outline::toml(text)),
              QStringLiteral("1:1:server|2:3:server.\"tls.v1\"|1:4:[[products]]|6:5:a.b.c.d.e.f.g"));
}

TEST(OutlineTOML, BracketLinesInsideStringsAndArraysAreNotTables)
{
    const QString text = QStringLiteral("doc = \"\"\"\n"     // 0
                                        "[not.a.table]\n"    // 1
                                        "\"\"\"\n"           // 2
                                        "lit = '''\n"        // 3
                                        "[nor.this]'''\n"    // 4
                                        "matrix = [\n"       // 5
                                        "  [1, 2],\n"        // 6
                                        "[3, 4],\n"          // 7
                                        "]\n"                // 8
                                        "s = \"[x\" # [y\n"  // 9
                                        "[real]\n"           // 10
                                        "[broken\n");        // 11
    EXPECT_EQ(describe(Outline::toml(text)), QStringLiteral("1:10:real"));
}

TEST(Outline, EntriesByFormatAndTheEntryHoldingALine)
{
    EXPECT_TRUE(Outline::entries(QStringLiteral("json"), QStringLiteral("{\"a\": 1}")).isEmpty());
    EXPECT_EQ(Outline::entries(QStringLiteral("toml"), QStringLiteral("[t]\n")).size(), 1);
    const QList<OutlineEntry> e{{1, QStringLiteral("a"), 2}, {2, QStringLiteral("b"), 5}, {1, QStringLiteral("c"), 9}};
    EXPECT_EQ(Outline::entryAt(e, 0), -1);
    EXPECT_EQ(Outline::entryAt(e, 2), 0);
    EXPECT_EQ(Outline::entryAt(e, 4), 0);
    EXPECT_EQ(Outline::entryAt(e, 5), 1);
    EXPECT_EQ(Outline::entryAt(e, 100), 2);
    EXPECT_EQ(Outline::entryAt({}, 3), -1);
}
