#include "plugins/PluginRegistry.h"
#include "plugins/Regex.h"
#include "plugins/TOMLPlugin.h"

#include <gtest/gtest.h>

namespace {

QList<Diagnostic> check(std::initializer_list<const char*> ls)
{
    QStringList lines;
    for (const char* l : ls)
        lines << QString::fromUtf8(l);
    return TOMLPlugin::validate(lines.join(QLatin1Char('\n')));
}

Diagnostic d(int line, const char* message) { return Diagnostic{line, QString::fromUtf8(message)}; }

}

TEST(TOMLValidate, EveryProblemIsReportedInLineOrder)
{
    EXPECT_EQ(check({"[a]", "x = \"1", "y = fast", "[a]"}),
              (QList<Diagnostic>{d(2, "字符串缺少结束引号"), d(3, "无法识别的值 fast，字符串需要加引号"),
                                 d(4, "重复定义的表 [a]")}));
    EXPECT_EQ(check({"a = 1", "a = 2", "[t]", "a = 3"}), (QList<Diagnostic>{d(2, "重复的键 a")}));
    EXPECT_EQ(
        check({"x =", "= 1", "[a", "[[a]", "[a]]", "t = 7:30", "q = 'open"}),
        (QList<Diagnostic>{d(1, "缺少值"), d(2, "应为 key = value 形式"), d(3, "表头格式错误，应为 [name] 或 [[name]]"),
                           d(4, "表头格式错误，应为 [name] 或 [[name]]"), d(5, "表头格式错误，应为 [name] 或 [[name]]"),
                           d(6, "日期或时间格式错误 7:30"), d(7, "字符串缺少结束引号")}));
    // A duplicate key is reported and its value is still checked.
    EXPECT_EQ(check({"k = 1", "k = bad"}),
              (QList<Diagnostic>{d(2, "重复的键 k"), d(2, "无法识别的值 bad，字符串需要加引号")}));
    EXPECT_EQ(check({"[]"}), (QList<Diagnostic>{d(1, "表头格式错误，应为 [name] 或 [[name]]")}));
    EXPECT_EQ(check({"[a] x"}), (QList<Diagnostic>{d(1, "表头格式错误，应为 [name] 或 [[name]]")}));
}

TEST(TOMLValidate, MultiLineStringsAndArrays)
{
    EXPECT_TRUE(
        check({"s = \"\"\"", "[not a table]", "= neither", "\"\"\"", "t = '''one line'''", "u = '''", "x", "'''"})
            .isEmpty());
    EXPECT_EQ(check({"a = 1", "s = \"\"\"", "never closed", "b = 2"}),
              (QList<Diagnostic>{d(2, "多行字符串未闭合，缺少 \"\"\"")}));
    EXPECT_EQ(check({"s = '''", "x = \"\"\""}), (QList<Diagnostic>{d(1, "多行字符串未闭合，缺少 '''")}));
    // Brackets inside strings and comments do not count.
    EXPECT_TRUE(check({"a = [", "  \"]\", # ]", "  '[',", "]", "b = 1"}).isEmpty());
    EXPECT_EQ(check({"a = [", "  1,", "  2,", "b = 1"}), (QList<Diagnostic>{d(1, "数组未闭合，缺少 ]")}));
    EXPECT_EQ(check({"t = { a = 1", "}"}),
              (QList<Diagnostic>{d(1, "内联表未闭合，缺少 }"), d(2, "应为 key = value 形式")}));
    EXPECT_EQ(check({"a = [1]]"}), (QList<Diagnostic>{d(1, "值后面有多余的内容 ]")}));
}

TEST(TOMLValidate, HostileInputStaysLinearAndNeverThrows)
{
    // Long lines that would make a backtracking header or string match quadratic.
    const QString spaces(200000, QLatin1Char(' '));
    EXPECT_EQ(TOMLPlugin::validate(QStringLiteral("[a") + spaces + QStringLiteral("x")).size(), 1);
    EXPECT_TRUE(TOMLPlugin::validate(QStringLiteral("[a") + spaces + QStringLiteral("]")).isEmpty());
    EXPECT_EQ(TOMLPlugin::validate(QStringLiteral("a = ") + QString(100000, QLatin1Char('[')) + QStringLiteral("1")),
              (QList<Diagnostic>{d(1, "嵌套层级过深（最多 512 层）")}));
    EXPECT_TRUE(
        TOMLPlugin::validate(QStringLiteral("s = \"") + QString(3000000, QLatin1Char('x')) + QStringLiteral("\""))
            .isEmpty());
    EXPECT_EQ(TOMLPlugin::validate(QStringLiteral("s = \"") + QString(3000000, QLatin1Char('x'))).size(), 1);
    QString junk;
    quint32 x = 99;
    for (int k = 0; k < 20000; ++k) {
        x = x * 1103515245u + 12345u;
        junk += QChar(char16_t("a =[]{}\"'#\n.\\\0x1-_T:"[(x >> 16) % 20]));
    }
    for (int off = 0; off < 50; ++off)
        EXPECT_NO_THROW(TOMLPlugin::validate(junk.mid(off * 131)));
    const FormatPlugin& p = PluginRegistry::plugin(QStringLiteral("Cargo.toml"));
    EXPECT_EQ(p.validate(QStringLiteral("a = b")).size(), 1);
    EXPECT_FALSE(p.supportsPreview());
}

// The header check must agree with the header grammar written as a regular expression:
// a TOML key whose quoted parts hold anything.
TEST(TOMLValidate, HeaderCheckAgreesWithTheGrammar)
{
    const QString part = QStringLiteral("(?:[A-Za-z0-9_-]+|\"(?:[^\"\\\\]|\\\\.)*\"|'[^']*')");
    const QString keyPattern = QStringLiteral("^(\\[\\[?)[ \t]*") + part + QStringLiteral("(?:[ \t]*\\.[ \t]*") + part
        + QStringLiteral(")*[ \t]*(\\]\\]?)[ \t]*(#.*)?$");
    const char16_t alphabet[] = u"[] a.#\t\"'x-*";
    quint32 x = 4242;
    for (int k = 0; k < 20000; ++k) {
        QString t = QStringLiteral("[");
        x = x * 1103515245u + 12345u;
        const int len = int((x >> 16) % 9);
        for (int c = 0; c < len; ++c) {
            x = x * 1103515245u + 12345u;
            t += QChar(alphabet[(x >> 16) % 12]);
        }
        t = t.trimmed();
        const auto km = Regex::firstMatch(t, keyPattern);
        const bool good = km && km->at(1).size() == km->at(2).size();
        const QList<Diagnostic> d = TOMLPlugin::validate(t);
        const bool reported = !d.isEmpty() && d[0].message == QStringLiteral("表头格式错误，应为 [name] 或 [[name]]");
        EXPECT_EQ(good, !reported) << t.toStdString();
    }
}

TEST(TOMLValidate, QuotedKeysHoldAnyCharacter)
{
    EXPECT_TRUE(
        check({"[pkg.rust-src.target.\"*\"]", "available = true", "[pkg.\"x86_64-unknown-linux-gnu\".'a b' ] # c",
               "[[ a.\"]\".\"#\" ]]", "\"a\\\"b\" = 1", "site.\"google.com\" = true", "a.\"=\" = 1", "a.'#' = 2",
               "'quoted \"value\"' = 1", "b .\tc = 3", "\"中文 键\" = \"值\""})
            .isEmpty());
    EXPECT_EQ(check({"[t.\"*\"]", "[t.\"*\"]"}), (QList<Diagnostic>{d(2, "重复定义的表 [t.\"*\"]")}));
    EXPECT_EQ(check({"\"a\\\"b\" = 1", "\"a\\\"b\" = 2"}), (QList<Diagnostic>{d(2, "重复的键 \"a\\\"b\"")}));
    // Still malformed: no key, an unclosed quote, text after the header, a dot with nothing after it.
    EXPECT_EQ(
        check({"[a.\"*]", "[\"x\"] y", "a.\"b = 1", "[a.\"*\".]"}),
        (QList<Diagnostic>{d(1, "表头格式错误，应为 [name] 或 [[name]]"), d(2, "表头格式错误，应为 [name] 或 [[name]]"),
                           d(3, "应为 key = value 形式"), d(4, "表头格式错误，应为 [name] 或 [[name]]")}));
}

// The value shapes themselves are the public suite's; these are the edges it
// leaves out: the ends of the integer range and lower-case date separators.
TEST(TOMLValidate, ValuePatternsWithoutRegex)
{
    EXPECT_TRUE(check({"a = 0x1_f", "a2 = -9223372036854775808", "a3 = 2024-02-29", "a4 = 1979-05-27T23:59:60Z",
                       "e = -nan", "f = 2026-01-02t03:04:05z", "g = 2026-01-02 03:04:05.123Z", "h = 10:20:30.5"})
                    .isEmpty());
    for (const char* v : {"9223372036854775808", "-9223372036854775809", "2026-01-02t03:04", "10:20:30."})
        EXPECT_EQ(check({(QByteArray("v = ") + v).constData()}).size(), 1) << v;
}

// What users met: broken files called clean, and clean files flagged.
TEST(TOMLValidate, ValuesInsideArraysAndInlineTables)
{
    EXPECT_EQ(check({"a = [1,,2]"}), (QList<Diagnostic>{d(1, "数组中多余的逗号")}));
    EXPECT_EQ(check({"a = [1 2]"}), (QList<Diagnostic>{d(1, "数组元素之间缺少逗号")}));
    EXPECT_EQ(check({"t = {a = 1 b = 2}"}), (QList<Diagnostic>{d(1, "内联表的键值之间缺少逗号")}));
    EXPECT_EQ(check({"t = {a = 1,}"}), (QList<Diagnostic>{d(1, "内联表的最后一项后面不能有逗号")}));
    EXPECT_EQ(check({"s = \"\\xG0\""}), (QList<Diagnostic>{d(1, "无效的转义 \\x")}));
    EXPECT_EQ(check({"s = \"\\uD800\""}), (QList<Diagnostic>{d(1, "无效的 Unicode 转义 \\uD800")}));
    EXPECT_EQ(check({"d = 2026-13-01"}), (QList<Diagnostic>{d(1, "日期或时间超出范围 2026-13-01")}));
    EXPECT_EQ(check({"h = +0xff"}), (QList<Diagnostic>{d(1, "十六进制、八进制和二进制数不能带正负号 +0xff")}));
    EXPECT_EQ(check({"z = 00"}), (QList<Diagnostic>{d(1, "数字不能有前导零 00")}));
    EXPECT_EQ(check({"a = [1, [2, x]]"}), (QList<Diagnostic>{d(1, "无法识别的值 x，字符串需要加引号")}));
    EXPECT_EQ(check({"a = [{b = 1, b = 2}]"}), (QList<Diagnostic>{d(1, "重复的键 b")}));
    EXPECT_TRUE(check({"t = { a = [", "  1,", "  2, # two", "], b.c = 1, b.d = 'x' }", "u = [ { x = 1 }, { x = 2 } ]",
                       "e = 3e1_4", "d = 1979-05-27t07:32:00z", "s = \"\"\"", "  a \\", "  b\"\"\"\"", "q = '''x''''",
                       "k = \"\\U0001F600 \\t\\\\\""})
                    .isEmpty());
}

TEST(TOMLValidate, TableAndKeyRedefinitionRules)
{
    // Each [[arr]] element has sub-tables of its own.
    EXPECT_TRUE(
        check({"[[arr]]", "[arr.subtab]", "x = 1", "[[arr]]", "[arr.subtab]", "x = 2", "[[arr.list]]", "[[arr.list]]"})
            .isEmpty());
    // A table named by a header may be extended below, and its parent defined after it.
    EXPECT_TRUE(check({"[a.b.c]", "x = 1", "[a]", "y = 2", "b.d = 3", "[fruit]", "apple.color = 'red'",
                       "[fruit.apple.texture]", "smooth = true"})
                    .isEmpty());
    EXPECT_EQ(check({"[fruit]", "apple.color = 'red'", "[fruit.apple]"}),
              (QList<Diagnostic>{d(3, "重复定义的表 [fruit.apple]")}));
    EXPECT_EQ(check({"[a.b.c]", "z = 9", "[a]", "b.c.t = 1"}),
              (QList<Diagnostic>{d(4, "表已在别处定义，不能再用点分键 b.c.t 扩展")}));
    EXPECT_EQ(check({"a.b = 1", "a.b.c = 2"}), (QList<Diagnostic>{d(2, "键 a.b.c 已有值，不能再添加子键")}));
    EXPECT_EQ(check({"a = {b = 1}", "a.c = 2"}), (QList<Diagnostic>{d(2, "键 a.c 已有值，不能再添加子键")}));
    EXPECT_EQ(check({"a = {}", "[a.b]"}), (QList<Diagnostic>{d(2, "键 a 已有值，不能再作为表 [a.b]")}));
    EXPECT_EQ(check({"a = [1]", "[[a]]"}), (QList<Diagnostic>{d(2, "键 a 已有定义，不能再定义为表数组 [[a]]")}));
    EXPECT_EQ(check({"[[a]]", "[a]"}), (QList<Diagnostic>{d(2, "重复定义的表 [a]")}));
    EXPECT_EQ(check({"x = 1", "[x]"}), (QList<Diagnostic>{d(2, "键 x 已有值，不能再定义为表")}));
    EXPECT_EQ(check({"a = 1", "\"a\" = 2", "'a' = 3"}),
              (QList<Diagnostic>{d(2, "重复的键 \"a\""), d(3, "重复的键 'a'")}));
}

TEST(TOMLValidate, ProblemsKeepTheirLinesAndCheckingGoesOn)
{
    // The line of an escape inside a multi-line string, and the statement after the string.
    EXPECT_EQ(check({"s = \"\"\"", "ok", "bad \\q", "\"\"\"", "x = y"}),
              (QList<Diagnostic>{d(3, "无效的转义 \\q"), d(5, "无法识别的值 y，字符串需要加引号")}));
    // A problem inside a multi-line array skips the rest of the array, not every line of it.
    EXPECT_EQ(check({"a = [", "  1 2,", "  3,", "]", "b = c"}),
              (QList<Diagnostic>{d(2, "数组元素之间缺少逗号"), d(5, "无法识别的值 c，字符串需要加引号")}));
    // A key line inside an array that never closes: the array is reported and the key still checked.
    EXPECT_EQ(check({"a = [", "  1,", "b = 1", "b = 2"}),
              (QList<Diagnostic>{d(1, "数组未闭合，缺少 ]"), d(4, "重复的键 b")}));
    EXPECT_EQ(check({"# \x01", "a = 1\rb = 2"}),
              (QList<Diagnostic>{d(1, "注释中不能有控制字符 U+0001"), d(2, "回车符（CR）后面缺少换行符")}));
    EXPECT_TRUE(check({"a = 1\r", "b = 2\r", ""}).isEmpty());
}

// Long tables keep their keys in a hash: the rules must hold the same there.
TEST(TOMLValidate, LongTablesKeepTheRules)
{
    QStringList doc;
    for (int k = 0; k < 40; ++k)
        doc << QStringLiteral("k%1 = %1").arg(k);
    doc << QStringLiteral("k3 = 0") << QStringLiteral("k39.x = 1") << QStringLiteral("t.a = 1")
        << QStringLiteral("t.b = 2");
    for (int k = 0; k < 40; ++k)
        doc << QStringLiteral("[s%1]").arg(k);
    doc << QStringLiteral("[s7]") << QStringLiteral("[t]");
    EXPECT_EQ(TOMLPlugin::validate(doc.join(QLatin1Char('\n'))),
              (QList<Diagnostic>{d(41, "重复的键 k3"), d(42, "键 k39.x 已有值，不能再添加子键"),
                                 d(85, "重复定义的表 [s7]"), d(86, "重复定义的表 [t]")}));
}
