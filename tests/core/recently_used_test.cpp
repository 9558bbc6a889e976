#include "Workspace.h"
#include "core/RecentlyUsed.h"

#include <QFile>
#include <QTemporaryDir>
#include <QUrl>
#include <QXmlStreamReader>

namespace {

struct Bookmark {
    QString href, added, modified, mimeType;
    QMap<QString, int> apps;  // name -> count
};

// The bookmarks of a list as a desktop reader sees them; fails the test on bad XML.
std::vector<Bookmark> readList(const QString& path)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    QXmlStreamReader r(&f);
    std::vector<Bookmark> out;
    const QString bookmarkNS = QStringLiteral("http://www.freedesktop.org/standards/desktop-bookmarks");
    const QString mimeNS = QStringLiteral("http://www.freedesktop.org/standards/shared-mime-info");
    while (!r.atEnd()) {
        if (r.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes a = r.attributes();
        if (r.name() == QLatin1String("bookmark") && r.namespaceUri().isEmpty())
            out.push_back({a.value(QLatin1String("href")).toString(),
                           a.value(QLatin1String("added")).toString(),
                           a.value(QLatin1String("modified")).toString(),
                           {},
                           {}});
        else if (r.name() == QLatin1String("mime-type") && r.namespaceUri() == mimeNS && !out.empty())
            out.back().mimeType = a.value(QLatin1String("type")).toString();
        else if (r.name() == QLatin1String("application") && r.namespaceUri() == bookmarkNS && !out.empty())
            out.back().apps[a.value(QLatin1String("name")).toString()] = a.value(QLatin1String("count")).toInt();
    }
    EXPECT_FALSE(r.hasError()) << r.errorString().toStdString();
    return out;
}

const Bookmark* find(const std::vector<Bookmark>& list, const QString& path)
{
    const QString href = QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
    for (const Bookmark& b : list)
        if (b.href == href)
            return &b;
    return nullptr;
}

QByteArray otherProgramsList(int entries)
{
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<xbel version=\"1.0\"\n"
                     "      xmlns:bookmark=\"http://www.freedesktop.org/standards/desktop-bookmarks\"\n"
                     "      xmlns:mime=\"http://www.freedesktop.org/standards/shared-mime-info\"\n>\n";
    for (int i = 0; i < entries; ++i)
        xml += QStringLiteral(
                   "  <bookmark href=\"file:///home/u/other%1.odt\" added=\"2020-01-0%1T10:00:00.000000Z\" "
                   "modified=\"2020-01-0%1T10:00:00.000000Z\" visited=\"2020-01-0%1T10:00:00.000000Z\">\n"
                   "    <info><metadata owner=\"http://freedesktop.org\">"
                   "<mime:mime-type type=\"application/vnd.oasis.opendocument.text\"/>"
                   "<bookmark:groups><bookmark:group>Office</bookmark:group></bookmark:groups>"
                   "<bookmark:applications><bookmark:application name=\"Writer\" exec=\"&apos;writer %u&apos;\" "
                   "modified=\"2020-01-0%1T10:00:00Z\" count=\"%1\"/></bookmark:applications>"
                   "</metadata></info>\n  </bookmark>\n")
                   .arg(i + 1)
                   .toUtf8();
    return xml + "</xbel>\n";
}

}

class RecentlyUsedTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", home.path().toUtf8());
    }
    void TearDown() override { qputenv("XDG_DATA_HOME", saved); }
    QString list() const { return home.filePath(QStringLiteral("recently-used.xbel")); }
    void writeList(const QByteArray& xml) const
    {
        QFile f(list());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(xml);
    }
    QTemporaryDir home;
    QByteArray saved;
};

TEST_F(RecentlyUsedTest, FirstEntryMakesAPrivateListThatDesktopReadersParse)
{
    EXPECT_EQ(RecentlyUsed::path(), list());
    const QString file = home.filePath(QStringLiteral("笔记 #1.md"));
    ASSERT_TRUE(RecentlyUsed::note(file, QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7), Qt::UTC)));
    const auto b = readList(list());
    ASSERT_EQ(b.size(), 1u);
    // Spaces, '#' and CJK are percent-encoded in the URI.
    EXPECT_EQ(b[0].href, QStringLiteral("file://") + QUrl::toPercentEncoding(file, "/"));
    EXPECT_EQ(b[0].added, QStringLiteral("2026-03-04T05:06:07.000000Z"));
    EXPECT_EQ(b[0].modified, b[0].added);
    EXPECT_EQ(b[0].mimeType, QStringLiteral("text/markdown"));
    EXPECT_EQ(b[0].apps.value(QStringLiteral("Lorvane")), 1);
    EXPECT_EQ(QFile(list()).permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup), 0);
}

TEST_F(RecentlyUsedTest, OtherProgramsEntriesSurviveAndOursIsRefreshedNotRepeated)
{
    writeList(otherProgramsList(2));
    const QString file = home.filePath(QStringLiteral("a.txt"));
    const QDateTime first(QDate(2026, 1, 1), QTime(0, 0), Qt::UTC);
    ASSERT_TRUE(RecentlyUsed::note(file, first));
    ASSERT_TRUE(RecentlyUsed::note(file, first.addDays(1)));
    ASSERT_TRUE(RecentlyUsed::note(file, first.addDays(2)));
    const auto b = readList(list());
    ASSERT_EQ(b.size(), 3u);
    const Bookmark* ours = find(b, file);
    ASSERT_TRUE(ours);
    EXPECT_EQ(ours->added, QStringLiteral("2026-01-01T00:00:00.000000Z"));
    EXPECT_EQ(ours->modified, QStringLiteral("2026-01-03T00:00:00.000000Z"));
    EXPECT_EQ(ours->apps.value(QStringLiteral("Lorvane")), 3);
    EXPECT_EQ(ours->mimeType, QStringLiteral("text/plain"));
    const Bookmark* other = find(b, QStringLiteral("/home/u/other2.odt"));
    ASSERT_TRUE(other);
    EXPECT_EQ(other->apps.value(QStringLiteral("Writer")), 2);
    EXPECT_EQ(other->mimeType, QStringLiteral("application/vnd.oasis.opendocument.text"));
    // What we do not understand is copied, not lost.
    QFile f(list());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray xml = f.readAll();
    EXPECT_EQ(xml.count("<bookmark:group>Office</bookmark:group>"), 2) << xml.toStdString();
    // Rewriting does not pile up blank lines.
    EXPECT_FALSE(xml.contains("\n\n")) << xml.toStdString();
}

TEST_F(RecentlyUsedTest, AFileAnotherProgramUsedGainsUsAsASecondApplication)
{
    writeList(otherProgramsList(1));
    ASSERT_TRUE(RecentlyUsed::note(QStringLiteral("/home/u/other1.odt")));
    const auto b = readList(list());
    ASSERT_EQ(b.size(), 1u);
    EXPECT_EQ(b[0].apps.value(QStringLiteral("Writer")), 1);
    EXPECT_EQ(b[0].apps.value(QStringLiteral("Lorvane")), 1);
    EXPECT_EQ(b[0].added, QStringLiteral("2020-01-01T10:00:00.000000Z"));
}

TEST_F(RecentlyUsedTest, TheListKeepsTheNewestUpToItsLimit)
{
    writeList(otherProgramsList(5));
    const QString file = home.filePath(QStringLiteral("new.txt"));
    ASSERT_TRUE(RecentlyUsed::note(file, QDateTime::currentDateTimeUtc(), 3));
    const auto b = readList(list());
    ASSERT_EQ(b.size(), 3u);
    EXPECT_TRUE(find(b, file));
    EXPECT_TRUE(find(b, QStringLiteral("/home/u/other5.odt")));
    EXPECT_TRUE(find(b, QStringLiteral("/home/u/other4.odt")));
    EXPECT_FALSE(find(b, QStringLiteral("/home/u/other1.odt")));
}

TEST_F(RecentlyUsedTest, AnUnreadableListIsLeftAlone)
{
    const QByteArray broken = "<?xml version=\"1.0\"?><xbel><bookmark href=\"file:///x\"></xbel>";
    writeList(broken);
    EXPECT_FALSE(RecentlyUsed::note(home.filePath(QStringLiteral("a.txt"))));
    QFile f(list());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), broken);
    writeList("<html></html>");
    EXPECT_FALSE(RecentlyUsed::note(home.filePath(QStringLiteral("a.txt"))));
}

// Opening and saving through the workspace both report the file.
TEST_F(WorkspaceTest, OpenedAndSavedFilesReachTheRecentDocumentsHook)
{
    QStringList noted;
    model->setNoteRecentHook([&](const QString& p) { noted << p; });
    const QString path = file(QStringLiteral("r.txt"), "one");
    const DocPtr doc = model->open(path, false);
    ASSERT_TRUE(doc);
    EXPECT_EQ(noted, QStringList{path});
    doc->setText(QStringLiteral("two"));
    model->save(doc);
    EXPECT_TRUE(waitUntil([&] { return noted.size() == 2; }));
    EXPECT_EQ(noted.value(1), path);
}
