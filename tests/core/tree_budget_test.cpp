#include "plugins/JSONPlugin.h"
#include "plugins/JSONText.h"
#include "plugins/TreeNode.h"
#include "plugins/YAMLPlugin.h"

#include <gtest/gtest.h>

namespace {

QString numbersArray(int n)
{
    QString text = QStringLiteral("[");
    for (int i = 0; i < n; ++i)
        text += QString::number(i) + (i + 1 < n ? QStringLiteral(",") : QString());
    return text + u']';
}

}

TEST(TreeBudget, TheParserKeepsTheFirstPartAndCountsTheRest)
{
    TreeBudget budget;
    budget.nodes = 4;
    const TreeNode tree = JSONText::parseWithin(QStringLiteral("[1,[2,3,[4]],{\"k\":5},6]"), budget);
    // Root, 1, the inner list and 2 are kept; everything after is counted.
    EXPECT_EQ(budget.kept, 4u);
    EXPECT_EQ(budget.total, 10u);
    EXPECT_EQ(tree.count(), 4u);
    ASSERT_EQ(tree.items.size(), 2u);
    EXPECT_EQ(tree.omitted, 2u);
    EXPECT_EQ(tree.items[1].items.size(), 1u);
    EXPECT_EQ(tree.items[1].omitted, 2u);
    const QString html = tree.treeHTML(&budget);
    EXPECT_TRUE(html.startsWith(QStringLiteral(
        "<div class=\"cap\"><span>内容较大，预览只显示前 4 个值（共 10 个）</span></div><div class=\"tree\">")));
    // Containers show their true length and how many of their items are missing.
    EXPECT_TRUE(html.contains(QStringLiteral("<span class=\"meta\">[4]</span>")));
    EXPECT_TRUE(html.endsWith(
        QStringLiteral("<li><span class=\"meta\">…… 另有 2 项未显示</span></li></ul></details></li>"
                       "<li><span class=\"meta\">…… 另有 2 项未显示</span></li></ul></details></li></ul></div>")));
    // Errors past the budget are still found, with their line.
    TreeBudget small;
    small.nodes = 2;
    try {
        JSONText::parseWithin(QStringLiteral("[1,2,\n3,{\"a\" 1}]"), small);
        ADD_FAILURE() << "no error";
    } catch (const PluginError& e) {
        EXPECT_EQ(e.line, 2);
    }
}

TEST(TreeBudget, BigDocumentsShowTheFirstValuesWithTheTotal)
{
    const QString html = JSONPlugin::previewHTML(numbersArray(120000));
    EXPECT_TRUE(html.startsWith(
        QStringLiteral("<div class=\"cap\"><span>内容较大，预览只显示前 50000 个值（共 120001 个）</span></div>")));
    EXPECT_TRUE(html.contains(QStringLiteral("<span class=\"meta\">[120000]</span>")));
    EXPECT_TRUE(html.contains(QStringLiteral("<span class=\"k\">49998</span>: <span class=\"num\">49998</span>")));
    EXPECT_FALSE(html.contains(QStringLiteral(">50000</span>")));
    EXPECT_TRUE(html.contains(QStringLiteral("…… 另有 70001 项未显示")));
    EXPECT_LT(html.size(), 5000000);

    // A tree built by another parser is cut while rendering, by nodes or by size.
    std::vector<TreeNode> items;
    for (int i = 0; i < 60000; ++i)
        items.push_back(TreeNode::makeString(QStringLiteral("<script>%1</script>").arg(i)));
    const TreeNode list = TreeNode::makeList(std::move(items));
    const QString cut = list.treeHTML();
    EXPECT_TRUE(cut.startsWith(
        QStringLiteral("<div class=\"cap\"><span>内容较大，预览只显示前 50000 个值（共 60001 个）</span></div>")));
    EXPECT_TRUE(cut.contains(QStringLiteral("…… 另有 10001 项未显示")));
    EXPECT_FALSE(cut.contains(QStringLiteral("<script")));
    TreeBudget bytes;
    bytes.htmlChars = 10000;
    const QString small = list.treeHTML(&bytes);
    EXPECT_LT(small.size(), 12000);
    EXPECT_TRUE(small.contains(QStringLiteral("（共 60001 个）")));
}

// One huge string is a budget of its own: the page shows its start and its length.
TEST(TreeBudget, AHugeValueShowsItsStartAndLength)
{
    const QString big(3'000'000, u'x');
    const QString json = QStringLiteral("{\"k\": \"") + big + QStringLiteral("\", \"") + QString(20000, u'y')
        + QStringLiteral("\": 1}");
    const QString html = JSONPlugin::previewHTML(json);
    EXPECT_LT(html.size(), 3 * TreeBudget::valueChars + 2000);
    EXPECT_TRUE(html.contains(QStringLiteral("<span class=\"s\">&quot;") + QString(TreeBudget::valueChars, u'x')
                              + QStringLiteral("</span><span class=\"meta\">…（共 3000000 字符）</span>")));
    EXPECT_TRUE(html.contains(QStringLiteral("</span><span class=\"meta\">…（共 20000 字符）</span>: ")));
    // Short values, and a value exactly at the limit, are whole.
    const QString edge(TreeBudget::valueChars, u'z');
    EXPECT_TRUE(JSONPlugin::previewHTML(QStringLiteral("[\"") + edge + QStringLiteral("\"]"))
                    .contains(QStringLiteral("&quot;") + edge + QStringLiteral("&quot;")));
    // A cut never splits a surrogate pair.
    const QString emoji = QString(TreeBudget::valueChars - 1, u'a') + QString::fromUcs4(U"\U0001F600", 1)
        + QStringLiteral("tail");
    const QString cut = JSONPlugin::previewHTML(QStringLiteral("[\"") + emoji + QStringLiteral("\"]"));
    EXPECT_FALSE(cut.contains(QChar(0xD83D)));
    EXPECT_TRUE(cut.contains(QStringLiteral("…（共 %1 字符）").arg(emoji.size())));
    // The same budget holds for YAML.
    const QString yaml = YAMLPlugin::previewHTML(QStringLiteral("k: ") + QString(50000, u'q') + u'\n');
    EXPECT_TRUE(yaml.contains(QStringLiteral("…（共 50000 字符）")));
    EXPECT_LT(yaml.size(), TreeBudget::valueChars + 2000);
}
