#include "Workspace.h"

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
            spin(80);
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
        spin(150);
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

TEST_F(Watching, NothingIsWrittenAfterQuitting)
{
    DocPtr d = model->createDoc(QString(), std::nullopt, {});
    model->setQuitting();
    d->setText(QStringLiteral("退出后的修改"));
    ASSERT_TRUE(snapshotsSettled(files));
    EXPECT_FALSE(BackupStore::exists(d->id));
    EXPECT_FALSE(model->ud().contains(AppModel::sessionKey));
}

TEST_F(Watching, ClosedOrUnwatchedDocumentsWriteNothing)
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
