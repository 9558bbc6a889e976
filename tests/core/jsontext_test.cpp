#include "plugins/JSONPlugin.h"
#include "plugins/JSONText.h"
#include "plugins/PluginRegistry.h"

#include <gtest/gtest.h>

namespace {

PluginError parseError(const QString& text)
{
    try {
        JSONText::parse(text);
    } catch (const PluginError& e) {
        return e;
    }
    ADD_FAILURE() << "accepted: " << text.toStdString();
    return PluginError(QString());
}

QString actionRun(const QString& title, const QString& text)
{
    for (const PluginAction& a : JSONPlugin::actions())
        if (a.title == title)
            return a.run(text);
    ADD_FAILURE() << "no action " << title.toStdString();
    return {};
}

}

TEST(JSONParse, KeepsKeyOrderNumberTextAndRoundTripsCompact)
{
    const QString src = QStringLiteral(R"({"b":1,"a":[true,null,"x\n"],"c":{"d":-1.5e3}})");
    const TreeNode root = JSONText::parse(src);
    ASSERT_EQ(root.kind, TreeNode::Kind::map);
    ASSERT_EQ(root.pairs.size(), 3u);
    EXPECT_EQ(root.pairs[0].first, QStringLiteral("b"));
    EXPECT_EQ(root.pairs[1].first, QStringLiteral("a"));
    EXPECT_EQ(root.pairs[2].first, QStringLiteral("c"));
    EXPECT_EQ(root.pairs[1].second.items[2].scalar, QStringLiteral("x\n"));
    EXPECT_EQ(root.pairs[2].second.pairs[0].second.scalar, QStringLiteral("-1.5e3"));
    EXPECT_EQ(JSONText::compact(root), src);
    EXPECT_TRUE(JSONText::pretty(root, QString()).startsWith(QStringLiteral("{\n  \"b\": 1,")));
    // Pretty output is itself valid and compacts back to the same text.
    EXPECT_EQ(JSONText::compact(JSONText::parse(JSONText::pretty(root, QString()))), src);
    // Duplicate keys stay separate pairs, numbers keep their text, and pretty
    // output indents nested and empty containers.
    const TreeNode twice = JSONText::parse(QStringLiteral(R"({"a":1,"a":2})"));
    ASSERT_EQ(twice.pairs.size(), 2u);
    EXPECT_EQ(twice.pairs[1].second.scalar, QStringLiteral("2"));
    EXPECT_EQ(JSONText::parse(QStringLiteral("01")).scalar, QStringLiteral("01"));
    EXPECT_EQ(JSONText::pretty(JSONText::parse(QStringLiteral(R"({"a":[1,{}],"b":[]})")), QString()),
              QStringLiteral("{\n  \"a\": [\n    1,\n    {}\n  ],\n  \"b\": []\n}"));
}

// Each error names the line and the column (in UTF-16 units, like the caret)
// of the character where the text stopped being JSON.
TEST(JSONErrors, LineColumnAndMessageOfTheOffendingCharacter)
{
    const struct {
        const char* text;
        int line, column;
        const char* message;
    } cases[] = {
        {"{\n\"a\" 1}", 2, 5, "键 a 后缺少冒号"},
        // A trailing comma shows where the closing bracket came too soon.
        {"{\n  \"a\": 1,\n}", 3, 1, "末尾多余的逗号"},
        {"[1,]", 1, 4, "末尾多余的逗号"},
        // An escape is at its backslash.
        {"[\"é\\q\"]", 1, 4, "非法转义 \\q"},
        {"[\"中\" 1]", 1, 6, "缺少逗号或 ]"},
        {"[\"😀\" 1]", 1, 7, "缺少逗号或 ]"},
        {"\"abc", 1, 5, "字符串缺少结束引号"},
        {"[\"a\nb\"]", 1, 4, "字符串中不能直接换行，缺少结束引号？"},
        {"\"\\x\"", 1, 2, "非法转义 \\x"},
        {"\"\\u12g4\"", 1, 2, "\\u 后应为 4 位十六进制"},
        {"é", 1, 1, "无法识别的字符 \xC3\x83"},
        {"1 2", 1, 3, "值之后出现多余内容"},
        {"[tru]", 1, 2, "应为 true"},
        {"{\"a\":", 1, 6, "意外结束"},
        {"1.", 1, 3, "小数点后缺少数字"},
        {"1e+", 1, 4, "指数缺少数字"},
        {"-x", 1, 2, "数字格式错误"},
        {"{\"a\":1", 1, 7, "对象未闭合，缺少 }"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const PluginError e = parseError(QString::fromUtf8(c.text));
        EXPECT_EQ(e.line, c.line);
        EXPECT_EQ(e.column, c.column);
        EXPECT_EQ(e.message, QStringLiteral("第 %1 列：").arg(c.column) + QString::fromUtf8(c.message));
    }
}

TEST(JSONErrors, EmptyAndCommentOnlyDocuments)
{
    // Line 1 and the bare message, however many lines of blanks and comments came first.
    for (const QString& t : {QString(), QStringLiteral("  \n"), QStringLiteral("// note"), QStringLiteral("/* a */"),
                             QStringLiteral("// one\n/* two\n three */\n\n  // four\n")}) {
        const PluginError e = parseError(t);
        EXPECT_EQ(e.message, QStringLiteral("内容为空"));
        EXPECT_EQ(e.line, 1);
        EXPECT_EQ(JSONPlugin::validate(t), (QList<Diagnostic>{Diagnostic{1, QStringLiteral("内容为空")}}));
    }
}

TEST(JSONErrors, DeepNestingIsReportedNotRecursed)
{
    const QString ok = QString(JSONText::maxDepth, QLatin1Char('[')) + QString(JSONText::maxDepth, QLatin1Char(']'));
    EXPECT_TRUE(JSONPlugin::validate(ok).isEmpty());
    EXPECT_NO_THROW(JSONText::parse(ok));

    const QString deep = QStringLiteral("\n") + QString(100000, QLatin1Char('['));
    for (auto run : {+[](const QString& t) { JSONText::parse(t); }, +[](const QString& t) { JSONText::check(t); }}) {
        try {
            run(deep);
            ADD_FAILURE() << "deep nesting accepted";
        } catch (const PluginError& e) {
            EXPECT_EQ(e.line, 2);
            EXPECT_TRUE(e.message.contains(QStringLiteral("嵌套层级过深"))) << e.message.toStdString();
        }
    }
    const QString objects = QString(600, QLatin1Char('{')).replace(QStringLiteral("{"), QStringLiteral("{\"k\":"));
    EXPECT_TRUE(JSONPlugin::validate(objects).value(0).message.contains(QStringLiteral("嵌套层级过深")));
}

TEST(JSONStrings, EscapesSurrogatesAndInvalidBytes)
{
    EXPECT_EQ(JSONText::parse(QStringLiteral(R"("\ud83d\ude00")")).scalar, QStringLiteral("😀"));
    EXPECT_EQ(JSONText::parse(QStringLiteral(R"("\ud83dx")")).scalar, QStringLiteral("\uFFFDx"));
    EXPECT_EQ(JSONText::parse(QStringLiteral(R"("\ude00")")).scalar, QStringLiteral("\uFFFD"));
    // A high surrogate followed by a non-low escape keeps the second escape.
    EXPECT_EQ(JSONText::parse(QStringLiteral(R"("\ud83d\u0041")")).scalar, QStringLiteral("\uFFFDA"));
    EXPECT_EQ(JSONText::parse(QStringLiteral(R"("\"\\\/\b\f\n\r\t")")).scalar, QStringLiteral("\"\\/\b\f\n\r\t"));
    // Raw tab and CR inside strings are tolerated.
    EXPECT_EQ(JSONText::parse(QStringLiteral("\"a\tb\r\"")).scalar, QStringLiteral("a\tb\r"));
    // A NUL byte is ordinary string content.
    EXPECT_EQ(JSONText::parse(QString::fromUtf8("\"a\0b\"", 5)).scalar, QString::fromUtf8("a\0b", 3));
    EXPECT_EQ(JSONText::parse(QStringLiteral("\"中文\"")).scalar, QStringLiteral("中文"));
}

TEST(JSONStrings, EscapeAndUnescapeActions)
{
    EXPECT_EQ(JSONText::unescape(QStringLiteral(R"("\u4e2d")")), QStringLiteral("中"));
    const QString decoded = JSONText::unescape(QStringLiteral(R"(a\"b\n)"));
    EXPECT_EQ(decoded, QStringLiteral("a\"b\n"));
    EXPECT_EQ(JSONText::escape(decoded), QStringLiteral(R"(a\"b\n)"));
    // Bare text is treated as string content, so digits come back as text.
    EXPECT_EQ(JSONText::unescape(QStringLiteral("123")), QStringLiteral("123"));
    try {
        JSONText::unescape(QStringLiteral("\"a\" \"b\""));
        ADD_FAILURE();
    } catch (const PluginError& e) {
        EXPECT_EQ(e.line, 1);
        EXPECT_EQ(e.message, QStringLiteral("第 5 列：值之后出现多余内容"));
    }
    EXPECT_THROW(JSONText::unescape(QStringLiteral("a\\q")), PluginError);

    ASSERT_EQ(JSONPlugin::actions().size(), 4);
    EXPECT_EQ(actionRun(QStringLiteral("格式化"), QStringLiteral("[1,2]")), QStringLiteral("[\n  1,\n  2\n]\n"));
    EXPECT_EQ(actionRun(QStringLiteral("压缩"), QStringLiteral("{ \"a\" : [ 1 , 2 ] } // c")),
              QStringLiteral("{\"a\":[1,2]}"));
    EXPECT_EQ(actionRun(QStringLiteral("转义"), QStringLiteral("{\"a\":1}\n")), QStringLiteral("{\\\"a\\\":1}\\n"));
    EXPECT_EQ(actionRun(QStringLiteral("反转义"), QStringLiteral("{\\\"a\\\":1}\\n")), QStringLiteral("{\"a\":1}\n"));
    EXPECT_THROW(actionRun(QStringLiteral("格式化"), QStringLiteral("[1,")), PluginError);
}

TEST(JSONPlugin, ValidatePreviewAndRegistryWiring)
{
    EXPECT_EQ(JSONPlugin::previewHTML(QStringLiteral("{\"a\":\"<\"}")),
              QStringLiteral("<div class=\"tree\"><ul><li data-line=\"0\"><details open><summary><span "
                             "class=\"meta\">{1}</span></summary><ul>"
                             "<li data-line=\"0\"><span class=\"k\">a</span>: <span "
                             "class=\"s\">&quot;&lt;&quot;</span></li></ul></details></li></ul></div>"));
    EXPECT_THROW(JSONPlugin::previewHTML(QStringLiteral("{")), PluginError);

    const FormatPlugin& p = PluginRegistry::plugin(QStringLiteral("a.jsonc"));
    EXPECT_EQ(p.id, QStringLiteral("json"));
    EXPECT_EQ(p.actions.size(), 4);
    EXPECT_EQ(p.validate(QStringLiteral("[1,]")).size(), 1);
}

// Conformance: accepted and rejected documents, including the comment extension.
TEST(JSONConformance, Table)
{
    // clang-format off
    const char* const accepted[] = {"{}", "[]", "0", "-0", "1.5", "-1.5e-3", "1E10", "1e+2", "\"\"", "true", "false",
                                    "null", " [ 1 , 2 ] ", "{\"a\":{\"b\":[{}]}}", "[\"\\u0000\"]", "\"\\uFFFF\"",
                                    "[[[[]]]]", "{\"\":0}", "\t\r\n[]\n", "[1,\"2\",true,null,{},[]]", "/**/[]",
                                    "[/* x */1]", "[1 // c\n]", "{\"a\"/**/:/**/1}", "\"中文\"", "[0.0e0]", "[-0.1]",
                                    "{\"a\":1,\"b\":2}", "\"\\/\"", "123456789012345678901234567890",
                                    "[] /* trailing unterminated", "[] //"};
    const char* const rejected[] = {"[/* unterminated", "+1", "'a'", "[1,]", "{,}", "[,1]", "{\"a\"}", "{\"a\":}",
                                    "{a:1}", "[1 2]", "\"a\nb\"", ".5", "1.", "1.e1", "- 1", "0x10", "NaN", "Infinity",
                                    "tRue", "nul", "[", "]", "{", "}", "\"", "\\", "[\"\\a\"]", "\"\\u12\"",
                                    "{\"a\":1,}", "[1]]", "{}{}", "/", "[] /", "{\"a\" \"b\"}", "[1,,2]", "[\"a\",]",
                                    "1e", "--1", "[true false]", "{\"a\":1 \"b\":2}", "\"\\", "[\"\\"};
    // clang-format on
    const auto check = [&](const char* t, bool valid) {
        const QString text = QString::fromUtf8(t);
        const QList<Diagnostic> d = JSONPlugin::validate(text);
        EXPECT_EQ(d.size(), valid ? 0 : 1) << t << " -> " << d.value(0).message.toStdString();
        bool parsed = true;
        try {
            JSONText::parse(text);
        } catch (const PluginError&) {
            parsed = false;
        }
        EXPECT_EQ(parsed, valid) << t;
    };
    for (const char* t : accepted)
        check(t, true);
    for (const char* t : rejected)
        check(t, false);
    // Control characters other than tab, CR and LF are accepted raw here; a raw
    // line feed is the one rejected (it usually means a missing quote).
}

TEST(JSONConformance, ArbitraryBytesNeverCrash)
{
    QByteArray junk;
    quint32 x = 12345;
    for (int k = 0; k < 20000; ++k) {
        x = x * 1103515245u + 12345u;
        junk += char(x >> 16);
    }
    const QString text = QString::fromLatin1(junk);
    for (int off = 0; off < 200; ++off)
        EXPECT_LE(JSONPlugin::validate(text.mid(off * 50)).size(), 1);
}
