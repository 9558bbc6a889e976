// Setting a finished PDF's title by an incremental update.
#include "render/PDFInfo.h"

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

TEST(PDFInfo, LinksToLocalFilesLoseTheAuthorsFolders)
{
    // An annotation per link the way the engine writes them, and a page
    // stream that happens to hold the same bytes.
    const QByteArray streamBody = "x/URI (file:///home/ann/docs/hidden.md)x";
    const QByteArray pdf = "%PDF-1.4\n1 0 obj\n<</Length " + QByteArray::number(streamBody.size()) + ">>stream\n"
        + streamBody
        + "\nendstream\nendobj\n"
          "2 0 obj\n<</Type /Annot\n/A <</S /URI\n/URI (file:///home/ann/docs/other.md)>>>>\nendobj\n"
          "3 0 obj\n<</A <</S /URI /URI (file:///home/ann/docs/sub/a%20b.md#part)>>>>\nendobj\n"
          "4 0 obj\n<</A <</S /URI /URI (file:///etc/passwd)>>>>\nendobj\n"
          "5 0 obj\n<</A <</S /URI /URI (https://example.com/a\\(b\\))>>>>\nendobj\n"
          "6 0 obj\n<</A <</S /URI /URI <66696C653A2F2F2F686F6D652F616E6E2F646F63732F782E6D64>>>>>\nendobj\n"
          "7 0 obj\n<</A <</S /URI /URI (file:///home/ann/docs/a\\(1\\).md)>>>>\nendobj\n"
          "8 0 obj\n<</A <</S /URI /URI (file:///home/ann/docs2/x.md)>>>>\nendobj\n"
          "trailer\n<</Size 9>>\n%%EOF\n";

    const QByteArray out = PDFInfo::withRelativeLinks(pdf, QStringLiteral("/home/ann/docs"));
    ASSERT_EQ(out.size(), pdf.size()) << "every object keeps its offset";
    EXPECT_TRUE(out.contains(streamBody)) << "stream bytes are not touched";
    const struct {
        const char* object;
        const char* uri;
    } cases[] = {
        {"2 0 obj", "/URI (other.md)"},
        {"3 0 obj", "/URI (sub/a%20b.md#part)"},
        // Longer relative than absolute: no room, no target.
        {"4 0 obj", "/URI ()"},
        {"5 0 obj", "/URI (https://example.com/a\\(b\\))"},
        {"6 0 obj", "/URI (x.md)"},
        {"7 0 obj", "/URI (a\\(1\\).md)"},
        {"8 0 obj", "/URI (../docs2/x.md)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.object);
        const qsizetype at = out.indexOf(c.object);
        const QByteArray object = out.mid(at, out.indexOf("endobj", at) - at);
        EXPECT_TRUE(object.contains(c.uri)) << object.constData();
    }
    EXPECT_FALSE(out.mid(out.indexOf("endstream")).contains("/home/ann"));

    // A document with no folder keeps no local target at all.
    const QByteArray none = PDFInfo::withRelativeLinks(pdf, {});
    EXPECT_FALSE(none.mid(none.indexOf("endstream")).contains("file:"));
}
