#include "Workspace.h"

using QuitSnapshots = WorkspaceTest;

namespace {

QString longText(const QString& mark)
{
    QString line = QStringLiteral("快照与退出赛跑的一行文字，0123456789 abcdefghij\n");
    QString out;
    out.reserve(line.size() * 200000 + mark.size());
    for (int i = 0; i < 200000; ++i)
        out += line;
    return out + mark;
}

}

TEST_F(QuitSnapshots, DiscardingWithinTheDebounceLeavesNothingToRestore)
{
    const QString a = file(QStringLiteral("a.txt"), "a on disk");
    const QString b = file(QStringLiteral("b.txt"), "b on disk");
    DocPtr da = model->open(a);
    DocPtr db = model->open(b);
    db->setText(QStringLiteral("b edited"));
    da->setText(QStringLiteral("a edited, then discarded"));
    std::optional<bool> result;
    model->confirmQuit([&](bool ok) { result = ok; });
    model->chooseButton(QStringLiteral("不保存"));  // about a, well within its second
    // a's analysis result arrives within its debounce, and the question about
    // b stays up past it.
    da->setDiagnostics({Diagnostic{1, QStringLiteral("迟到的分析结果")}});
    ASSERT_TRUE(snapshotsSettled(files));
    EXPECT_FALSE(BackupStore::exists(da->id));
    model->chooseButton(QStringLiteral("暂留"));
    ASSERT_EQ(result, true);
    EXPECT_FALSE(BackupStore::exists(da->id));

    auto next = relaunch();
    next->restore();
    ASSERT_EQ(next->docs().size(), 2);
    EXPECT_EQ(next->docAt(a)->text(), QStringLiteral("a on disk"));
    EXPECT_FALSE(next->docAt(a)->isDirty());
    EXPECT_EQ(next->docAt(b)->text(), QStringLiteral("b edited"));
}

TEST_F(QuitSnapshots, ACancelledQuitProtectsTheDiscardedEditsAgain)
{
    DocPtr first = model->open(file(QStringLiteral("f.txt"), "f"));
    DocPtr second = model->open(file(QStringLiteral("s.txt"), "s"));
    first->setText(QStringLiteral("f edited"));
    second->setText(QStringLiteral("s edited"));
    std::optional<bool> result;
    model->confirmQuit([&](bool ok) { result = ok; });
    model->chooseButton(QStringLiteral("不保存"));
    model->chooseButton(QStringLiteral("取消"));
    ASSERT_EQ(result, false);
    // Still open and still edited: its snapshot comes back.
    ASSERT_TRUE(waitUntil([&] { return BackupStore::exists(first->id); }));
    EXPECT_EQ(BackupStore::load(first->id)->text, QStringLiteral("f edited"));
}

TEST_F(QuitSnapshots, SnapshotWritesRacingAQuitLandInOrder)
{
    DocPtr d = model->createDoc(QStringLiteral("long.txt"), std::nullopt, {});
    DocPtr gone = model->createDoc(QStringLiteral("gone.txt"), std::nullopt, {});

    // Both snapshot writes start in the background, then the quit comes.
    d->setText(longText(QStringLiteral("older")));
    gone->setText(longText(QStringLiteral("discarded")));
    afterTimer(AppModel::snapshotMaxWaitMSecs);  // their timers have fired
    d->setText(longText(QStringLiteral("newest")));
    std::optional<bool> result;
    model->confirmQuit([&](bool ok) { result = ok; });
    model->chooseButton(QStringLiteral("暂留"));    // d: written now, after the older write
    model->chooseButton(QStringLiteral("不保存"));  // gone: removed after its write in flight
    ASSERT_EQ(result, true);

    // The quit waited: nothing lands after it.
    const auto kept = BackupStore::load(d->id);
    ASSERT_TRUE(kept);
    EXPECT_TRUE(kept->text.endsWith(QStringLiteral("newest")));
    EXPECT_FALSE(BackupStore::exists(gone->id));
    ASSERT_TRUE(snapshotsSettled(files));
    EXPECT_TRUE(BackupStore::load(d->id)->text.endsWith(QStringLiteral("newest")));
    EXPECT_FALSE(BackupStore::exists(gone->id));
}
