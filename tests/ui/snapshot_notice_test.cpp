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
    EXPECT_TRUE(waitUntil([&] { return !notice()->isVisible(); }, AppModel::snapshotRetryMSecs + 4000));
    EXPECT_TRUE(BackupStore::exists(d->id));
}
