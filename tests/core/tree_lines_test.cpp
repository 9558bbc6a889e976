// Tree previews carry the source line of every value (of its key, in a
// mapping), counted as the editor counts lines.
#include "plugins/JSONPlugin.h"
#include "plugins/JSONText.h"
#include "plugins/YAML.h"
#include "plugins/YAMLPlugin.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

// The data-line of every item, in document order.
QList<int> lines(const QString& html)
{
    static const QRegularExpression re(QStringLiteral("<li data-line=\"(\\d+)\">"));
    QList<int> out;
    for (auto it = re.globalMatch(html); it.hasNext();)
        out << it.next().captured(1).toInt();
    return out;
}

}

TEST(TreeLines, JSONValuesCarryTheLineOfTheirKeyOrItem)
{
    const QString text = QStringLiteral("{\n"                   // 0
                                        "  \"name\": \"x\",\n"  // 1
                                        "  \"list\": [\n"       // 2
                                        "    1,\n"              // 3
                                        "    {\"a\": true}\n"   // 4
                                        "  ],\n"                // 5
                                        "  // a comment\n"      // 6
                                        "  \"n\":\n"            // 7
                                        "     null\n"           // 8
                                        "}\n");
    EXPECT_EQ(lines(JSONPlugin::previewHTML(text)), (QList<int>{0, 1, 2, 3, 4, 4, 7}));
    // Windows line ends count the same lines.
    QString crlf = text;
    crlf.replace(u'\n', QStringLiteral("\r\n"));
    EXPECT_EQ(lines(JSONPlugin::previewHTML(crlf)), (QList<int>{0, 1, 2, 3, 4, 4, 7}));
    // Lines are not part of the value: the same data anywhere compares equal.
    EXPECT_EQ(JSONText::parse(text),
              JSONText::parse(QStringLiteral("{\"name\":\"x\",\"list\":[1,{\"a\":true}],\"n\":null}")));
    // Past the budget the shown part still has its lines.
    QString big = QStringLiteral("[\n");
    for (int k = 0; k < 60000; ++k)
        big += QStringLiteral("%1,\n").arg(k);
    big += QStringLiteral("0\n]\n");
    const QList<int> shown = lines(JSONPlugin::previewHTML(big));
    ASSERT_GT(shown.size(), 1000);
    EXPECT_EQ(shown[0], 0);
    EXPECT_EQ(shown[1], 1);
    EXPECT_EQ(shown[1000], 1000);
}

TEST(TreeLines, YAMLValuesCarryTheLineOfTheirKeyOrDash)
{
    const QString text = QStringLiteral("name: x\n"      // 0
                                        "list:\n"        // 1
                                        "  - 1\n"        // 2
                                        "  - a: true\n"  // 3
                                        "    b: |\n"     // 4
                                        "      text\n"   // 5
                                        "# comment\n"    // 6
                                        "? n\n"          // 7
                                        ": ~\n");        // 8
    EXPECT_EQ(lines(YAMLPlugin::previewHTML(text)), (QList<int>{0, 0, 1, 2, 3, 3, 4, 7}));
    // Documents of a stream keep the lines of the whole file.
    EXPECT_EQ(lines(YAMLPlugin::previewHTML(QStringLiteral("a: 1\n---\n\nb: 2\n"))), (QList<int>{0, 0, 3, 3}));
    // Items of a flow collection carry their own lines; what an alias copies keeps the
    // lines it is written on.
    EXPECT_EQ(lines(YAMLPlugin::previewHTML(QStringLiteral("k: [a,\n  {b: 1}]\nc: &x [1]\nd: *x\n"))),
              (QList<int>{0, 0, 0, 1, 1, 2, 2, 3, 2}));
    EXPECT_EQ(YAML::parse(text),
              YAML::parse(QStringLiteral("\n\nname: x\nlist: [1, {a: true, b: \"text\\n\"}]\nn: ~\n")));
}
