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

QStringList keysOf(const TreeNode& map)
{
    QStringList keys;
    for (const auto& p : map.pairs)
        keys << p.first;
    return keys;
}

// A document the check accepts, as the tree reads it.
TreeNode parsedClean(const QString& doc)
{
    const QList<Diagnostic> d = YAMLPlugin::validate(doc);
    EXPECT_TRUE(d.isEmpty()) << d.value(0).message.toStdString();
    return YAML::parse(doc);
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

TEST(YAMLParse, PlainScalarsTypedAsConfigurationFilesMeanThem)
{
    using K = TreeNode::Kind;
    const struct {
        const char* text;
        K kind;
        bool on = false;
    } cases[] = {
        {"~", K::null},
        {"NULL", K::null},
        {"nulL", K::string},
        {"True", K::boolean, true},
        {"FALSE", K::boolean},
        {"yes", K::boolean, true},
        {"On", K::boolean, true},
        {"no", K::boolean},
        {"Off", K::boolean},
        {"YES", K::string},
        {"y", K::string},
        {"-12", K::number},
        {"+7", K::number},
        {"0o17", K::string},
        {"0x1F", K::number},
        {"0xZ", K::string},
        {"1_000", K::number},
        {"_1", K::string},
        {"-1.5e3", K::number},
        {"1.", K::number},
        {".5", K::string},
        {"1e", K::string},
        {"1.2.3", K::string},
        {"-.inf", K::number},
        {".nan", K::number},
        {".Inf", K::string},
        {"\uff11\uff12", K::number},
        {"12 monkeys", K::string},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const QString text = QString::fromUtf8(c.text);
        const TreeNode root = YAML::parse(QStringLiteral("k: ") + text);
        const TreeNode& v = at(root, "k");
        EXPECT_EQ(v.kind, c.kind);
        if (c.kind == K::number || c.kind == K::string) {
            EXPECT_EQ(v.scalar, text);
        }
        if (c.kind == K::boolean) {
            EXPECT_EQ(v.flag, c.on);
        }
    }
    // An empty value is null; quotes and the string tags keep the text a string.
    const TreeNode root = YAML::parse(lines({"a:", "b: '12'", "c: !!str 12", "d: ! true", "e: !!str", "f: !x 12"}));
    EXPECT_EQ(at(root, "a"), TreeNode::makeNull());
    EXPECT_EQ(at(root, "b"), TreeNode::makeString(QStringLiteral("12")));
    EXPECT_EQ(at(root, "c"), TreeNode::makeString(QStringLiteral("12")));
    EXPECT_EQ(at(root, "d"), TreeNode::makeString(QStringLiteral("true")));
    EXPECT_EQ(at(root, "e"), TreeNode::makeString(QString()));
    EXPECT_EQ(at(root, "f"), TreeNode::makeNumber(QStringLiteral("12")));
}

TEST(YAMLParse, QuotedScalarsAndEscapes)
{
    const TreeNode root = YAML::parse(
        lines({"j: 'it''s'", "k: \"\\u4e2d\\U0001F600\"", "l: &anchor", "m: \"\\x41\\e\\N\\/\\ \\t\"", "n: \" a  \""}));
    EXPECT_EQ(at(root, "j"), TreeNode::makeString(QStringLiteral("it's")));
    EXPECT_EQ(at(root, "k"), TreeNode::makeString(QStringLiteral("中\U0001F600")));
    EXPECT_EQ(at(root, "l"), TreeNode::makeNull());  // an anchor on an empty value
    // YAML's own escapes, beyond JSON's; an unknown one is an error, not raw text.
    EXPECT_EQ(at(root, "m"), TreeNode::makeString(QStringLiteral("A\x1b\u0085/ \t")));
    EXPECT_EQ(at(root, "n"), TreeNode::makeString(QStringLiteral(" a  ")));
}

// Parsing itself is the public suite's; these are the check's own messages and
// the line each names (a quote or bracket left open names its opening line),
// and the preview refuses each with the same message and line.
TEST(YAMLErrors, MessagesAndLines)
{
    const struct {
        std::initializer_list<const char*> doc;
        int line;
        const char* message;  // null: any message
    } cases[] = {
        {{"a: 1", "a: 2"}, 2, "重复的键 a"},
        {{"? a", "a: 1"}, 2, "重复的键 a"},
        {{"a: \"x\\\""}, 1, "双引号字符串未闭合"},
        {{"a: \"x", "b: 2"}, 1, "双引号字符串未闭合"},
        {{"k: [\"a, b]", "m: 1"}, 1, "双引号字符串未闭合"},
        {{"a: 'x", "b: 2"}, 1, "单引号字符串未闭合"},
        {{"a:", "\t- x"}, 2, "缩进不能使用 Tab"},
        {{"- \t- x"}, 1, "缩进不能使用 Tab"},
        {{"a: 1", "  b: 2"}, 2, "缩进错误，此行比同级的键缩进更深"},
        {{"  a: 1", "b: 2"}, 2, "缩进错误，此行与上文层级不匹配"},
        {{"a: b: c"}, 1, "值中出现未加引号的 \": \"，需要加引号"},
        {{"k: [1, 2", "m: 3"}, 1, "[ 未闭合，缺少 ]"},
        {{"x: 1", "k: {a: 1"}, 2, "{ 未闭合，缺少 }"},
        {{"k: [1, [2]]]"}, 1, "多余的 ]"},
        {{"a: 1", "b:c"}, 2, "应为 key: value 形式（冒号后需要空格）"},
        // What PyYAML rejects and the suite calls invalid.
        {{"s: \"\\x4G\""}, 1, "无效的转义 \\x4G"},
        {{"a: 1", "m: \"\\q\""}, 2, "无效的转义 \\q"},
        {{"a: 1", "k: [ , a ]"}, 2, "此处应为内容，但遇到逗号 ,"},
        {{"a: one", "# comment", "  two", "b: 1"}, 3, nullptr},
        {{"a: *nowhere"}, 1, "未定义的别名 *nowhere"},
        {{"---", "a: 1", "... x"}, 3, "文档结束标记 ... 后面不能有内容"},
        {{"a: 1", "%YAML 1.2", "---"}, 2, "指令前需要用 ... 结束上一个文档"},
        {{"k: !e!x v"}, 1, "未定义的标签前缀 !e!"},
        {{"a: |", "", "   ", " x"}, 3, "块标量开头的空行比内容缩进得更深"},
        {{"a: 'x'y"}, 1, nullptr},
        {{"a: \"x\"#c"}, 1, "注释 # 前面需要空格"},
    };
    for (const auto& c : cases) {
        const QString doc = lines(c.doc);
        SCOPED_TRACE(doc.toStdString());
        const Diagnostic d = only(doc);
        EXPECT_EQ(d.line, c.line);
        if (c.message) {
            EXPECT_EQ(d.message, QString::fromUtf8(c.message));
        }
        try {
            YAMLPlugin::previewHTML(doc);
            ADD_FAILURE() << "the preview rendered a broken file";
        } catch (const PluginError& e) {
            EXPECT_EQ(e.message, d.message);
            EXPECT_EQ(e.line, d.line);
        }
    }
    // A deeper line that is no key continues the item's plain text; ": value" alone has an empty key.
    EXPECT_TRUE(YAMLPlugin::validate(lines({"- a", "  - b"})).isEmpty());
    EXPECT_TRUE(YAMLPlugin::validate(lines({"a: 1", ": 2"})).isEmpty());
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
    EXPECT_TRUE(
        YAMLPlugin::validate(QStringLiteral("k: ['") + QString(1000, QLatin1Char('[')) + QStringLiteral("', x]"))
            .isEmpty());
    QString block;
    for (int k = 0; k < 2000; ++k)
        block += QString(k, QLatin1Char(' ')) + QStringLiteral("k:\n");
    d = only(block);
    EXPECT_TRUE(d.message.contains(QStringLiteral("嵌套层级过深")));
    EXPECT_GT(d.line, 500);
    // A sequence cannot start on its key's line.
    EXPECT_EQ(only(QStringLiteral("k: ")
                   + QString(20000, QLatin1Char('-')).replace(QStringLiteral("-"), QStringLiteral("- "))),
              (Diagnostic{1, QStringLiteral("此处不能开始序列项 -")}));
    EXPECT_EQ(
        only(QString(2000, QLatin1Char('-')).replace(QStringLiteral("-"), QStringLiteral("- ")) + QStringLiteral("x"))
            .line,
        1);

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
    EXPECT_EQ(PluginRegistry::plugin(QStringLiteral("x.yml")).validate(QStringLiteral("a: 1\na: 2\n")).size(), 1);
    // CRLF documents are normalised before splitting.
    EXPECT_EQ(at(YAML::parse(QStringLiteral("a: x\r\nb: |\r\n  t\r\n")), "b"),
              TreeNode::makeString(QStringLiteral("t\n")));
}

namespace {

qint64 nodes(const TreeNode& n)
{
    qint64 c = 1;
    for (const auto& p : n.pairs)
        c += nodes(p.second);
    for (const auto& i : n.items)
        c += nodes(i);
    return c;
}

}

TEST(YAMLAnchors, AnchorsAliasesTagsAndMerges)
{
    const QString doc = lines({"x-common: &common",
                               "  restart: always",
                               "  logging:",
                               "    driver: json",
                               "services:",
                               "  web:",
                               "    <<: *common",
                               "    restart: 'no'",
                               "    image: nginx",
                               "s: &s !!str 123",
                               "items:",
                               "  - &first name: A",
                               "    value: x",
                               "  - *first",
                               "  - &n",
                               "    k: v",
                               "flow: {a: *s, b: &f [1], c: *f}",
                               "named: &named {name: A, value: x}",
                               "both: {<<: [*named, *common]}",
                               "&k key: 1"});
    const TreeNode root = parsedClean(doc);
    const TreeNode& web = at(at(root, "services"), "web");
    // Merged keys come first; a key the mapping sets itself wins.
    EXPECT_EQ(keysOf(web), (QStringList{"logging", "restart", "image"}));
    EXPECT_EQ(at(web, "restart"), TreeNode::makeString(QStringLiteral("no")));
    EXPECT_EQ(at(at(web, "logging"), "driver"), TreeNode::makeString(QStringLiteral("json")));
    const TreeNode& items = at(root, "items");
    ASSERT_EQ(items.items.size(), 3u);
    EXPECT_EQ(keysOf(items.items[0]), (QStringList{"name", "value"}));
    // An anchor in front of a key names the key.
    EXPECT_EQ(items.items[1], TreeNode::makeString(QStringLiteral("name")));
    EXPECT_EQ(at(items.items[2], "k"), TreeNode::makeString(QStringLiteral("v")));
    const TreeNode& flow = at(root, "flow");
    EXPECT_EQ(at(flow, "a"), TreeNode::makeString(QStringLiteral("123")));
    EXPECT_EQ(at(flow, "c"), at(flow, "b"));
    // In a list of merge sources the earlier one wins.
    EXPECT_EQ(keysOf(at(root, "both")), (QStringList{"name", "value", "restart", "logging"}));
    EXPECT_EQ(at(root, "key"), TreeNode::makeNumber(QStringLiteral("1")));
    // An alias without its anchor is refused by the check and by the tree alike.
    EXPECT_EQ(only(lines({"a: 1", "b: *nowhere"})), (Diagnostic{2, QStringLiteral("未定义的别名 *nowhere")}));
    EXPECT_THROW(YAML::parse(lines({"a: 1", "b: *nowhere"})), PluginError);
    // An anchored key that is set twice is still a duplicate.
    EXPECT_EQ(only(lines({"a: &x 1", "a: *x"})), (Diagnostic{2, QStringLiteral("重复的键 a")}));
}

TEST(YAMLAnchors, AliasExpansionIsBounded)
{
    // Nine levels of ten aliases each would be a billion nodes.
    QString doc = QStringLiteral("a: &a [x, x, x, x, x, x, x, x, x, x]\n");
    for (char c = 'b'; c <= 'j'; ++c) {
        const QChar prev = QLatin1Char(char(c - 1));
        doc += QStringLiteral("%1: &%1 [").arg(QLatin1Char(c));
        for (int k = 0; k < 10; ++k)
            doc += (k ? QStringLiteral(", *") : QStringLiteral("*")) + prev;
        doc += QStringLiteral("]\n");
    }
    const TreeNode root = parsedClean(doc);
    EXPECT_LE(nodes(root), YAML::aliasNodeBudget + 200);
    // Past the budget an alias stays as written: d (1 111 nodes) fits seven times in e, e never in f.
    EXPECT_EQ(at(root, "e").items[6], at(root, "d"));
    EXPECT_EQ(at(root, "e").items[7], TreeNode::makeString(QStringLiteral("*d")));
    EXPECT_EQ(at(root, "f").items[0], TreeNode::makeString(QStringLiteral("*e")));
}

TEST(YAMLStreams, EachDocumentCheckedOnItsOwn)
{
    const QString k8s = lines({"apiVersion: v1", "kind: Service", "---", "apiVersion: apps/v1", "kind: Deployment",
                               "...", "%YAML 1.2", "---", "--- !tag # comment", "x: 1", "--- |", "  text", "---"});
    EXPECT_TRUE(YAMLPlugin::validate(k8s).isEmpty()) << YAMLPlugin::validate(k8s).value(0).message.toStdString();
    // A "---" with nothing after it is an empty document; comments alone make none.
    EXPECT_EQ(YAML::parseDocuments(k8s).size(), 6u);
    EXPECT_TRUE(YAML::parseDocuments(lines({"# a", "  # b"})).empty());
    // A duplicate is one within a document, and the line is the file's.
    EXPECT_EQ(only(lines({"a: 1", "---", "a: 2", "a: 3"})), (Diagnostic{4, QStringLiteral("重复的键 a")}));
    // Anchors do not reach into the next document.
    EXPECT_EQ(only(lines({"a: &x 1", "---", "b: *x"})), (Diagnostic{3, QStringLiteral("未定义的别名 *x")}));
    // An indented "---" is no separator.
    const std::vector<TreeNode> indented = YAML::parseDocuments(lines({"a:", "  ---", "  b"}));
    ASSERT_EQ(indented.size(), 1u);
    EXPECT_EQ(at(indented[0], "a"), TreeNode::makeString(QStringLiteral("--- b")));

    const QString preview = YAMLPlugin::previewHTML(lines({"a: 1", "---", "b: 2"}));
    EXPECT_TRUE(
        preview.startsWith(QStringLiteral("<div class=\"cap\"><span>文档 1 / 2</span></div><div class=\"tree\">")));
    EXPECT_EQ(preview.count(QStringLiteral("<div class=\"tree\">")), 2);
    EXPECT_TRUE(preview.contains(QStringLiteral("文档 2 / 2")));
    // A lone document keeps its plain tree, with or without markers (its lines counted from the file's start).
    const QString marked = YAMLPlugin::previewHTML(lines({"---", "a: 1", "..."}));
    EXPECT_EQ(QString(marked).replace(QStringLiteral("data-line=\"1\""), QStringLiteral("data-line=\"0\"")),
              YAMLPlugin::previewHTML(QStringLiteral("a: 1\n")));
}
