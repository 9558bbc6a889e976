// Setting a finished PDF's title by an incremental update.
#include "core/PDFInfo.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

// A tiny PDF the way Chromium writes one: classic xref table and trailer.
QByteArray sample(bool withInfo, const QByteArray& infoBody = "/Creator (Chromium)\n/Producer (Skia >> \\) odd)")
{
    QByteArray pdf = "%PDF-1.4\n";
    QList<qsizetype> offsets;
    if (withInfo) {
        offsets << pdf.size();
        pdf += "1 0 obj\n<<" + infoBody + ">>\nendobj\n";
    }
    offsets << pdf.size();
    pdf += "2 0 obj\n<</Type /Catalog /Pages 3 0 R>>\nendobj\n";
    offsets << pdf.size();
    pdf += "3 0 obj\n<</Type /Pages /Kids [] /Count 0>>\nendobj\n";
    const qsizetype xref = pdf.size();
    pdf += "xref\n0 " + QByteArray::number(offsets.size() + 1) + "\n0000000000 65535 f \n";
    for (qsizetype o : offsets)
        pdf += QByteArray::number(o).rightJustified(10, '0') + " 00000 n \n";
    pdf += "trailer\n<</Size " + QByteArray::number(offsets.size() + 1) + "\n/Root 2 0 R"
        + (withInfo ? QByteArray("\n/Info 1 0 R") : QByteArray()) + "\n/ID [<AB> <CD>]>>\nstartxref\n"
        + QByteArray::number(xref) + "\n%%EOF";
    return pdf;
}

// The object the last xref section points at must start exactly there.
void expectConsistent(const QByteArray& pdf, const QByteArray& objectHead)
{
    const qsizetype startxref = pdf.lastIndexOf("startxref");
    const qsizetype xref = pdf.mid(startxref + 10).split('\n').value(0).toLongLong();
    ASSERT_EQ(pdf.mid(xref, 5), QByteArray("xref\n"));
    const QList<QByteArray> lines = pdf.mid(xref).split('\n');
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines[2].size() + 1, 20) << "xref entries are 20 bytes";
    const qsizetype at = lines[2].left(10).toLongLong();
    EXPECT_EQ(pdf.mid(at, objectHead.size()), objectHead);
    EXPECT_TRUE(pdf.endsWith("%%EOF\n"));
}

}

TEST(PDFInfo, TitleReplacesTheInfoObjectKeepingItsOtherEntries)
{
    const QByteArray before = sample(true);
    const auto after = PDFInfo::withTitle(before, QStringLiteral("说明.md"));
    ASSERT_TRUE(after);
    // The printed bytes stay untouched in front.
    EXPECT_TRUE(after->startsWith(before));
    const QByteArray update = after->mid(before.size());
    // 说 U+8BF4, 明 U+660E, '.' 'm' 'd' in UTF-16BE after the byte order mark.
    EXPECT_TRUE(update.contains("1 0 obj\n<</Title <FEFF8BF4660E002E006D0064>")) << update.toStdString();
    EXPECT_TRUE(update.contains("/Creator (Chromium)"));
    EXPECT_TRUE(update.contains("/Producer (Skia >> \\) odd)"));
    EXPECT_TRUE(
        update.contains(QByteArray("/Root 2 0 R /Info 1 0 R /Prev ") + QByteArray::number(before.indexOf("xref\n0"))))
        << update.toStdString();
    EXPECT_TRUE(update.contains("/ID [<AB> <CD>]"));
    expectConsistent(*after, "1 0 obj");
}

TEST(PDFInfo, TitleGetsANewObjectWhenThereWasNoInfoAndAnOldTitleIsNotRepeated)
{
    const auto added = PDFInfo::withTitle(sample(false), QStringLiteral("a"));
    ASSERT_TRUE(added);
    EXPECT_TRUE(added->contains("3 0 obj\n<</Title <FEFF0061>>>"));
    EXPECT_TRUE(added->contains("<</Size 4 /Root 2 0 R /Info 3 0 R"));
    expectConsistent(*added, "3 0 obj");

    const auto replaced = PDFInfo::withTitle(sample(true, "/Title (old)"), QStringLiteral("b"));
    ASSERT_TRUE(replaced);
    EXPECT_EQ(replaced->count("/Title"), 2) << "the old object keeps its own; the update has one";
    EXPECT_FALSE(replaced->mid(sample(true, "/Title (old)").size()).contains("(old)"));
}

TEST(PDFInfo, FilesWithoutAReadableTrailerAreLeftAlone)
{
    EXPECT_FALSE(PDFInfo::withTitle(QByteArray(), QStringLiteral("t")));
    EXPECT_FALSE(PDFInfo::withTitle("%PDF-1.7\n1 0 obj\n<</Type /XRef>>\nstartxref\n9\n%%EOF", QStringLiteral("t")));
    QByteArray noRoot = sample(true);
    noRoot.replace("/Root 2 0 R", "");
    EXPECT_FALSE(PDFInfo::withTitle(noRoot, QStringLiteral("t")));
    QByteArray open = sample(true);
    open.truncate(open.lastIndexOf(">>\nstartxref"));
    EXPECT_FALSE(PDFInfo::withTitle(open, QStringLiteral("t")));
}
