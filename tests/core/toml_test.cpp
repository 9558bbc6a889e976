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

TEST(TOMLValidate, CleanDocuments)
{
    EXPECT_TRUE(check({"[package]", "name = \"x\"", "version = \"0.1\" # c", "", "[deps]", "serde = { version = \"1\" }", "list = [",
                       "  1,", "  2,", "]", "d = 2026-11-11"})
                    .isEmpty());
    EXPECT_TRUE(TOMLPlugin::validate(QString()).isEmpty());
    EXPECT_TRUE(check({"# only a comment", "  ", "[[bin]]", "name = 'a'", "[[bin]]", "name = 'b'"}).isEmpty());
    EXPECT_TRUE(check({"n = 1_000", "h = 0xff_ff", "f = inf", "t = 07:30:00", "o = 0o17", "b = 0b1010", "x = -3.5e-2", "ok = true",
                       "dt = 1979-05-27T07:32:00Z", "lt = 1979-05-27 07:32:00.5+08:00", "\"quoted key\" = 1", "a.b . c = 2",
                       "s = \"a \\\" # not a comment\"", "e = \"\" # empty"})
                    .isEmpty());
    // The same key under different tables is fine; dotted table names are kept as written.
    EXPECT_TRUE(check({"[a]", "k = 1", "[b]", "k = 1", "[a.b]", "k = 1", "[ c ] # trailing"}).isEmpty());
}

TEST(TOMLValidate, EveryProblemIsReportedInLineOrder)
{
    EXPECT_EQ(check({"[a]", "x = \"1", "y = fast", "[a]"}),
              (QList<Diagnostic>{d(2, "字符串缺少结束引号"), d(3, "无法识别的值 fast，字符串需要加引号"), d(4, "重复定义的表 [a]")}));
    EXPECT_EQ(check({"a = 1", "a = 2", "[t]", "a = 3"}), (QList<Diagnostic>{d(2, "重复的键 a")}));
    EXPECT_EQ(check({"x =", "= 1", "[a", "[[a]", "[a]]", "t = 7:30", "q = 'open"}),
              (QList<Diagnostic>{d(1, "缺少值"), d(2, "应为 key = value 形式"), d(3, "表头格式错误，应为 [name] 或 [[name]]"),
                                 d(4, "表头格式错误，应为 [name] 或 [[name]]"), d(5, "表头格式错误，应为 [name] 或 [[name]]"),
                                 d(6, "无法识别的值 7:30，字符串需要加引号"), d(7, "字符串缺少结束引号")}));
    // A duplicate key is reported and its value is still checked.
    EXPECT_EQ(check({"k = 1", "k = bad"}), (QList<Diagnostic>{d(2, "重复的键 k"), d(2, "无法识别的值 bad，字符串需要加引号")}));
    EXPECT_EQ(check({"[]"}), (QList<Diagnostic>{d(1, "表头格式错误，应为 [name] 或 [[name]]")}));
    EXPECT_EQ(check({"[a] x"}), (QList<Diagnostic>{d(1, "表头格式错误，应为 [name] 或 [[name]]")}));
}

TEST(TOMLValidate, MultiLineStringsAndArrays)
{
    EXPECT_TRUE(check({"s = \"\"\"", "[not a table]", "= neither", "\"\"\"", "t = '''one line'''", "u = '''", "x", "'''"}).isEmpty());
    EXPECT_EQ(check({"a = 1", "s = \"\"\"", "never closed", "b = 2"}), (QList<Diagnostic>{d(2, "多行字符串未闭合，缺少 \"\"\"")}));
    EXPECT_EQ(check({"s = '''", "x = \"\"\""}), (QList<Diagnostic>{d(1, "多行字符串未闭合，缺少 '''")}));
    // Brackets inside strings and comments do not count.
    EXPECT_TRUE(check({"a = [", "  \"]\", # ]", "  '[',", "]", "b = 1"}).isEmpty());
    EXPECT_EQ(check({"a = [", "  1,", "  2,", "b = 1"}), (QList<Diagnostic>{d(1, "数组未闭合，缺少 ]")}));
    EXPECT_EQ(check({"t = { a = 1", "}"}), (QList<Diagnostic>{d(1, "内联表未闭合，缺少 }"), d(2, "应为 key = value 形式")}));
    EXPECT_EQ(check({"a = [1]]"}), (QList<Diagnostic>{d(1, "数组未闭合，缺少 ]")}));
    EXPECT_EQ(TOMLPlugin::bracketDepth(QStringLiteral("[1, \"[\", '{', [2 # ]")), 2);
    EXPECT_EQ(TOMLPlugin::stripComment(QStringLiteral("'a#b' # c ")), QStringLiteral("'a#b'"));
}

TEST(TOMLValidate, HostileInputStaysLinearAndNeverThrows)
{
    // Long lines that would make a backtracking header or string match quadratic.
    const QString spaces(200000, QLatin1Char(' '));
    EXPECT_EQ(TOMLPlugin::validate(QStringLiteral("[a") + spaces + QStringLiteral("x")).size(), 1);
    EXPECT_TRUE(TOMLPlugin::validate(QStringLiteral("[a") + spaces + QStringLiteral("b]")).isEmpty());
    EXPECT_TRUE(TOMLPlugin::validate(QStringLiteral("s = \"") + QString(3000000, QLatin1Char('x')) + QStringLiteral("\"")).isEmpty());
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

// The one-pass header check must agree with the header grammar as regular expressions:
// the plain name set, or a TOML key whose quoted parts hold anything.
TEST(TOMLValidate, HeaderCheckAgreesWithTheGrammar)
{
    const QString pattern = QStringLiteral("^(\\[\\[?)\\s*([A-Za-z0-9_\\-.\"' ]+?)\\s*(\\]\\]?)\\s*(#.*)?$");
    const QString part = QStringLiteral("(?:[A-Za-z0-9_-]+|\"(?:[^\"\\\\]|\\\\.)*\"|'[^']*')");
    const QString keyPattern = QStringLiteral("^(\\[\\[?)[ \t]*") + part + QStringLiteral("(?:[ \t]*\\.[ \t]*") + part
        + QStringLiteral(")*[ \t]*(\\]\\]?)[ \t]*(#.*)?$");
    const char16_t alphabet[] = u"[] a.#\t\"'x-*";
    quint32 x = 4242;
    int checked = 0;
    for (int k = 0; k < 20000; ++k) {
        QString t = QStringLiteral("[");
        x = x * 1103515245u + 12345u;
        const int len = int((x >> 16) % 9);
        for (int c = 0; c < len; ++c) {
            x = x * 1103515245u + 12345u;
            t += QChar(alphabet[(x >> 16) % 12]);
        }
        t = t.trimmed();
        const auto m = Regex::firstMatch(t, pattern);
        const auto km = Regex::firstMatch(t, keyPattern);
        const bool good = (m && m->at(1).size() == m->at(3).size()) || (km && km->at(1).size() == km->at(2).size());
        const QList<Diagnostic> d = TOMLPlugin::validate(t);
        const bool reported = !d.isEmpty() && d[0].message == QStringLiteral("表头格式错误，应为 [name] 或 [[name]]");
        EXPECT_EQ(good, !reported) << t.toStdString();
        ++checked;
    }
    EXPECT_EQ(checked, 20000);
}

TEST(TOMLValidate, QuotedKeysHoldAnyCharacter)
{
    EXPECT_TRUE(check({"[pkg.rust-src.target.\"*\"]", "available = true", "[pkg.\"x86_64-unknown-linux-gnu\".'a b' ] # c",
                       "[[ a.\"]\".\"#\" ]]", "\"a\\\"b\" = 1", "site.\"google.com\" = true", "a.\"=\" = 1", "a.'#' = 2",
                       "'quoted \"value\"' = 1", "b .\tc = 3", "\"中文 键\" = \"值\""})
                    .isEmpty());
    EXPECT_EQ(check({"[t.\"*\"]", "[t.\"*\"]"}), (QList<Diagnostic>{d(2, "重复定义的表 [t.\"*\"]")}));
    EXPECT_EQ(check({"\"a\\\"b\" = 1", "\"a\\\"b\" = 2"}), (QList<Diagnostic>{d(2, "重复的键 \"a\\\"b\"")}));
    // Still malformed: no key, an unclosed quote, text after the header, a dot with nothing after it.
    EXPECT_EQ(check({"[a.\"*]", "[\"x\"] y", "a.\"b = 1", "[a.\"*\".]"}),
              (QList<Diagnostic>{d(1, "表头格式错误，应为 [name] 或 [[name]]"), d(2, "表头格式错误，应为 [name] 或 [[name]]"),
                                 d(3, "应为 key = value 形式"), d(4, "表头格式错误，应为 [name] 或 [[name]]")}));
}

TEST(TOMLValidate, ValuePatternsWithoutRegex)
{
    EXPECT_TRUE(check({"a = +0x_1", "b = 0o7", "c = 0b1", "d = 1_0.0_1e-5", "e = -nan", "f = 2026-01-02t03:04", "g = 2026-01-02 03:04:05.123Z",
                       "h = 10:20:30.5", "i = 2026-01-02T03:04:05-08:00", "j = ''", "k = '\"'", "l = 1.0E+5"})
                    .isEmpty());
    const char* bad[] = {"1.", "1e", "1.e5", "0x", "0o8", "2026-1-02", "2026-01-02T03", "10:20", "10:20:30.", "2026-01-02T03:04+08",
                         "2026-01-02X", "infinity", "--1", "'a'b'"};
    for (const char* v : bad) {
        const QList<Diagnostic> found = check({(QByteArray("v = ") + v).constData()});
        EXPECT_EQ(found.size(), 1) << v;
    }
}
