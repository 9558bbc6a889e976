// Page breaks of the exported PDF: a heading never ends a page apart from what
// it introduces, a diagram or short code block is not cut in two, and a long
// one loses no line where it is.
#include "CommandLineRun.h"

#include <QStandardPaths>

namespace {

// The PDF's text page by page; empty without poppler's pdftotext.
QStringList pageTexts(const QString& pdf)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (tool.isEmpty())
        return {};
    QProcess p;
    p.start(tool, {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, QStringLiteral("-")});
    EXPECT_TRUE(p.waitForFinished(30000));
    QStringList pages = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

int pageOf(const QStringList& pages, const QString& words)
{
    for (int i = 0; i < pages.size(); ++i)
        if (pages[i].contains(words))
            return i;
    return -1;
}

}

// Sections of different lengths, each a heading over a tall diagram, a short
// code block or one longer than a page: over many pages some headings fall
// near a page's end, where a diagram or short block would not fit under them.
TEST_F(CommandLineTest, ExportedHeadingsStayOnThePageOfTheirDiagramOrCode)
{
    enum Kind { diagram, shortCode, longCode };
    const char* const kinds[] = {"图", "短代码", "长代码"};
    constexpr int sections = 18, longLines = 60;
    QByteArray md = "# 流程汇编\n\n";
    for (int s = 1; s <= sections; ++s) {
        const QByteArray n = QByteArray::number(s);
        for (int p = 0; p < (s * 7) % 5 + 1; ++p)
            md += "这一段说明第 " + n + " 个流程的背景，文字足够长以便占满一整行甚至更多的位置。\n\n";
        md += "## 第" + n + "节标题\n\n";
        if (s % 3 == diagram) {
            md += "```mermaid\ngraph TD\n";
            for (int k = 0; k < 4; ++k)
                md += "  N" + QByteArray::number(k) + "[节点" + n + "号" + QByteArray::number(k) + "] --> N"
                    + QByteArray::number(k + 1) + "\n";
            md += "  N4[节点" + n + "号终]\n```\n\n";
        } else {
            md += "```\n";
            for (int k = 0; k < (s % 3 == shortCode ? 14 : longLines); ++k)
                md += "节点" + n + "号" + QByteArray::number(k) + "行 = 计算()\n";
            md += "节点" + n + "号终\n```\n\n";
        }
        // A code block under no heading is not cut in two either.
        md += "随后的说明。\n\n```\n尾块" + n + "首\n";
        for (int k = 0; k < 8; ++k)
            md += "值" + QByteArray::number(k) + " = 读取()\n";
        // Paper does not scroll: a line wider than the page wraps.
        md += QByteArray(200, 'x') + " END" + n + "\n";
        md += "尾块" + n + "末\n```\n\n";
    }
    const QString in = write(QStringLiteral("流程.md"), md);
    const QString out = dir.filePath(QStringLiteral("流程.pdf"));
    const Outcome r = run({QStringLiteral("--export-pdf"), in, QStringLiteral("-o"), out});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QStringList pages = pageTexts(out);
    if (pages.isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) not installed: the pages are not checked";
    ASSERT_GE(pages.size(), 6);
    for (int s = 1; s <= sections; ++s) {
        SCOPED_TRACE(QStringLiteral("第%1节（%2）").arg(s).arg(QString::fromUtf8(kinds[s % 3])).toStdString());
        const int heading = pageOf(pages, QStringLiteral("第%1节标题").arg(s));
        const int top = pageOf(pages, QStringLiteral("节点%1号0").arg(s));
        const int bottom = pageOf(pages, QStringLiteral("节点%1号终").arg(s));
        ASSERT_GE(heading, 0);
        ASSERT_GE(top, 0);
        if (s % 3 == longCode) {
            // Broken between its lines, none of them lost to the break.
            EXPECT_GT(bottom, top);
            for (int k = 0; k < longLines; ++k)
                EXPECT_GE(pageOf(pages, QStringLiteral("节点%1号%2行").arg(s).arg(k)), 0) << k;
        } else {
            EXPECT_EQ(heading, top);
            EXPECT_EQ(top, bottom);
        }
        EXPECT_EQ(pageOf(pages, QStringLiteral("尾块%1首").arg(s)), pageOf(pages, QStringLiteral("尾块%1末").arg(s)));
        EXPECT_GE(pageOf(pages, QStringLiteral("END%1\n").arg(s)), 0);
    }
}
