#include "plugins/FileName.h"
#include "plugins/HTML.h"
#include "plugins/JSONText.h"
#include "plugins/PluginRegistry.h"
#include "plugins/TreeNode.h"

#include <gtest/gtest.h>
#include <thread>

TEST(FileName, ExtensionRule)
{
    EXPECT_EQ(FileName::ext(QStringLiteral("a.JSON")), QStringLiteral("json"));
    EXPECT_EQ(FileName::ext(QStringLiteral("a.b.md")), QStringLiteral("md"));
    EXPECT_EQ(FileName::ext(QStringLiteral("Makefile")), QString());
    EXPECT_EQ(FileName::ext(QStringLiteral(".zshrc")), QString());
    EXPECT_EQ(FileName::ext(QStringLiteral("a.")), QString());
    EXPECT_EQ(FileName::base(QStringLiteral("a.b.md")), QStringLiteral("a.b"));
    EXPECT_EQ(FileName::base(QStringLiteral(".zshrc")), QStringLiteral(".zshrc"));
    EXPECT_EQ(FileName::base(QStringLiteral("Makefile")), QStringLiteral("Makefile"));
}

TEST(PluginRegistry, LookupByName)
{
    EXPECT_EQ(PluginRegistry::plugin(QStringLiteral("未命名")).id, QStringLiteral("text"));
    EXPECT_EQ(PluginRegistry::plugin(QStringLiteral("x.yml")).id, QStringLiteral("yaml"));
    EXPECT_EQ(PluginRegistry::plugin(QStringLiteral("q.sql")).id, QStringLiteral("text"));
    EXPECT_EQ(PluginRegistry::plugin(QStringLiteral("README.MD")).id, QStringLiteral("markdown"));
    EXPECT_EQ(PluginRegistry::plugin(QStringLiteral("a.tsv")).id, QStringLiteral("csv"));
    EXPECT_EQ(PluginRegistry::formatID(QStringLiteral("a.txt")), QStringLiteral("text"));
    EXPECT_FALSE(PluginRegistry::formatID(QStringLiteral("q.sql")));
    EXPECT_EQ(PluginRegistry::customExt(QStringLiteral("q.sql")), QStringLiteral("sql"));
    EXPECT_FALSE(PluginRegistry::customExt(QStringLiteral("a.md")));
    EXPECT_FALSE(PluginRegistry::customExt(QStringLiteral("未命名")));
    EXPECT_FALSE(PluginRegistry::customExt(QStringLiteral("a.txt")));
}

TEST(PluginRegistry, FirstUseFromManyThreadsSeesOneCatalog)
{
    std::vector<std::thread> threads;
    std::vector<const void*> seen(8);
    for (int i = 0; i < 8; ++i)
        threads.emplace_back([&, i] { seen[i] = &PluginRegistry::catalog(); });
    for (auto& t : threads)
        t.join();
    for (const void* p : seen)
        EXPECT_EQ(p, seen.front());
}

TEST(HTML, EscapeAndCaption)
{
    EXPECT_EQ(HTML::esc(QStringLiteral("<a href=\"x\">&'</a>")),
              QStringLiteral("&lt;a href=&quot;x&quot;&gt;&amp;'&lt;/a&gt;"));
    EXPECT_EQ(HTML::caption({QStringLiteral("3 行"), QStringLiteral("<b>")}),
              QStringLiteral("<div class=\"cap\"><span>3 行</span><span>&lt;b&gt;</span></div>"));
}

TEST(JSONText, EscapeAndQuote)
{
    EXPECT_EQ(JSONText::escape(QString()), QString());
    const QString in = QStringLiteral("\b\t\n\f\r\"\\/中") + QChar(1) + QChar(0x1f);
    EXPECT_EQ(JSONText::escape(in), QStringLiteral("\\b\\t\\n\\f\\r\\\"\\\\/中\\u0001\\u001f"));
    EXPECT_EQ(JSONText::quote(QStringLiteral("a")), QStringLiteral("\"a\""));
}

TEST(TreeNode, RendersEveryKind)
{
    EXPECT_EQ(
        TreeNode::makeMap().html(),
        QStringLiteral("<li><details open><summary><span class=\"meta\">{0}</span></summary><ul></ul></details></li>"));
    const QString s = TreeNode::makeString(QStringLiteral("a\n<")).html();
    EXPECT_EQ(s, QStringLiteral("<li><span class=\"s\">&quot;a\\n&lt;&quot;</span></li>"));

    TreeNode root = TreeNode::makeMap({
        {QStringLiteral("<k>"),
         TreeNode::makeList({TreeNode::makeNumber(QStringLiteral("1.50")), TreeNode::makeBool(false)})},
        {QStringLiteral("n"), TreeNode::makeNull()},
    });
    EXPECT_EQ(root.treeHTML(),
              QStringLiteral(
                  "<div class=\"tree\"><ul><li><details open><summary><span class=\"meta\">{2}</span></summary><ul>"
                  "<li><details open><summary><span class=\"k\">&lt;k&gt;</span>: <span "
                  "class=\"meta\">[2]</span></summary><ul>"
                  "<li><span class=\"k\">0</span>: <span class=\"num\">1.50</span></li>"
                  "<li><span class=\"k\">1</span>: <span class=\"b\">false</span></li>"
                  "</ul></details></li>"
                  "<li><span class=\"k\">n</span>: <span class=\"nl\">null</span></li>"
                  "</ul></details></li></ul></div>"));
}
