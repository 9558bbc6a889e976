#include "plugins/CSV.h"
#include "plugins/CSVPlugin.h"
#include "plugins/PluginRegistry.h"
#include "plugins/Regex.h"

#include <gtest/gtest.h>

namespace {

using Rows = QList<QStringList>;

Rows parse(const char* text)
{
    return CSV::parse(QString::fromUtf8(text), CSV::detectSeparator(QString::fromUtf8(text)));
}

}

TEST(CSVParse, QuotesDoubledQuotesAndEmptyFields)
{
    EXPECT_EQ(parse("a,b\n1,\"x, y\"\n2,\"he said \"\"hi\"\"\"\n"),
              (Rows{{"a", "b"}, {"1", "x, y"}, {"2", "he said \"hi\""}}));
    EXPECT_EQ(parse("a,,b"), (Rows{{"a", "", "b"}}));
    EXPECT_EQ(parse("a,b,\n"), (Rows{{"a", "b", ""}}));
    EXPECT_EQ(parse("a\n\n\n"), (Rows{{"a"}}));
    EXPECT_EQ(parse("a\n\nb"), (Rows{{"a"}, {""}, {"b"}}));
    EXPECT_TRUE(parse("").isEmpty());
    EXPECT_TRUE(parse("\n\n").isEmpty());
    // A quoted field keeps line feeds and spaces; unquoted fields are not trimmed.
    EXPECT_EQ(parse("\"l1\nl2\", x \n"), (Rows{{"l1\nl2", " x "}}));
    // A quote inside an unquoted field is ordinary; text after a closing quote joins the field.
    EXPECT_EQ(parse("ab\"c,\"d\"e,\"\""), (Rows{{"ab\"c", "de", ""}}));
    // CRLF and lone CR are line breaks.
    EXPECT_EQ(parse("a,b\r\n1,2\r3,4\r\n"), (Rows{{"a", "b"}, {"1", "2"}, {"3", "4"}}));
    // An unterminated quote runs to the end without losing text.
    EXPECT_EQ(parse("a,\"b\nc"), (Rows{{"a", "b\nc"}}));
}

TEST(CSVParse, SeparatorDetection)
{
    EXPECT_EQ(CSV::detectSeparator(QStringLiteral("a\tb\tc\n")), QLatin1Char('\t'));
    EXPECT_EQ(CSV::detectSeparator(QStringLiteral("abc")), QLatin1Char(','));
    EXPECT_EQ(CSV::detectSeparator(QStringLiteral("x;y|z;w")), QLatin1Char(';'));
    EXPECT_EQ(CSV::detectSeparator(QStringLiteral("a;b,c|d")), QLatin1Char(','));
    // Quoted stretches and later lines do not count.
    EXPECT_EQ(CSV::detectSeparator(QStringLiteral("\"a;b;c\",d\nx;y;z;w")), QLatin1Char(','));
    EXPECT_EQ(parse("a|b|c\n1|2|3"), (Rows{{"a", "b", "c"}, {"1", "2", "3"}}));
}

TEST(CSVPreview, TableCaptionAndAlignment)
{
    const QString html = CSVPlugin::previewHTML(QStringLiteral("名称,数量\n<a>,1,234.5\n\"x\",-3\n"));
    EXPECT_EQ(html,
              QStringLiteral(
                  "<div class=\"cap\"><span>2 行 · 3 列</span><span>分隔符 ,</span><span>首行为表头</span></div>"
                  "<table class=\"tbl\"><tr data-line=\"0\"><th class=\"idx\">#</th><th>名称</th><th>数量</th></tr>"
                  "<tr data-line=\"1\"><td class=\"idx\">1</td><td>&lt;a&gt;</td><td class=\"r\">1</td><td "
                  "class=\"r\">234.5</td></tr>"
                  "<tr data-line=\"2\"><td class=\"idx\">2</td><td>x</td><td class=\"r\">-3</td></tr></table>"));
    EXPECT_TRUE(
        CSVPlugin::previewHTML(QStringLiteral("a\tb\tc\n")).contains(QStringLiteral("<span>分隔符 Tab</span>")));
    EXPECT_EQ(CSVPlugin::previewHTML(QStringLiteral("\n\n\n")),
              QStringLiteral("<div class=\"cap\"><span>空表格</span></div>"));
    EXPECT_EQ(CSVPlugin::previewHTML(QString()), QStringLiteral("<div class=\"cap\"><span>空表格</span></div>"));
}

// The one-pass numeric test must agree with the pattern it stands for.
TEST(CSVPreview, NumericCellAgreesWithThePattern)
{
    const char16_t alphabet[] = u"1,.-%9a\u0662";
    quint32 x = 77;
    for (int k = 0; k < 30000; ++k) {
        QString t;
        x = x * 1103515245u + 12345u;
        const int len = int((x >> 16) % 7);
        for (int c = 0; c < len; ++c) {
            x = x * 1103515245u + 12345u;
            t += QChar(alphabet[(x >> 16) % 8]);
        }
        EXPECT_EQ(CSVPlugin::isNumericCell(t), Regex::reMatches(t, QStringLiteral("^-?[\\d,]*\\.?\\d+%?$")))
            << t.toStdString();
    }
}

TEST(CSVPreview, RowCapKeepsTheTrueCount)
{
    QString text = QStringLiteral("n,v\n");
    for (int k = 1; k <= 2500; ++k)
        text += QStringLiteral("%1,x\n").arg(k);
    const QString html = CSVPlugin::previewHTML(text);
    EXPECT_TRUE(html.startsWith(QStringLiteral("<div class=\"cap\"><span>2500 行 · 2 列</span>")));
    EXPECT_TRUE(html.contains(QStringLiteral("<td class=\"idx\">2000</td><td class=\"r\">2000</td>")));
    EXPECT_FALSE(html.contains(QStringLiteral("<td class=\"idx\">2001</td>")));
    EXPECT_TRUE(html.endsWith(QStringLiteral("</table><div class=\"cap\"><span>仅显示前 2000 行</span></div>")));
    EXPECT_EQ(html.count(QStringLiteral("<tr data-line=")), 2001);

    // Exactly at the limit: every row shown, no cap note. A wide late row still widens the table.
    QString exact = QStringLiteral("h\n");
    for (int k = 1; k <= 2000; ++k)
        exact += QStringLiteral("r\n");
    EXPECT_FALSE(CSVPlugin::previewHTML(exact).contains(QStringLiteral("仅显示前")));
    const QString wide = CSVPlugin::previewHTML(text + QStringLiteral("a,b,c,d,e\n"));
    EXPECT_TRUE(wide.startsWith(QStringLiteral("<div class=\"cap\"><span>2501 行 · 5 列</span>")));
}

TEST(CSVPreview, HugeFieldsAndArbitraryInput)
{
    const QString digits(2000000, QLatin1Char('1'));
    EXPECT_TRUE(CSVPlugin::isNumericCell(digits));
    EXPECT_FALSE(CSVPlugin::isNumericCell(digits + QLatin1Char('x')));
    const QString big = QStringLiteral("h\n\"") + QString(3000000, QLatin1Char('y')) + QStringLiteral("\"\"z\"\n");
    const Rows rows = CSV::parse(big, QLatin1Char(','));
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[1][0].size(), 3000002);
    EXPECT_NO_THROW(CSVPlugin::previewHTML(big));

    QString junk;
    quint32 x = 5;
    for (int k = 0; k < 20000; ++k) {
        x = x * 1103515245u + 12345u;
        junk += QChar(char16_t(u"a,;|\t\"\n\r<&1.%\0"[(x >> 16) % 14]));
    }
    for (int off = 0; off < 50; ++off)
        EXPECT_TRUE(CSVPlugin::previewHTML(junk.mid(off * 101)).startsWith(QStringLiteral("<div class=\"cap\">")));
    const FormatPlugin& p = PluginRegistry::plugin(QStringLiteral("data.tsv"));
    EXPECT_TRUE(p.previewHTML(QStringLiteral("a\tb\n")).contains(QStringLiteral("分隔符 Tab")));
}

TEST(CSVPreview, RaggedRowsAreNotPadded)
{
    // One 8 000-column header over short rows: the rows stay short.
    QString text = QString(7999, QLatin1Char(',')) + QLatin1Char('\n');
    for (int k = 0; k < 2000; ++k)
        text += QStringLiteral("a,b\n");
    const QString html = CSVPlugin::previewHTML(text);
    EXPECT_TRUE(html.startsWith(QStringLiteral("<div class=\"cap\"><span>2000 行 · 8000 列</span>")));
    EXPECT_EQ(html.count(QStringLiteral("<th>")), 8000);
    EXPECT_EQ(html.count(QStringLiteral("<td>")), 4000);
    EXPECT_LT(html.size(), 300000);
    // Rows past the cap are counted, quoted line feeds included, but not copied.
    QString many = QStringLiteral("h\n");
    for (int k = 0; k < 3000; ++k)
        many += k == 2500 ? QStringLiteral("\"x\ny\",1,2,3\n") : QStringLiteral("\"\",\"a\"\"b\"\n");
    many += QStringLiteral("\"\"");
    EXPECT_EQ(CSV::parse(many, QLatin1Char(',')).size(), 3001);
    EXPECT_TRUE(
        CSVPlugin::previewHTML(many).startsWith(QStringLiteral("<div class=\"cap\"><span>3000 行 · 4 列</span>")));

    // Counting without copying agrees with parsing on arbitrary input.
    quint32 x = 17;
    for (int t = 0; t < 300; ++t) {
        QString junk;
        for (int k = 0; k < 60; ++k) {
            x = x * 1103515245u + 12345u;
            junk += QChar(char16_t(u"a,\"\n\r;\t "[(x >> 16) % 8]));
        }
        const Rows rows = CSV::parse(junk, QLatin1Char(','));
        qsizetype widest = 0;
        for (const QStringList& r : rows)
            widest = std::max(widest, r.size());
        const CSV::Shape shape = CSV::measure(junk, QLatin1Char(','));
        EXPECT_EQ(shape.rows, rows.size()) << junk.toStdString();
        EXPECT_EQ(shape.widest, widest) << junk.toStdString();
    }
}

TEST(CSVPreview, HTMLBudgetEndsWithANoteGivingTheTotal)
{
    // 2 000 shown rows of 2 000 empty cells would be about 36 M characters of table.
    const QString row = QString(1999, QLatin1Char(',')) + QLatin1Char('\n');
    QString text = QStringLiteral("h\n");
    for (int k = 0; k < 3000; ++k)
        text += row;
    const QString html = CSVPlugin::previewHTML(text);
    EXPECT_LT(html.size(), CSVPlugin::previewHTMLBudget + 1000);
    EXPECT_TRUE(html.contains(QStringLiteral("<span>表格过大，仅显示前 ")));
    EXPECT_TRUE(html.contains(QStringLiteral("（共 3000 行 · 2000 列）")));
    EXPECT_FALSE(html.contains(QStringLiteral("仅显示前 2000 行")));
    EXPECT_TRUE(html.contains(QStringLiteral("</tr></table>")));
}

TEST(CSVPreview, TSVFilesSplitAtTabsOnly)
{
    const QString text = QStringLiteral("名称, 说明;备注\t数量|单位\n苹果, 红\t3\n");
    const FormatPlugin& tsv = PluginRegistry::plugin(QStringLiteral("data.TSV"));
    const QString html = tsv.previewHTML(text);
    EXPECT_TRUE(html.contains(QStringLiteral("<span>1 行 · 2 列</span><span>分隔符 Tab</span>")));
    EXPECT_TRUE(html.contains(QStringLiteral("<th>名称, 说明;备注</th><th>数量|单位</th>")));
    // Still the one CSV format of the catalog; .csv keeps detecting its separator.
    EXPECT_EQ(tsv, PluginRegistry::plugin(QStringLiteral("a.csv")));
    EXPECT_EQ(PluginRegistry::formatID(QStringLiteral("x.tsv")), QStringLiteral("csv"));
    EXPECT_TRUE(PluginRegistry::plugin(QStringLiteral("a.csv")).previewHTML(text).contains(QStringLiteral("分隔符 ,")));
}

// Rows carry the line they start on, counted as the editor counts them.
TEST(CSVPreview, RowsCarryTheirSourceLine)
{
    const QString text = QStringLiteral("a,b\r\n1,\"two\nlines\"\r\n\n3,\"x\"\"y\"\n\"three\n\nlines\",4\n5,6");
    QList<qsizetype> lines;
    CSV::forEachRowAt(text, u',', [&](QStringList&, qsizetype line) {
        lines << line;
        return true;
    });
    EXPECT_EQ(lines, (QList<qsizetype>{0, 1, 3, 4, 5, 8}));
    const QString html = CSVPlugin::previewHTML(text);
    for (qsizetype l : lines)
        EXPECT_TRUE(html.contains(QStringLiteral("<tr data-line=\"%1\">").arg(l))) << l;
}
