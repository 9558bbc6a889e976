#include "plugins/PluginRegistry.h"
#include "plugins/YAML.h"
#include "plugins/YAMLPlugin.h"

#include <gtest/gtest.h>

namespace {

QString lines(std::initializer_list<const char*> ls)
{
    QString out;
    for (const char* l : ls)
        out += QString::fromUtf8(l) + QLatin1Char('\n');
    return out;
}

Diagnostic only(const QString& text)
{
    const QList<Diagnostic> d = YAMLPlugin::validate(text);
    EXPECT_EQ(d.size(), 1) << text.left(80).toStdString();
    return d.value(0);
}

const TreeNode& at(const TreeNode& map, const char* key)
{
    for (const auto& [k, v] : map.pairs)
        if (k == QLatin1String(key))
            return v;
    static const TreeNode missing = TreeNode::makeString(QStringLiteral("<missing>"));
    ADD_FAILURE() << "no key " << key;
    return missing;
}

}

TEST(YAMLParse, ConfigurationDocument)
{
    const QString doc = lines({"service: sync", "replicas: 2", "image:", "  tag: \"1.4\"", "env:", "  - name: A", "    value: x",
                               "  - name: B", "list: [1, 2]", "text: |", "  line1", "  line2"});
    EXPECT_TRUE(YAMLPlugin::validate(doc).isEmpty());
    const TreeNode root = YAML::parse(doc);
    ASSERT_EQ(root.kind, TreeNode::Kind::map);
    QStringList keys;
    for (const auto& p : root.pairs)
        keys << p.first;
    EXPECT_EQ(keys, (QStringList{"service", "replicas", "image", "env", "list", "text"}));
    EXPECT_EQ(at(root, "replicas"), TreeNode::makeNumber(QStringLiteral("2")));
    EXPECT_EQ(at(at(root, "image"), "tag"), TreeNode::makeString(QStringLiteral("1.4")));
    const TreeNode& env = at(root, "env");
    ASSERT_EQ(env.kind, TreeNode::Kind::list);
    ASSERT_EQ(env.items.size(), 2u);
    ASSERT_EQ(env.items[0].pairs.size(), 2u);
    EXPECT_EQ(at(env.items[0], "value"), TreeNode::makeString(QStringLiteral("x")));
    EXPECT_EQ(at(root, "list").items.size(), 2u);
    EXPECT_EQ(at(root, "text"), TreeNode::makeString(QStringLiteral("line1\nline2\n")));
}

TEST(YAMLParse, ScalarsBoolsNullsAndNumbers)
{
    const TreeNode root = YAML::parse(lines({"a: yes", "b: Off", "c: ~", "d:", "e: 1_000", "f: -.5e3", "g: 0x1F", "h: .inf",
                                             "i: 1.2.3", "j: 'it''s'", "k: \"\\u4e2d\"", "l: &anchor", "m: \"\\q\""}));
    EXPECT_EQ(at(root, "a"), TreeNode::makeBool(true));
    EXPECT_EQ(at(root, "b"), TreeNode::makeBool(false));
    EXPECT_EQ(at(root, "c"), TreeNode::makeNull());
    EXPECT_EQ(at(root, "d"), TreeNode::makeNull());
    EXPECT_EQ(at(root, "e"), TreeNode::makeNumber(QStringLiteral("1_000")));
    EXPECT_EQ(at(root, "f").kind, TreeNode::Kind::string); // no leading digit
    EXPECT_EQ(at(root, "g"), TreeNode::makeNumber(QStringLiteral("0x1F")));
    EXPECT_EQ(at(root, "h"), TreeNode::makeNumber(QStringLiteral(".inf")));
    EXPECT_EQ(at(root, "i"), TreeNode::makeString(QStringLiteral("1.2.3")));
    EXPECT_EQ(at(root, "j"), TreeNode::makeString(QStringLiteral("it's")));
    EXPECT_EQ(at(root, "k"), TreeNode::makeString(QStringLiteral("中")));
    EXPECT_EQ(at(root, "l"), TreeNode::makeString(QStringLiteral("&anchor")));
    // An escape JSON does not know keeps the raw inside.
    EXPECT_EQ(at(root, "m"), TreeNode::makeString(QStringLiteral("\\q")));
}

TEST(YAMLParse, CommentsQuotesAndColons)
{
    const TreeNode root = YAML::parse(lines({"# head", "---", "a: 'x # y'", "b: v # note", "c: v#not", "k: v://w x: y",
                                             "\"q: k\": 1", "url: http://h:80/p"}));
    EXPECT_EQ(at(root, "a"), TreeNode::makeString(QStringLiteral("x # y")));
    EXPECT_EQ(at(root, "b"), TreeNode::makeString(QStringLiteral("v")));
    EXPECT_EQ(at(root, "c"), TreeNode::makeString(QStringLiteral("v#not")));
    EXPECT_EQ(at(root, "k"), TreeNode::makeString(QStringLiteral("v://w x: y")));
    EXPECT_EQ(at(root, "q: k"), TreeNode::makeNumber(QStringLiteral("1")));
    EXPECT_EQ(at(root, "url"), TreeNode::makeString(QStringLiteral("http://h:80/p")));
    EXPECT_EQ(YAML::parse(lines({"# only", "---", "  # more"})), TreeNode::makeNull());
    EXPECT_TRUE(YAMLPlugin::validate(lines({"# only", "---"})).isEmpty());
    EXPECT_EQ(YAML::stripComment(QStringLiteral("a: \"x # y\" # z")), QStringLiteral("a: \"x # y\""));
}

TEST(YAMLParse, SequencesAndFlowCollections)
{
    const TreeNode root = YAML::parse(lines({"k: [1, [2, 3]]", "m: {a: 1, b, c: [x, 'y, z'],}", "s:", "- a", "- - b", "  - c", "-"}));
    const TreeNode& k = at(root, "k");
    ASSERT_EQ(k.items.size(), 2u);
    EXPECT_EQ(k.items[1].kind, TreeNode::Kind::list);
    EXPECT_EQ(k.items[1].items.size(), 2u);
    const TreeNode& m = at(root, "m");
    ASSERT_EQ(m.pairs.size(), 3u);
    EXPECT_EQ(m.pairs[1], (std::pair<QString, TreeNode>{QStringLiteral("b"), TreeNode::makeNull()}));
    EXPECT_EQ(at(m, "c").items[1], TreeNode::makeString(QStringLiteral("y, z")));
    // A sequence may sit at its key's indent; nested dashes on one line form nested lists.
    const TreeNode& s = at(root, "s");
    ASSERT_EQ(s.items.size(), 3u);
    EXPECT_EQ(s.items[1].items.size(), 2u);
    EXPECT_EQ(s.items[2], TreeNode::makeNull());
    EXPECT_EQ(YAML::flow(QStringLiteral("[it's, x]"), 1).items[0], TreeNode::makeString(QStringLiteral("it's")));
}

TEST(YAMLParse, BlockScalars)
{
    const TreeNode root = YAML::parse(lines({"a: >", "  one", "  two", "", "  three", "b: |-", "  x", "    y", "c: |+", "  z", "", "d: end"}));
    EXPECT_EQ(at(root, "a"), TreeNode::makeString(QStringLiteral("one two\nthree\n")));
    EXPECT_EQ(at(root, "b"), TreeNode::makeString(QStringLiteral("x\n  y")));
    EXPECT_EQ(at(root, "c"), TreeNode::makeString(QStringLiteral("z\n\n")));
    EXPECT_EQ(at(root, "d"), TreeNode::makeString(QStringLiteral("end")));
    // Lines that look like keys or comments inside the block are content.
    const TreeNode r2 = YAML::parse(lines({"s: |", "  k: v", "  # c", "t: 1"}));
    EXPECT_EQ(at(r2, "s"), TreeNode::makeString(QStringLiteral("k: v\n# c\n")));
}

TEST(YAMLErrors, MessagesAndLines)
{
    EXPECT_EQ(only(lines({"a: 1", "a: 2"})), (Diagnostic{2, QStringLiteral("重复的键 a")}));
    EXPECT_EQ(only(lines({"a: \"x"})), (Diagnostic{1, QStringLiteral("双引号字符串未闭合")}));
    EXPECT_EQ(only(lines({"a: \"x\\\""})), (Diagnostic{1, QStringLiteral("双引号字符串未闭合")}));
    EXPECT_EQ(only(lines({"a: 'x"})), (Diagnostic{1, QStringLiteral("单引号字符串未闭合")}));
    EXPECT_EQ(only(lines({"a:", "\t- x"})), (Diagnostic{2, QStringLiteral("缩进不能使用 Tab")}));
    EXPECT_EQ(only(lines({"a: 1", "  b: 2"})), (Diagnostic{2, QStringLiteral("缩进错误，此行比同级的键缩进更深")}));
    EXPECT_EQ(only(lines({"a: b: c"})), (Diagnostic{1, QStringLiteral("值中出现未加引号的 \": \"，需要加引号")}));
    EXPECT_EQ(only(lines({"k: [1, 2"})), (Diagnostic{1, QStringLiteral("[ 未闭合，缺少 ]")}));
    EXPECT_EQ(only(lines({"x: 1", "k: {a: 1"})), (Diagnostic{2, QStringLiteral("{ 未闭合，缺少 }")}));
    EXPECT_EQ(only(lines({"k: [1, [2]]]"})), (Diagnostic{1, QStringLiteral("流式集合括号或引号不匹配")}));
    EXPECT_EQ(only(lines({"k: [\"a, b]"})), (Diagnostic{1, QStringLiteral("流式集合括号或引号不匹配")}));
    EXPECT_EQ(only(lines({"a: 1", "b:c"})), (Diagnostic{2, QStringLiteral("应为 key: value 形式（冒号后需要空格）")}));
    EXPECT_EQ(only(lines({"- a", "  - b"})), (Diagnostic{2, QStringLiteral("缩进错误，序列项内容层级不一致")}));
    EXPECT_EQ(only(lines({"  a: 1", "b: 2"})), (Diagnostic{2, QStringLiteral("缩进错误，此行与上文层级不匹配")}));
    EXPECT_THROW(YAMLPlugin::previewHTML(QStringLiteral("a: 1\na: 2")), PluginError);
}

TEST(YAMLErrors, DeepNestingAndHostileInput)
{
    // 100 000 nested flow brackets, and 100 000 levels of indented mappings.
    const QString flow = QStringLiteral("k: ") + QString(100000, QLatin1Char('[')) + QString(100000, QLatin1Char(']'));
    Diagnostic d = only(flow);
    EXPECT_EQ(d.line, 1);
    EXPECT_TRUE(d.message.contains(QStringLiteral("嵌套层级过深")));
    // Nesting within the bound parses, and brackets inside quoted values do not count.
    const QString fine = QStringLiteral("k: ") + QString(500, QLatin1Char('[')) + QString(500, QLatin1Char(']'));
    EXPECT_TRUE(YAMLPlugin::validate(fine).isEmpty());
    EXPECT_TRUE(YAMLPlugin::validate(QStringLiteral("k: ['") + QString(1000, QLatin1Char('[')) + QStringLiteral("', x]")).isEmpty());
    QString block;
    for (int k = 0; k < 2000; ++k)
        block += QString(k, QLatin1Char(' ')) + QStringLiteral("k:\n");
    d = only(block);
    EXPECT_TRUE(d.message.contains(QStringLiteral("嵌套层级过深")));
    EXPECT_GT(d.line, 500);
    // A value that merely starts with dashes is a plain string.
    EXPECT_TRUE(YAMLPlugin::validate(QStringLiteral("k: ") + QString(20000, QLatin1Char('-')).replace(QStringLiteral("-"), QStringLiteral("- "))).isEmpty());
    EXPECT_EQ(only(QString(2000, QLatin1Char('-')).replace(QStringLiteral("-"), QStringLiteral("- ")) + QStringLiteral("x")).line, 1);

    // Arbitrary bytes and NULs give at most one diagnostic.
    QString junk;
    quint32 x = 7;
    for (int k = 0; k < 20000; ++k) {
        x = x * 1103515245u + 12345u;
        junk += QChar(char16_t("ab: -[]{},'\"#|>\n \t\\&*\0x"[(x >> 16) % 24]));
    }
    for (int off = 0; off < 100; ++off)
        EXPECT_LE(YAMLPlugin::validate(junk.mid(off * 97)).size(), 1);
}

TEST(YAMLPlugin, PreviewAndRegistry)
{
    EXPECT_EQ(YAMLPlugin::previewHTML(QStringLiteral("a: 1\n")),
              QStringLiteral("<div class=\"tree\"><ul><li><details open><summary><span class=\"meta\">{1}</span></summary><ul>"
                             "<li><span class=\"k\">a</span>: <span class=\"num\">1</span></li></ul></details></li></ul></div>"));
    EXPECT_EQ(PluginRegistry::plugin(QStringLiteral("x.yml")).validate(QStringLiteral("a: 1\na: 2\n")).size(), 1);
    // CRLF documents are normalised before splitting.
    EXPECT_EQ(at(YAML::parse(QStringLiteral("a: x\r\nb: |\r\n  t\r\n")), "b"), TreeNode::makeString(QStringLiteral("t\n")));
}
