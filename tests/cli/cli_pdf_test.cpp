// --export-pdf: the preview's page printed to a PDF whose text stays text.
#include "CommandLineRun.h"

#include <QRegularExpression>
#include <QStandardPaths>

namespace {

const QByteArray chinese = "# 第一章 总则\n"
                           "\n"
                           "中文段落：编辑器把预览导出为便携文档。\n"
                           "\n"
                           "## 第二节 细则\n"
                           "\n"
                           "- 列表项一\n"
                           "- English mixed 混排\n";

// Runs a poppler tool on the PDF; empty when it is not installed.
std::optional<QString> poppler(const QString& tool, const QStringList& args)
{
    const QString exe = QStandardPaths::findExecutable(tool);
    if (exe.isEmpty())
        return std::nullopt;
    QProcess p;
    p.start(exe, args);
    EXPECT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}

TEST_F(CommandLineTest, ExportPDFWritesAnA4PDFTitledAfterTheFileWithSelectableChinese)
{
    const QString in = write(QStringLiteral("说明.md"), chinese);
    const QString out = dir.filePath(QStringLiteral("说明.pdf"));
    const Outcome r = run({QStringLiteral("--export-pdf"), in, QStringLiteral("-o"), out});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
    const QByteArray pdf = readAll(out);
    ASSERT_TRUE(pdf.startsWith("%PDF-")) << pdf.left(16).toStdString();

    const auto info = poppler(QStringLiteral("pdfinfo"), {out});
    const auto text = poppler(QStringLiteral("pdftotext"),
                              {QStringLiteral("-enc"), QStringLiteral("UTF-8"), out, QStringLiteral("-")});
    if (!info || !text)
        GTEST_SKIP()
            << "pdfinfo/pdftotext (poppler-utils) not installed: the PDF's title, page size and text are not checked";
    EXPECT_TRUE(info->contains(QRegularExpression(QStringLiteral("Title:\\s+说明\\.md\\n")))) << info->toStdString();
    EXPECT_TRUE(
        info->contains(QRegularExpression(QStringLiteral("Page size:\\s+59[45]\\.\\d* x 841\\.\\d* pts \\(A4\\)"))))
        << info->toStdString();
    // Text, not pictures of text: the words come back out of the PDF.
    for (const QString& words :
         {QStringLiteral("第一章 总则"), QStringLiteral("中文段落：编辑器把预览导出为便携文档。"),
          QStringLiteral("第二节 细则"), QStringLiteral("English mixed"), QStringLiteral("混排")})
        EXPECT_TRUE(text->contains(words)) << words.toStdString() << " missing from:\n" << text->toStdString();

    // White paper: the empty lower half of the page, inside the margins, has no tint.
    QProcess ppm;
    ppm.start(QStandardPaths::findExecutable(QStringLiteral("pdftoppm")),
              {QStringLiteral("-r"), QStringLiteral("20"), QStringLiteral("-f"), QStringLiteral("1"),
               QStringLiteral("-l"), QStringLiteral("1"), out});
    ASSERT_TRUE(ppm.waitForFinished(30000));
    const QByteArray image = ppm.readAllStandardOutput();
    const QList<QByteArray> header = image.left(32).split('\n');
    ASSERT_GE(header.size(), 4);
    ASSERT_EQ(header[0], "P6");
    const QList<QByteArray> size = header[1].split(' ');
    const int width = size.value(0).toInt(), height = size.value(1).toInt();
    const qsizetype pixels = header[0].size() + header[1].size() + header[2].size() + 3;
    ASSERT_EQ(image.size(), pixels + qsizetype(width) * height * 3);
    const qsizetype at = pixels + (qsizetype(height) * 3 / 4 * width + width / 2) * 3;
    EXPECT_EQ(QByteArray(image.constData() + at, 3), QByteArray(3, char(0xff))) << "the page is tinted";
}

TEST_F(CommandLineTest, ExportPDFRefusesWhatItCannotPrintAndWritesNothing)
{
    const QString md = write(QStringLiteral("a.md"), "# a\n");
    const QString pdf = dir.filePath(QStringLiteral("a.pdf"));

    // A PDF never goes to standard output by accident.
    Outcome r = run({QStringLiteral("--export-pdf"), md});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("-o"))) << r.err.toStdString();
    r = run({QStringLiteral("--export-pdf"), md, QStringLiteral("-o"), QStringLiteral("-")});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.out.isEmpty());
    r = run({QStringLiteral("--export-pdf"), md, md, QStringLiteral("-o"), pdf});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("只需要一个文件"))) << r.err.toStdString();
    r = run({QStringLiteral("--export-pdf"), QStringLiteral("--export-html"), md, QStringLiteral("-o"), pdf});
    EXPECT_EQ(r.status, 2);

    // A format without a preview, a file that does not parse, one that is missing.
    r = run({QStringLiteral("--export-pdf"), write(QStringLiteral("n.txt"), "plain\n"), QStringLiteral("-o"), pdf});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("没有预览，无法导出 PDF：n.txt"))) << r.err.toStdString();
    r = run(
        {QStringLiteral("--export-pdf"), write(QStringLiteral("b.json"), "{\"a\": }\n"), QStringLiteral("-o"), pdf});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("第 1 行"))) << r.err.toStdString();
    r = run({QStringLiteral("--export-pdf"), dir.filePath(QStringLiteral("missing.md")), QStringLiteral("-o"), pdf});
    EXPECT_EQ(r.status, 2);
    EXPECT_FALSE(QFile::exists(pdf));

    // A folder that does not exist.
    r = run(
        {QStringLiteral("--export-pdf"), md, QStringLiteral("-o"), dir.filePath(QStringLiteral("no/such/dir/a.pdf"))});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("无法写入"))) << r.err.toStdString();
}

TEST_F(CommandLineTest, ExportPDFReplacesAnOlderPDFOnlyWhenPrintingSucceeded)
{
    const QString pdf = write(QStringLiteral("old.pdf"), "%PDF-old");
    const Outcome bad = run(
        {QStringLiteral("--export-pdf"), write(QStringLiteral("b.json"), "[1,\n"), QStringLiteral("-o"), pdf});
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(readAll(pdf), QByteArray("%PDF-old"));
    const Outcome good = run(
        {QStringLiteral("--export-pdf"), write(QStringLiteral("g.md"), "ok\n"), QStringLiteral("-o"), pdf});
    EXPECT_EQ(good.status, 0) << good.err.toStdString();
    EXPECT_NE(readAll(pdf), QByteArray("%PDF-old"));
    EXPECT_TRUE(readAll(pdf).startsWith("%PDF-"));
}

// Both exports wait for their diagrams and carry formulas and coloured code:
// drawn SVG and KaTeX's drawing with its fonts embedded (the page loads
// nothing) in the page, the labels and the formula's glyphs as text in the PDF.
TEST_F(CommandLineTest, ExportsCarryDiagramsFormulasAndColouredCode)
{
    const QString md = write(QStringLiteral("diagram.md"),
                             "# 图表\n\n```mermaid\nsequenceDiagram\n"
                             "  用户->>服务: 请求数据\n  服务-->>用户: 返回结果\n```\n\n"
                             "```mermaid\ngraph TD\n  A[ -->\n```\n\n"
                             "质能方程 $E=mc^2$ 价格 $5 和 $6。\n\n$$\\sum_{k=1}^{n} k = \\frac{n(n+1)}{2}$$\n\n"
                             "```cpp\nint main() { return 0; }\n```\n");
    const Outcome html = run({QStringLiteral("--export-html"), md});
    ASSERT_EQ(html.status, 0) << html.err.toStdString();
    for (const char* part :
         {"<div class=\"mermaid\" data-line=\"2\"><svg", "请求数据</text>",
          "<div class=\"mermaid\" data-line=\"8\"><div class=\"err\">Mermaid 图表错误：", "class=\"katex\"", "<mfrac>",
          "src:url(data:font/woff2;base64,", "<span class=\"hljs-keyword\">return</span>", "价格 $5 和 $6。"})
        EXPECT_TRUE(html.out.contains(QString::fromUtf8(part))) << part;
    EXPECT_FALSE(html.out.contains(QStringLiteral("正在渲染")));
    EXPECT_FALSE(html.out.contains(QStringLiteral("url(fonts/")));

    const QString out = dir.filePath(QStringLiteral("diagram.pdf"));
    const Outcome pdf = run({QStringLiteral("--export-pdf"), md, QStringLiteral("-o"), out});
    ASSERT_EQ(pdf.status, 0) << pdf.err.toStdString();
    const auto text = poppler(QStringLiteral("pdftotext"),
                              {QStringLiteral("-enc"), QStringLiteral("UTF-8"), out, QStringLiteral("-")});
    if (!text)
        GTEST_SKIP() << "pdftotext (poppler-utils) not installed: the PDF's text is not checked";
    for (const QString& words : {QStringLiteral("请求数据"), QStringLiteral("图表错误"), QStringLiteral("mc"),
                                 QStringLiteral("∑"), QStringLiteral("return 0;")})
        EXPECT_TRUE(text->contains(words)) << words.toStdString() << " missing from:\n" << text->toStdString();
    EXPECT_FALSE(text->contains(QStringLiteral("\\frac"))) << text->toStdString();
}

TEST_F(CommandLineTest, ExportsNameNoFolderOfTheAuthors)
{
    const QString md = write(QStringLiteral("links.md"),
                             "# 链接\n\n[同目录](other.md) [子目录](sub/a%20b.md#h) [系统](file:///etc/passwd) "
                             "[根](/etc/hosts) [网页](https://example.com/x) [上级](../up.md)\n");
    const QString pdf = dir.filePath(QStringLiteral("links.pdf"));
    const QString html = dir.filePath(QStringLiteral("links.html"));
    Outcome r = run({QStringLiteral("--export-pdf"), md, QStringLiteral("-o"), pdf});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    r = run({QStringLiteral("--export-html"), md, QStringLiteral("-o"), html});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();

    const QByteArray folder = QFileInfo(dir.path()).canonicalFilePath().toUtf8();
    const QByteArray printed = readAll(pdf);
    ASSERT_TRUE(printed.startsWith("%PDF-"));
    EXPECT_FALSE(printed.contains(folder)) << "the PDF names the document's folder";
    EXPECT_FALSE(printed.contains("file:")) << "the PDF links to a local address";
    for (const char* target :
         {"/URI (other.md)", "/URI (sub/a%20b.md#h)", "/URI (../up.md)", "/URI (https://example.com/x)"})
        EXPECT_TRUE(printed.contains(target)) << target;
    if (const auto urls = poppler(QStringLiteral("pdfinfo"), {QStringLiteral("-url"), pdf})) {
        // The author's root path stays a link, relative like the others; the file: one is gone.
        EXPECT_FALSE(urls->contains(QRegularExpression(QStringLiteral("\\s(/|file:)")))) << urls->toStdString();
        EXPECT_FALSE(urls->contains(QStringLiteral("passwd"))) << urls->toStdString();
    }

    const QString page = QString::fromUtf8(readAll(html));
    for (const char* kept :
         {"<a href=\"other.md\">同目录</a>", "<a href=\"../up.md\">上级</a>",
          "<a href=\"https://example.com/x\">网页</a>", "<span>系统</span>", "<a href=\"/etc/hosts\">根</a>"})
        EXPECT_TRUE(page.contains(QString::fromUtf8(kept))) << kept;
    EXPECT_FALSE(page.contains(QStringLiteral("/etc/passwd")));
}
