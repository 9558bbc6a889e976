#include "Workspace.h"
#include "core/FileIO.h"

#include <QFile>
#include <QThread>
#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using DiskWatching = WorkspaceTest;

namespace {

// How editors and tools save: a new file renamed over the old one.
void replaceFile(const QString& path, const QByteArray& bytes)
{
    const QString temp = path + QStringLiteral(".new");
    QFile f(temp);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();
    ASSERT_EQ(::rename(QFile::encodeName(temp).constData(), QFile::encodeName(path).constData()), 0);
}

void rewriteFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// What `dd conv=notrunc` of a same-length text and then `touch -r` do:
// same inode, same size, the old modification time back; only the change
// time moves.
void rewriteKeepingTime(const QString& path, const QByteArray& bytes)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat before {};
    ASSERT_EQ(::stat(name.constData(), &before), 0);
    ASSERT_EQ(before.st_size, bytes.size());
    const int fd = ::open(name.constData(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::pwrite(fd, bytes.constData(), size_t(bytes.size()), 0), bytes.size());
    ::close(fd);
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, name.constData(), times, 0), 0);
    const auto after = FileIO::stamp(path);
    ASSERT_TRUE(after);
    ASSERT_EQ(after->mtimeNs, qint64(before.st_mtim.tv_sec) * 1000000000LL + before.st_mtim.tv_nsec);
}

}

TEST_F(DiskWatching, AnInPlaceRewriteWithItsTimePutBackIsNeitherMissedNorOverwritten)
{
    const QString path = file(QStringLiteral("r.txt"), "written by us!\n");
    const QString other = file(QStringLiteral("s.txt"), "clean copy 1\n");
    const QString late = file(QStringLiteral("l.txt"), "unwatched 1\n");
    DocPtr d = model->open(path);
    DocPtr clean = model->open(other);
    DocPtr unwatched = model->open(late);
    ASSERT_TRUE(d && clean && unwatched);
    // Nobody watches this one: the rewrite is found only when saving, long
    // after it, when nothing but the change time tells.
    model->unwatch(unwatched->id);
    unwatched->setText(QStringLiteral("the user's other edit\n"));
    rewriteKeepingTime(late, "unwatched 2\n");
    // Once the stamps are old enough to tell, no content is compared.
    ASSERT_TRUE(waitUntil(
        [&] { return !FileIO::ambiguous(*FileIO::stamp(path)) && !FileIO::ambiguous(*FileIO::stamp(late)); }, 10000));
    saveNow(unwatched);
    ASSERT_TRUE(model->dialog());
    EXPECT_EQ(model->dialog()->title, QStringLiteral("「l.txt」已被其他程序修改"));
    model->chooseRole(Dialog::Role::cancel);
    EXPECT_EQ(TestDir::read(late), QByteArray("unwatched 2\n"));

    // The user edits, the other program rewrites, the user saves at once.
    d->setText(QStringLiteral("the user's edit\n"));
    rewriteKeepingTime(path, "OTHER program!\n");
    saveNow(d);
    ASSERT_TRUE(model->dialog());
    EXPECT_EQ(model->dialog()->title, QStringLiteral("「r.txt」已被其他程序修改"));
    model->chooseRole(Dialog::Role::cancel);
    EXPECT_EQ(saveResult, false);
    EXPECT_EQ(TestDir::read(path), QByteArray("OTHER program!\n"));
    // The watcher says so too, in the wording of a live change.
    ASSERT_TRUE(waitUntil([&] { return d->notice() == DocNotice::changedOutside; }));
    EXPECT_EQ(d->text(), QStringLiteral("the user's edit\n"));

    // A document without edits follows the rewrite.
    rewriteKeepingTime(other, "clean copy 2\n");
    ASSERT_TRUE(waitUntil([&] { return clean->text() == QStringLiteral("clean copy 2\n"); }));
}

TEST_F(DiskWatching, ARecentStampIsCheckedAgainstTheContent)
{
    const QString path = file(QStringLiteral("n.txt"), "now");
    const auto fresh = FileIO::stamp(path);
    ASSERT_TRUE(fresh);
    EXPECT_TRUE(FileIO::ambiguous(*fresh));
    FileStamp old = *fresh;
    old.mtimeNs -= 10'000'000'000LL;
    old.ctimeNs -= 10'000'000'000LL;
    EXPECT_FALSE(FileIO::ambiguous(old));
    // A rewrite inside the same clock tick (simulated: the stamp is put back
    // by hand) is caught by the content before saving.
    DocPtr d = model->open(path);
    ASSERT_EQ(d->diskStamp()->contentHash, FileIO::contentHash("now"));
    d->setText(QStringLiteral("mine"));
    rewriteFile(path, "new");
    FileStamp sameTick = *FileIO::stamp(path);
    sameTick.contentHash = FileIO::contentHash("now");
    d->setDiskStamp(sameTick);
    saveNow(d);
    ASSERT_TRUE(model->dialog());
    model->chooseRole(Dialog::Role::cancel);
    EXPECT_EQ(TestDir::read(path), QByteArray("new"));
    // The same stamp over the same content is no change, recent or not.
    sameTick.contentHash = FileIO::contentHash("new");
    d->setDiskStamp(sameTick);
    d->setNotice(std::nullopt);
    saveNow(d);
    EXPECT_EQ(saveResult, true);
    EXPECT_FALSE(model->dialog());
}

TEST_F(DiskWatching, ACleanDocumentFollowsRewritesAndReplacementsOnDisk)
{
    const QString path = file(QStringLiteral("a.txt"), "first\nsecond\n");
    DocPtr d = model->open(path);
    ASSERT_TRUE(d);
    EXPECT_TRUE(model->disk().isWatchingFile(path));

    replaceFile(path, "replaced\n");
    ASSERT_TRUE(waitUntil([&] { return d->text() == QStringLiteral("replaced\n"); }));
    EXPECT_FALSE(d->isDirty());
    EXPECT_FALSE(d->notice());
    EXPECT_TRUE(editor.calls.contains(QStringLiteral("load a.txt")));
    ASSERT_TRUE(model->toast());
    EXPECT_TRUE(model->toast()->startsWith(QStringLiteral("已重新载入 a.txt")));

    // The rename ended the watch on the old file; the new one is watched.
    ASSERT_TRUE(waitUntil([&] { return model->disk().isWatchingFile(path); }));
    rewriteFile(path, "rewritten in place\n");
    ASSERT_TRUE(waitUntil([&] { return d->text() == QStringLiteral("rewritten in place\n"); }));
    EXPECT_FALSE(d->isDirty());

    // Saving afterwards asks nothing: the document knows the new file.
    d->setText(QStringLiteral("mine\n"));
    saveNow(d);
    EXPECT_EQ(saveResult, true);
    EXPECT_EQ(TestDir::read(path), QByteArray("mine\n"));
}

TEST_F(DiskWatching, ADirtyDocumentGetsTheNoticeAndSavingAsksBeforeOverwriting)
{
    const QString path = file(QStringLiteral("b.json"), "{\"a\": 1}\n");
    DocPtr d = model->open(path);
    d->setText(QStringLiteral("{\"a\": 2}\n"));
    replaceFile(path, "{\"other\": true}\n");
    ASSERT_TRUE(waitUntil([&] { return d->notice() == DocNotice::changedOutside; }));
    EXPECT_EQ(d->text(), QStringLiteral("{\"a\": 2}\n"));
    EXPECT_FALSE(editor.calls.contains(QStringLiteral("load b.json")));

    saveNow(d);
    ASSERT_TRUE(model->dialog());
    EXPECT_EQ(model->dialog()->title, QStringLiteral("「b.json」已被其他程序修改"));
    EXPECT_EQ(buttonTitles(*model->dialog()), (QStringList{"使用磁盘版本", "取消", "覆盖"}));
    EXPECT_EQ(model->dialog()->buttons.last().role, Dialog::Role::primary);
    model->chooseRole(Dialog::Role::cancel);
    EXPECT_EQ(saveResult, false);
    EXPECT_EQ(TestDir::read(path), QByteArray("{\"other\": true}\n"));

    // Dismissing the notice does not make a later save silent.
    d->setNotice(std::nullopt);
    saveNow(d);
    ASSERT_TRUE(model->dialog());
    model->chooseButton(QStringLiteral("覆盖"));
    settleSaves();
    EXPECT_EQ(saveResult, true);
    EXPECT_EQ(TestDir::read(path), QByteArray("{\"a\": 2}\n"));
    EXPECT_FALSE(d->isDirty());
    EXPECT_FALSE(d->notice());
    EXPECT_TRUE(unchangedOnDisk(d));  // our own write is not another program's
    EXPECT_FALSE(model->dialog());

    // Saved right after another change, before the watcher saw it: asked
    // all the same, and the disk's version taken.
    d->setText(QStringLiteral("edited"));
    rewriteFile(path, "disk 2, longer");
    saveNow(d);
    ASSERT_TRUE(model->dialog());
    EXPECT_FALSE(saveResult);
    model->chooseButton(QStringLiteral("使用磁盘版本"));
    settleSaves();
    EXPECT_EQ(saveResult, true);
    EXPECT_EQ(d->text(), QStringLiteral("disk 2, longer"));
    EXPECT_FALSE(d->isDirty());
    EXPECT_EQ(TestDir::read(path), QByteArray("disk 2, longer"));
}

TEST_F(DiskWatching, TouchingTheFileChangesNothing)
{
    const QString path = file(QStringLiteral("t.txt"), "same");
    DocPtr d = model->open(path);
    d->setText(QStringLiteral("edited"));
    // A new time, the same content.
    ASSERT_TRUE(waitUntil([&] {
        rewriteFile(path, "same");
        return FileIO::stamp(path)->mtimeNs != d->diskStamp()->mtimeNs;
    }));
    // Looked at: the document takes the new time.
    ASSERT_TRUE(waitUntil([&] { return d->diskStamp()->mtimeNs == FileIO::stamp(path)->mtimeNs; }));
    EXPECT_FALSE(d->notice());
    EXPECT_FALSE(editor.calls.contains(QStringLiteral("load t.txt")));
    saveNow(d);
    EXPECT_EQ(saveResult, true);
    EXPECT_FALSE(model->dialog());
}

TEST_F(DiskWatching, ADeletedFileIsMissingAndItsTextKeptUntilItComesBack)
{
    const QString path = file(QStringLiteral("m.txt"), "kept text");
    DocPtr d = model->open(path);
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(waitUntil([&] { return d->notice() == DocNotice::missing; }));
    // The only copy now: modified, so snapshotted and asked about at close.
    EXPECT_TRUE(d->isDirty());
    ASSERT_TRUE(waitUntil([&] { return BackupStore::exists(d->id); }));
    EXPECT_EQ(BackupStore::load(d->id)->text, QStringLiteral("kept text"));

    // Back with the same content (moved away and back): clean again.
    file(QStringLiteral("m.txt"), "kept text");
    ASSERT_TRUE(waitUntil([&] { return !d->notice(); }));
    EXPECT_FALSE(d->isDirty());

    // Moved away and another file put there while nothing was edited: reloaded.
    ASSERT_TRUE(QFile::rename(path, files.path(QStringLiteral("m2.txt"))));
    ASSERT_TRUE(waitUntil([&] { return d->notice() == DocNotice::missing; }));
    file(QStringLiteral("m.txt"), "someone else's");
    ASSERT_TRUE(waitUntil([&] { return d->text() == QStringLiteral("someone else's"); }));
    EXPECT_FALSE(d->notice());
    EXPECT_FALSE(d->isDirty());

    // Deleted with edits here, then saved: written again where it was.
    d->setText(QStringLiteral("edits"));
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(waitUntil([&] { return d->notice() == DocNotice::missing; }));
    std::optional<bool> result;
    model->save(d, false, [&](bool ok) { result = ok; });
    EXPECT_EQ(result, true);
    EXPECT_EQ(TestDir::read(path), QByteArray("edits"));
    EXPECT_FALSE(d->isDirty());
}

TEST_F(DiskWatching, SaveAsOntoAFileOpenInAnotherDocumentIsRefused)
{
    const QString taken = file(QStringLiteral("taken.md"), "other document");
    DocPtr other = model->open(taken);
    DocPtr d = model->createDoc(QStringLiteral("new.md"), std::nullopt, {});
    d->setText(QStringLiteral("new text"));
    chooser.saveTarget = taken;
    saveNow(d, true);
    EXPECT_EQ(saveResult, false);
    ASSERT_TRUE(model->dialog());
    EXPECT_EQ(model->dialog()->title, QStringLiteral("无法另存为"));
    EXPECT_TRUE(model->dialog()->message.contains(QStringLiteral("「taken.md」")));
    model->chooseButton(QStringLiteral("好"));

    // Another name of the same file (a hard link) is the same file.
    const QString alias = files.path(QStringLiteral("alias.md"));
    ASSERT_EQ(::link(QFile::encodeName(taken).constData(), QFile::encodeName(alias).constData()), 0);
    chooser.saveTarget = alias;
    saveNow(d, true);
    EXPECT_EQ(saveResult, false);
    ASSERT_TRUE(model->dialog());
    EXPECT_EQ(model->dialog()->title, QStringLiteral("无法另存为"));
    model->chooseButton(QStringLiteral("好"));

    EXPECT_EQ(TestDir::read(taken), QByteArray("other document"));
    EXPECT_FALSE(other->isDirty());
    EXPECT_TRUE(d->isDirty());
    EXPECT_FALSE(d->url());
}

// The file is read and compared on a worker; a result that comes back after
// the document was saved (its stamp moved on) is dropped, a current one
// applies.
TEST_F(DiskWatching, ALookOvertakenBySavingIsDropped)
{
    const QString path = file(QStringLiteral("t.txt"), "same text\n");
    DocPtr d = model->open(path);
    ASSERT_TRUE(d);
    model->unwatch(d->id);
    // Touched: a new stamp over the same content.
    ASSERT_TRUE(waitUntil([&] {
        rewriteFile(path, "same text\n");
        return FileIO::stamp(path)->mtimeNs != d->diskStamp()->mtimeNs;
    }));
    const auto touched = FileIO::stamp(path);

    std::atomic<bool> release{false};
    std::atomic<int> passed{0};
    DiskWatcher::setCheckHook([&] {
        while (!release)
            QThread::msleep(1);
        ++passed;
    });
    model->disk().check(d);
    // Saved while the worker reads: the save's own stamp.
    FileStamp saved = *touched;
    saved.contentHash = 42;
    d->setDiskStamp(saved);
    release = true;
    ASSERT_TRUE(waitUntil([&] { return passed == 1; }));
    // A dropped result leaves nothing to wait for: give the short read its time.
    afterTimer(200);
    EXPECT_EQ(d->diskStamp()->contentHash, std::optional<quint64>(42));
    EXPECT_FALSE(d->notice().has_value());

    // Looked at again: the content decides and the stamp takes its hash.
    model->disk().check(d);
    ASSERT_TRUE(waitUntil([&] { return d->diskStamp()->contentHash == FileIO::contentHash("same text\n"); }));
    EXPECT_EQ(passed, 2);
    DiskWatcher::setCheckHook({});
    EXPECT_FALSE(d->isDirty());
    EXPECT_EQ(d->text(), QStringLiteral("same text\n"));
}

using Watching = WorkspaceTest;

namespace {

std::optional<QList<SessionItem>> session(const AppModel& m)
{
    return m.load<QList<SessionItem>>(AppModel::sessionKey);
}

}

TEST_F(Watching, BurstOfEditsGivesOneSnapshotASecondAfterTheLast)
{
    DocPtr d = model->createDoc(QString(), QStringLiteral("markdown"), {});
    QElapsedTimer sinceLast;
    for (int i = 0; i < 4; ++i) {
        if (i)
            afterTimer(80);
        d->setText(QStringLiteral("# 草稿 ") + QString::number(i));
        sinceLast.start();
    }
    const QString file = BackupStore::fileFor(d->id);
    // Written early, it would be seen early.
    ASSERT_TRUE(waitUntil([&] { return QFileInfo::exists(file); }, 3000));
    EXPECT_GE(sinceLast.elapsed(), 950);
    EXPECT_EQ(BackupStore::load(d->id)->text, QStringLiteral("# 草稿 3"));
    // The session follows once the background write has landed.
    EXPECT_TRUE(waitUntil([&] { return session(*model) == QList<SessionItem>{{std::nullopt, d->id}}; }));
}

TEST_F(Watching, SessionIsRewrittenOnlyWhenASnapshotAppearsOrGoes)
{
    const QString path = file(QStringLiteral("s.txt"), "saved");
    DocPtr d = model->open(path);
    ASSERT_TRUE(d);
    d->setText(QStringLiteral("changed"));
    // Named at once, before the snapshot is written; the snapshot follows.
    ASSERT_TRUE(waitUntil([&] { return session(*model) == QList<SessionItem>{{path, d->id}}; }));
    EXPECT_FALSE(BackupStore::exists(d->id));
    ASSERT_TRUE(waitUntil([&] { return BackupStore::exists(d->id); }));
    ASSERT_TRUE(snapshotsSettled(files));
    EXPECT_EQ(session(*model), (QList<SessionItem>{{path, d->id}}));

    // Another change rewrites the snapshot but not the session.
    model->ud().remove(AppModel::sessionKey);
    d->setText(QStringLiteral("changed again"));
    ASSERT_TRUE(waitUntil([&] { return BackupStore::load(d->id)->text == QStringLiteral("changed again"); }));
    ASSERT_TRUE(snapshotsSettled(files));
    EXPECT_FALSE(model->ud().contains(AppModel::sessionKey));

    // Undoing back to the saved text removes the snapshot and rewrites the session.
    d->setText(QStringLiteral("saved"));
    ASSERT_TRUE(waitUntil([&] { return session(*model) == QList<SessionItem>{{path, std::nullopt}}; }));
    EXPECT_FALSE(BackupStore::exists(d->id));
}

TEST_F(Watching, ContinuousTypingIsStillSnapshotted)
{
    DocPtr d = model->createDoc(QStringLiteral("live.txt"), std::nullopt, {});
    QElapsedTimer t;
    t.start();
    qint64 firstSnapshot = -1;
    int i = 0;
    while (t.elapsed() < 2600) {
        d->setText(QStringLiteral("键入 ") + QString::number(++i));
        afterTimer(150);
        if (firstSnapshot < 0 && BackupStore::exists(d->id))
            firstSnapshot = t.elapsed();
    }
    ASSERT_GE(firstSnapshot, 0) << "no snapshot while typing without pause";
    EXPECT_LE(firstSnapshot, AppModel::snapshotMaxWaitMSecs + 400);
    EXPECT_GE(firstSnapshot, AppModel::snapshotQuietMSecs);
    // And the snapshot keeps up with the typing.
    const int seen = BackupStore::load(d->id)->text.mid(3).toInt();
    EXPECT_GE(seen, i - 12);
}

// After quitting, and for a document closed or no longer watched, no
// snapshot is written.
TEST_F(Watching, QuitClosedOrUnwatchedDocumentsWriteNothing)
{
    DocPtr kept = model->createDoc(QString(), std::nullopt, {});
    model->unwatch(kept->id);
    kept->setText(QStringLiteral("不再观察"));
    QUuid goneID;
    {
        DocPtr gone = model->createDoc(QString(), std::nullopt, {});
        goneID = gone->id;
        gone->setText(QStringLiteral("即将关闭"));
        model->documents().remove(goneID);
    }
    ASSERT_TRUE(snapshotsSettled(files));
    EXPECT_FALSE(BackupStore::exists(kept->id));
    EXPECT_FALSE(BackupStore::exists(goneID));

    model->ud().remove(AppModel::sessionKey);
    DocPtr late = model->createDoc(QString(), std::nullopt, {});
    model->setQuitting();
    late->setText(QStringLiteral("退出后的修改"));
    ASSERT_TRUE(snapshotsSettled(files));
    EXPECT_FALSE(BackupStore::exists(late->id));
    EXPECT_FALSE(model->ud().contains(AppModel::sessionKey));
}

namespace {

// Something that is not a writable folder where the snapshot has to go;
// works as root too, who ignores permissions.
struct Blocker {
    const char* what;
    std::function<void(const QString& file)> block;
    std::function<void(const QString& file)> unblock;
};

void putFile(const QString& path)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a folder");
}

}

TEST_F(Watching, UnwritableSnapshotIsShownRetriedAndClearedOnceWritten)
{
    const QString folder = BackupStore::directory();
    const QString away = folder + QStringLiteral(".away");
    const Blocker cases[] = {
        {"a regular file in place of the snapshot folder",
         [&](const QString&) {
             ASSERT_TRUE(QDir().rename(folder, away));
             putFile(folder);
         },
         [&](const QString&) {
             ASSERT_TRUE(QFile::remove(folder));
             ASSERT_TRUE(QDir().rename(away, folder));
         }},
        {"a folder in place of the snapshot file", [](const QString& file) { ASSERT_TRUE(QDir().mkpath(file)); },
         [](const QString& file) { ASSERT_TRUE(QDir(file).removeRecursively()); }},
    };
    for (const Blocker& c : cases) {
        SCOPED_TRACE(c.what);
        DocPtr d = model->createDoc(QString(), std::nullopt, {});
        const QString file = BackupStore::fileFor(d->id);
        c.block(file);
        d->setText(QStringLiteral("只在内存里的草稿"));
        EXPECT_TRUE(waitUntil([&] { return d->snapshotFailure().has_value(); }));
        EXPECT_FALSE(d->snapshotFailure().value_or(QString()).isEmpty());
        EXPECT_FALSE(QFileInfo(file).isFile());

        // No further edit: the retry writes it once the folder is usable.
        c.unblock(file);
        EXPECT_TRUE(waitUntil([&] { return !d->snapshotFailure(); }, AppModel::snapshotRetryMSecs + 3000));
        const auto written = BackupStore::load(d->id);
        EXPECT_EQ(written ? written->text : QString(), QStringLiteral("只在内存里的草稿"));
    }
}
