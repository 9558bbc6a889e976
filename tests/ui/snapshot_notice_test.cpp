#include "WindowFixture.h"
#include "core/BackupStore.h"
#include "views/pane/NoticeBar.h"

#include <QDir>
#include <QLabel>

namespace {

struct SnapshotNotice : WindowFixture {
    void SetUp() override
    {
        WindowFixture::SetUp();
        model->setEditorLink(editors.get());
    }
    NoticeBar* notice() const { return window->docPane()->notice(); }
};

}

// A regular file where the snapshot folder should be stops every snapshot,
// for root as well.
TEST_F(SnapshotNotice, TypingWhileSnapshotsFailShowsWhyUntilOneIsWritten)
{
    const QString folder = BackupStore::directory();
    const QString away = folder + QStringLiteral(".away");
    DocPtr d = model->createDoc(QStringLiteral("草稿.txt"), std::nullopt, {});
    ASSERT_TRUE(waitUntil([] { return qobject_cast<CodeTextView*>(focused()) != nullptr; }));
    ASSERT_TRUE(QDir().rename(folder, away));
    {
        QFile blocker(folder);
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    }
    type(QStringLiteral("unsaved"));
    const auto shown = [&] {
        return notice()->isVisible()
            && notice()->message()->text().startsWith(QStringLiteral("无法暂留未保存的内容："));
    };
    EXPECT_TRUE(waitUntil(shown));
    // The reason follows the lead-in.
    EXPECT_GT(notice()->message()->text().size(), QStringLiteral("无法暂留未保存的内容：").size());
    // Typing goes on where it was.
    EXPECT_TRUE(qobject_cast<CodeTextView*>(focused()));

    ASSERT_TRUE(QFile::remove(folder));
    ASSERT_TRUE(QDir().rename(away, folder));
    EXPECT_TRUE(waitUntil([&] { return !notice()->isVisible(); }, WindowModel::snapshotRetryMSecs + 4000));
    EXPECT_TRUE(BackupStore::exists(d->id));
}

// A vanished file is recreated in its place on saving; a vanished folder is
// not, and the notice says so.
TEST_F(SnapshotNotice, AVanishedFileSaysWhetherItsFolderWentToo)
{
    const struct {
        const char* what;
        bool folderToo;
        const char* says;
    } cases[] = {
        {"file", false, "保存时将在原位置重新创建"},
        {"folder", true, "所在的文件夹也已不存在"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString folder = dir.filePath(QString::fromUtf8(c.what));
        ASSERT_TRUE(QDir().mkpath(folder));
        const QString path = folder + QStringLiteral("/笔记.md");
        {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("# 笔记\n");
        }
        const DocPtr d = model->open(path);
        ASSERT_TRUE(d);
        ASSERT_TRUE(waitUntil([&] { return model->active() == d; }));
        if (c.folderToo)
            ASSERT_TRUE(QDir(folder).removeRecursively());
        else
            ASSERT_TRUE(QFile::remove(path));
        model->disk().check(d);
        ASSERT_TRUE(waitUntil([&] { return d->notice() == DocNotice::missing && notice()->isVisible(); }));
        EXPECT_TRUE(notice()->message()->text().contains(QString::fromUtf8(c.says)))
            << notice()->message()->text().toStdString();
    }
}
