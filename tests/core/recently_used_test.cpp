#include "Workspace.h"
#include "core/RecentlyUsed.h"

#include <QFile>
#include <QTemporaryDir>
#include <QUrl>
#include <QXmlStreamReader>
#include <fcntl.h>
#include <future>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

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

    // A file another program used gains us as a second application.
    ASSERT_TRUE(RecentlyUsed::note(QStringLiteral("/home/u/other1.odt")));
    const std::vector<Bookmark> after = readList(list());
    other = find(after, QStringLiteral("/home/u/other1.odt"));
    ASSERT_TRUE(other);
    EXPECT_EQ(other->apps.value(QStringLiteral("Writer")), 1);
    EXPECT_EQ(other->apps.value(QStringLiteral("Lorvane")), 1);
    EXPECT_EQ(other->added, QStringLiteral("2020-01-01T10:00:00.000000Z"));
}

TEST_F(RecentlyUsedTest, OverItsLimitTheListLosesOnlyOurOwnOldestEntries)
{
    writeList(otherProgramsList(3));
    const QDateTime day(QDate(2026, 2, 1), QTime(9, 0), Qt::UTC);
    // Also used by another program: not ours alone, though it is the oldest.
    ASSERT_TRUE(RecentlyUsed::note(QStringLiteral("/home/u/other1.odt"), day));
    QStringList ours;
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
        ours << home.filePath(QString::fromLatin1(name));
        ASSERT_TRUE(RecentlyUsed::note(ours.back(), day.addDays(ours.size())));
    }
    const QString fresh = home.filePath(QStringLiteral("d.txt"));
    const struct {
        int limit;
        QStringList kept, gone;
    } steps[] = {
        // 3 others' + 3 ours + the new one, 2 over.
        {5, {ours[2], fresh}, {ours[0], ours[1]}},
        // Far over: ours all go but the new one; the others' stay all the same.
        {1, {fresh}, {ours[2]}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.limit);
        ASSERT_TRUE(RecentlyUsed::note(fresh, day.addDays(10), step.limit));
        const auto b = readList(list());
        for (int i = 1; i <= 3; ++i)
            EXPECT_TRUE(find(b, QStringLiteral("/home/u/other%1.odt").arg(i))) << i;
        for (const QString& f : step.kept)
            EXPECT_TRUE(find(b, f)) << f.toStdString();
        for (const QString& f : step.gone)
            EXPECT_FALSE(find(b, f)) << f.toStdString();
    }
}

TEST_F(RecentlyUsedTest, AWriterHoldingTheLockIsNotOverwritten)
{
    writeList(otherProgramsList(1));
    const QByteArray lockName = QFile::encodeName(list() + QStringLiteral(".lock"));
    const int fd = ::open(lockName.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    EXPECT_FALSE(RecentlyUsed::note(home.filePath(QStringLiteral("a.txt"))));
    EXPECT_EQ(readList(list()).size(), 1u);
    ::close(fd);
    EXPECT_TRUE(RecentlyUsed::note(home.filePath(QStringLiteral("a.txt"))));
    EXPECT_EQ(readList(list()).size(), 2u);
}

// Whatever is in the list's place that is not a list this program can read
// is left as it is, at once: a pipe is never waited on.
TEST_F(RecentlyUsedTest, WhatIsNotAReadableListIsLeftAloneAtOnce)
{
    const QByteArray name = QFile::encodeName(list());
    const QByteArray broken = "<?xml version=\"1.0\"?><xbel><bookmark href=\"file:///x\"></xbel>";
    const struct {
        const char* what;
        std::function<bool()> make;
    } cases[] = {
        {"pipe", [&] { return ::mkfifo(name.constData(), 0600) == 0; }},
        {"folder", [&] { return QDir().mkpath(list()); }},
        {"broken XML",
         [&] {
             writeList(broken);
             return true;
         }},
        {"not a bookmark list",
         [&] {
             writeList("<html></html>");
             return true;
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(c.make());
        const QFileInfo before(list());
        const QByteArray bytes = before.isFile() ? TestDir::read(list()) : QByteArray();
        auto noted = std::async(std::launch::async, [&] { return RecentlyUsed::note(home.filePath("a.txt")); });
        const bool finished = noted.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
        EXPECT_TRUE(finished) << "blocked on the list";
        if (!finished) {
            // A writer coming and going ends the reader's wait.
            const int w = ::open(name.constData(), O_WRONLY | O_NONBLOCK);
            if (w >= 0)
                ::close(w);
        }
        EXPECT_FALSE(noted.get());
        QFileInfo kept(list());
        EXPECT_TRUE(kept.exists());
        EXPECT_EQ(kept.isFile(), before.isFile());
        if (kept.isFile()) {
            EXPECT_EQ(TestDir::read(list()), bytes);
        }
        if (kept.isDir())
            QDir(list()).removeRecursively();
        else
            QFile::remove(list());
    }
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
