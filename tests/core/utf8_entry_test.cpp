// The UTF-8 entry points of the formats: the same diagnostics and the same
// HTML as the QString ones for the same text, with columns in UTF-16 units.
#include "plugins/CSV.h"
#include "plugins/JSONPlugin.h"
#include "plugins/PluginRegistry.h"
#include "render/PreviewPage.h"

#include <gtest/gtest.h>

namespace {

const FormatPlugin& format(const char* fileName) { return PluginRegistry::plugin(QString::fromLatin1(fileName)); }

// A document's text as the editor holds it: a leading U+FEFF stays text.
QString asText(const QByteArray& utf8) { return FormatPlugin::decodeUtf8(utf8); }

struct Rendered {
    QString html;
    QString error;
    std::optional<int> line;
    bool operator==(const Rendered&) const = default;
};

template <typename F> Rendered render(F preview)
{
    try {
        return {preview(), {}, {}};
    } catch (const PluginError& e) {
        return {{}, e.message, e.line};
    }
}

void expectSamePaths(const FormatPlugin& plugin, const QByteArray& utf8)
{
    const QString text = asText(utf8);
    EXPECT_EQ(plugin.validateUtf8(utf8), plugin.validate(text))
        << plugin.id.toStdString() << ": " << utf8.toStdString();
    const Rendered bytes = render([&] { return plugin.previewHTMLUtf8(utf8); });
    const Rendered string = render([&] { return plugin.previewHTML(text); });
    EXPECT_EQ(bytes, string) << plugin.id.toStdString() << ": " << utf8.toStdString();
}

QByteArray longValue(const char* piece, int times)
{
    QByteArray out;
    for (int k = 0; k < times; ++k)
        out += piece;
    return out;
}

}

TEST(Utf8Entry, JSONCorpusGivesTheSameDiagnosticsAndHTML)
{
    const QByteArray manyItems = "[" + longValue("1,", 60000) + "1]";
    const QList<QByteArray> corpus = {
        "{\"名称\": \"值\", \"n\": -1.5e3, \"a\": [true, false, null, {}], \"e\": \"\\u4e2d\\ud83d\\ude00\\n\"}",
        "\xEF\xBB\xBF{\"a\": 1}",  // a second byte order mark, left in the text
        "// 注释\n/* 多行\n注释 */\n[\"😀\", \"𝄞\"]\n",
        "{\"😀\": 1, \"中\" 2}",
        "[\n  \"é\",\n  \"𝄞\" 1]",
        "[\"中文\\q\"]",
        "{\"a\": [1, 2,]}",
        "[\"未闭合",
        "\"第一行\n第二行\"",
        "é",
        "",
        "  \n// 只有注释\n",
        "{\"长\": \"" + longValue("汉字😀", 4000) + "\"}",  // cut at the value budget, counted in UTF-16 units
        manyItems,                                         // past the node budget
    };
    for (const char* file : {"a.json", "a.yaml", "a.toml"})
        for (const QByteArray& utf8 : corpus)
            expectSamePaths(format(file), utf8);
}

TEST(Utf8Entry, JSONColumnsCountUTF16UnitsAfterNonASCIIText)
{
    const FormatPlugin& json = format("a.json");
    // { " 名 " : ␠ " 😀(2) 值 " ␠ x: the x is the 13th unit of the line.
    EXPECT_EQ(json.validateUtf8("{\"名\": \"😀值\" x}"),
              (QList<Diagnostic>{{1, QStringLiteral("第 13 列：缺少逗号或 }"), 13}}));
    // Lines before the fault do not count towards its column.
    EXPECT_EQ(json.validateUtf8("[\n  \"é\",\n  \"𝄞\" 1]"),
              (QList<Diagnostic>{{3, QStringLiteral("第 8 列：缺少逗号或 ]"), 8}}));
    // The byte order mark left in the text is one unit, like the editor counts it.
    EXPECT_EQ(json.validateUtf8("\xEF\xBB\xBF{}"),
              (QList<Diagnostic>{{1, QStringLiteral("第 1 列：无法识别的字符 ") + QChar(0xEF), 1}}));
    EXPECT_EQ(json.validateUtf8("[1, 2]\n{\"ü😀\":1}"),
              (QList<Diagnostic>{{2, QStringLiteral("第 1 列：值之后出现多余内容"), 1}}));
    EXPECT_TRUE(json.validateUtf8("{\"名\": [\"😀\"]}").isEmpty());
}

TEST(Utf8Entry, CSVCorpusGivesTheSameHTML)
{
    QByteArray manyRows = "编号,名称\n";
    for (int r = 0; r < 2100; ++r)
        manyRows += QByteArray::number(r) + ",第" + QByteArray::number(r) + "行\n";
    const QList<QByteArray> corpus = {
        "名称,数量\n苹果,1\n\"香蕉, 大\",-3\n",
        "\xEF\xBB\xBF名称,值\n甲,1\n",             // a field opening with U+FEFF keeps it
        "a,b\n\xEF\xBB\xBFx,\"\xEF\xBB\xBFy\"\n",  // also inside the table
        "a;b;c\n1;2;3\n",
        "a\tb|c\n１２３\t4.5%\n",  // full-width digits read as a number
        "\"多\n行\",x\n\"说 \"\"你好\"\"\",😀\n末,3",
        "a,b\r\n1,2\r3,4\r\n",
        "a,\"未闭合\n到结尾",
        "<b>,&amp;\n\"<i>\",'\n",
        "",
        "\n\n\n",
        "only",
        "a,b,c,d,e\n1\n1,2,3,4,5,6,7\n",
        manyRows,
        longValue("长字段😀", 200000) + ",x\n1,2\n",  // past the size budget
    };
    for (const char* file : {"a.csv", "a.tsv"})
        for (const QByteArray& utf8 : corpus)
            expectSamePaths(format(file), utf8);
}

TEST(Utf8Entry, CSVRowsKeepTheirLinesAndFields)
{
    QList<QStringList> rows;
    QList<qsizetype> lines;
    const QByteArray utf8 = "名,值\n\"多\n行\",\"a\"\"b\"\n\xEF\xBB\xBF末,😀\n\n";
    EXPECT_EQ(CSV::detectSeparatorUtf8(utf8), QLatin1Char(','));
    CSV::forEachRowAtUtf8(utf8, QLatin1Char(','), [&](QStringList& row, qsizetype line) {
        rows << row;
        lines << line;
        return true;
    });
    EXPECT_EQ(rows,
              (QList<QStringList>{{QStringLiteral("名"), QStringLiteral("值")},
                                  {QStringLiteral("多\n行"), QStringLiteral("a\"b")},
                                  {QStringLiteral("\uFEFF末"), QStringLiteral("😀")}}));
    EXPECT_EQ(lines, (QList<qsizetype>{0, 1, 3}));
    const CSV::Shape shape = CSV::measureUtf8(utf8, QLatin1Char(','));
    EXPECT_EQ(shape.rows, 3);
    EXPECT_EQ(shape.widest, 2);
    // Separators inside quotes on the first line do not count.
    EXPECT_EQ(CSV::detectSeparatorUtf8("\"a,b,c\";d;中\te\n1,2,3,4"), QLatin1Char(';'));
}

TEST(Utf8Entry, ExportedPageBytesEqualTheConvertedPage)
{
    const FormatPlugin& csv = format("a.csv");
    // One cell over the conversion slice, with a surrogate pair across its end
    // for either parity of the text before it.
    for (const QByteArray& lead : {QByteArray("a"), QByteArray("ab")}) {
        const QByteArray utf8 = "列\n" + lead + longValue("😀", 600000) + "\n";
        QString error;
        const std::optional<QByteArray> bytes = PreviewPage::exportPageUtf8(
            csv, TextCopy::fromUtf8(utf8), QStringLiteral("表"), QStringLiteral("HTML"), &error);
        const std::optional<QString> page = PreviewPage::exportPage(csv, TextCopy(asText(utf8)), QStringLiteral("表"),
                                                                    QStringLiteral("HTML"), &error);
        ASSERT_TRUE(bytes && page);
        EXPECT_GT(page->size(), qsizetype(1) << 20);
        EXPECT_TRUE(*bytes == page->toUtf8()) << lead.toStdString();
    }
    // A text that does not parse gives the same reason either way, and no page.
    QString fromBytes, fromText;
    EXPECT_FALSE(PreviewPage::exportPageUtf8(format("a.json"), TextCopy::fromUtf8("[\n1 2]"), {},
                                             QStringLiteral("HTML"), &fromBytes));
    EXPECT_FALSE(PreviewPage::exportPage(format("a.json"), TextCopy(QStringLiteral("[\n1 2]")), {},
                                         QStringLiteral("HTML"), &fromText));
    EXPECT_EQ(fromBytes, QStringLiteral("第 2 行无法解析：第 3 列：缺少逗号或 ]"));
    EXPECT_EQ(fromBytes, fromText);
}
