#include "Workspace.h"

#include <QFileInfo>
#include <functional>
#include <unistd.h>

using FileTags = QMap<QString, QStringList>;
using SavingFlow = WorkspaceTest;
using CloseFlow = WorkspaceTest;
using QuitFlow = WorkspaceTest;

// Saved where it is, the text goes back in the file's own encoding and line
// ending, and the document and its snapshot are done with.
TEST_F(SavingFlow, InPlaceWritesEncodingAndLineEndingAndCleans)
{
    const struct {
        TextEncoding encoding;
        QString disk, edited;
    } cases[] = {
        {TextEncoding::utf8, QStringLiteral("one\r\ntwo\r\n"), QStringLiteral("one\nthree\n")},
        {TextEncoding::gb18030, QStringLiteral("旧\r\n"), QStringLiteral("新\n")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.encoding.rawValue().toStdString());
        const QString path = file("a.txt", c.encoding.encode(c.disk).value());
        DocPtr d = model->open(path);
        d->setText(c.edited);
        ASSERT_TRUE(d->isDirty());
        ASSERT_TRUE(BackupStore::write(*d));
        std::optional<bool> result;
        model->save(d, false, [&](bool ok) { result = ok; });
        settleSaves();
        EXPECT_EQ(result, true);
        EXPECT_EQ(TestDir::read(path), c.encoding.encode(QString(c.edited).replace("\n", "\r\n")).value());
        EXPECT_FALSE(d->isDirty());
        EXPECT_EQ(model->toast(), QStringLiteral("已保存 a.txt · ") + c.encoding.rawValue());
        EXPECT_FALSE(BackupStore::exists(d->id));
        EXPECT_EQ(chooser.asked.size(), 0);
        model->close(d);
    }
}

// The first save asks where; the file's tags go with it to its path, and the
// path leaves the recent list (it is open now).
TEST_F(SavingFlow, NeverSavedAlwaysAsksForALocation)
{
    DocPtr d = model->createDoc("note.md", std::nullopt, {});
    d->setText("# hi");
    model->toggleTag("work", d);
    EXPECT_TRUE(model->load<FileTags>(AppModel::fileTagsKey).value_or(FileTags{}).isEmpty());
    model->setRecent({files.path("saved.json"), files.path("other.txt")});
    std::optional<bool> result;
    model->save(d, false, [&](bool ok) { result = ok; });
    EXPECT_EQ(result, false);  // panel cancelled
    EXPECT_EQ(chooser.asked, QStringList{"note.md|"});
    EXPECT_TRUE(d->isDirty());

    chooser.saveTarget = files.path("saved.json");
    model->save(d, false, [&](bool ok) { result = ok; });
    EXPECT_EQ(result, true);
    EXPECT_EQ(d->url(), files.path("saved.json"));
    EXPECT_EQ(d->name(), "saved.json");
    EXPECT_EQ(d->plugin().id, "json");
    EXPECT_EQ(model->toast(), QStringLiteral("已另存为 saved.json"));
    EXPECT_FALSE(d->autoExt());
    EXPECT_EQ(model->load<FileTags>(AppModel::fileTagsKey).value_or(FileTags{}).value(files.path("saved.json")),
              QStringList{"work"});
    EXPECT_EQ(model->recent(), QStringList{files.path("other.txt")});
    EXPECT_EQ(model->load<QStringList>(AppModel::recentKey), QStringList{files.path("other.txt")});
    // Save as starts in the file's own directory from now on.
    result.reset();
    model->save(d, true, [&](bool ok) { result = ok; });
    EXPECT_EQ(chooser.asked.last(), "saved.json|" + QFileInfo(files.path("saved.json")).absolutePath());
    // Saving as onto the same file looks at the disk on a worker first.
    settleSaves();
    EXPECT_EQ(result, true);
}

// After a format change the save asks; "覆盖原文件" renames the file, refuses
// to replace another one, and keeps the only copy when the new name is
// another name of the same file (a.MD and a.md on a case-insensitive volume).
TEST_F(SavingFlow, FormatChangeAsksAndOverwriteRenamesTheFile)
{
    const struct {
        const char* what;
        std::function<void()> prepare;
        bool ok;
        std::optional<QByteArray> md;  // afterwards; empty: no file, none: either
        QByteArray json;
    } cases[] = {
        {"rename", [] {}, true, QByteArray(), "new"},
        {"another file in the way", [&] { file("a.json", "other"); }, false, "old", "other"},
        {"a hard link of itself",
         [&] {
             ASSERT_EQ(::link(QFile::encodeName(files.path("a.md")).constData(),
                              QFile::encodeName(files.path("a.json")).constData()),
                       0);
         },
         true, std::nullopt, "new"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(files.path("a.json"));
        const QString md = file("a.md", "old");
        c.prepare();
        DocPtr d = model->open(md);
        d->setText("new");
        model->setFormat(d, QStringLiteral("json"));
        ASSERT_EQ(d->name(), "a.json");
        EXPECT_EQ(d->originalName(), "a.md");
        std::optional<bool> result;
        model->save(d, false, [&](bool ok) { result = ok; });
        settleSaves();
        ASSERT_TRUE(model->dialog());
        EXPECT_EQ(model->dialog()->title, QStringLiteral("格式已从 .md 改为 .json"));
        EXPECT_EQ(model->dialog()->message,
                  QStringLiteral(
                      "另存为：新建 a.json，原文件 a.md 保留不动。\n覆盖原文件：将 a.md 重命名为 a.json 并写入内容。"));
        EXPECT_EQ(buttonTitles(*model->dialog()), (QStringList{"取消", "另存为…", "覆盖原文件"}));
        model->chooseButton("覆盖原文件");
        settleSaves();
        EXPECT_EQ(result, c.ok);
        if (c.md) {
            EXPECT_EQ(TestDir::read(md), *c.md);
        }
        EXPECT_EQ(TestDir::read(files.path("a.json")), c.json);
        EXPECT_EQ(d->isDirty(), !c.ok);
        if (c.ok) {
            EXPECT_EQ(model->toast(), QStringLiteral("已覆盖：a.md → a.json"));
            EXPECT_FALSE(d->originalName());
        } else {
            ASSERT_TRUE(model->dialog());
            EXPECT_EQ(model->dialog()->title, QStringLiteral("无法覆盖"));
            EXPECT_EQ(model->dialog()->message, QStringLiteral("a.json 已存在，请使用另存为。"));
            model->chooseButton("好");
        }
        model->close(d);
        model->chooseButton("不保存");
    }
    EXPECT_EQ(AppModel::label("Makefile"), QStringLiteral("无后缀"));
}

TEST_F(SavingFlow, FailuresKeepDocumentDirtyAndFileUntouched)
{
    // A directory where the file should be.
    DocPtr d = model->createDoc("x.txt", std::nullopt, {});
    d->setText("text");
    QDir().mkdir(files.path("dir.txt"));
    chooser.saveTarget = files.path("dir.txt");
    std::optional<bool> result;
    model->save(d, false, [&](bool ok) { result = ok; });
    settleSaves();
    EXPECT_EQ(result, false);
    ASSERT_TRUE(model->dialog());
    EXPECT_EQ(model->dialog()->title, QStringLiteral("保存失败"));
    EXPECT_FALSE(model->dialog()->message.isEmpty());
    model->chooseButton("好");
    EXPECT_TRUE(d->isDirty());
    EXPECT_FALSE(d->url());

    // A full disk, simulated by a file-size limit smaller than the text.
    const QString path = file("big.txt", "original");
    DocPtr big = model->open(path);
    big->setText(QString(64 * 1024, QLatin1Char('x')));
    ASSERT_TRUE(waitUntil([&] { return BackupStore::exists(big->id); }));
    {
        FileSizeLimit full(1024);
        model->save(big, false, [&](bool ok) { result = ok; });
        settleSaves();
    }
    EXPECT_EQ(result, false);
    ASSERT_TRUE(model->dialog());
    EXPECT_EQ(model->dialog()->title, QStringLiteral("保存失败"));
    EXPECT_EQ(TestDir::read(path), QByteArray("original"));
    EXPECT_TRUE(big->isDirty());
    EXPECT_TRUE(BackupStore::exists(big->id));
}

// Whether the file changed since it was opened is settled on a worker when
// only its content can tell (the stamp is too recent to trust): saving
// returns at once, and a change by another program still stops the write.
TEST_F(SavingFlow, TheLookAtTheFileBeforeWritingRunsOnAWorker)
{
    const QString path = file(QStringLiteral("w.txt"), "opened\n");
    DocPtr d = model->open(path);
    ASSERT_TRUE(d);
    model->unwatch(d->id);  // only the save looks at the file
    d->setText(QStringLiteral("mine\n"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("theirs\n");
    }
    const Qt::HANDLE mainThread = QThread::currentThreadId();
    std::atomic<bool> release{false};
    std::atomic<int> looks{0};
    std::atomic<bool> onMain{false};
    struct Unhook {
        ~Unhook() { DiskWatcher::setCheckHook({}); }
    } unhook;
    DiskWatcher::setCheckHook([&] {
        ++looks;
        onMain = onMain || QThread::currentThreadId() == mainThread;
        // Held until the test lets go; a look on the main thread gives up.
        QDeadlineTimer wait(1000);
        while (!release && !wait.hasExpired())
            QThread::msleep(1);
    });
    std::optional<bool> result;
    model->save(d, false, [&](bool ok) { result = ok; });
    // The main thread is free while the file is read.
    EXPECT_FALSE(result.has_value());
    EXPECT_FALSE(model->dialog());
    release = true;
    ASSERT_TRUE(waitUntil([&] { return model->dialog().has_value(); }));
    EXPECT_EQ(looks.load(), 1);
    EXPECT_FALSE(onMain.load());
    EXPECT_EQ(model->dialog()->title, QStringLiteral("「w.txt」已被其他程序修改"));
    EXPECT_EQ(TestDir::read(path), QByteArray("theirs\n"));
    model->chooseButton(QStringLiteral("覆盖"));
    EXPECT_EQ(result, true);
    EXPECT_EQ(TestDir::read(path), QByteArray("mine\n"));

    // Rewritten with what the document last wrote: the worker finds the
    // same content and the save goes ahead without asking.
    d->setText(QStringLiteral("again\n"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("mine\n");
    }
    result.reset();
    model->save(d, false, [&](bool ok) { result = ok; });
    ASSERT_TRUE(waitUntil([&] { return result.has_value(); }));
    EXPECT_EQ(result, true);
    EXPECT_FALSE(model->dialog());
    EXPECT_EQ(looks.load(), 2);
    EXPECT_FALSE(onMain.load());
    EXPECT_EQ(TestDir::read(path), QByteArray("again\n"));
}

TEST_F(CloseFlow, NextActive)
{
    DocPtr a = model->createDoc("a.txt", std::nullopt, {});
    DocPtr b = model->createDoc("b.txt", std::nullopt, {});
    DocPtr c = model->createDoc("c.txt", std::nullopt, {});
    DocPtr d = model->createDoc("d.txt", std::nullopt, {});
    model->activate(b);
    model->close(b);
    EXPECT_EQ(model->activeID(), c->id);  // right-hand neighbour
    model->close(d);
    EXPECT_EQ(model->activeID(), c->id);  // another one closed: the active one stays
    model->close(c);
    EXPECT_EQ(model->activeID(), a->id);  // was last: the new last one
    model->close(a);
    EXPECT_FALSE(model->activeID());
    EXPECT_TRUE(model->docs().isEmpty());
}

TEST_F(CloseFlow, DirtyAsksAndCancelKeepsDontSaveDropsSaveWrites)
{
    const QString path = file("d.txt", "disk");
    DocPtr d = model->open(path);
    DocPtr other = model->createDoc("o.txt", std::nullopt, {});
    d->setText("edited");
    std::optional<bool> result;
    model->close(d, [&](bool ok) { result = ok; });
    EXPECT_EQ(model->activeID(), d->id);
    ASSERT_TRUE(model->dialog());
    EXPECT_EQ(model->dialog()->title, QStringLiteral("是否保存对「d.txt」的修改？"));
    EXPECT_EQ(model->dialog()->message, QStringLiteral("不保存将丢失自上次保存以来的修改。"));
    EXPECT_EQ(buttonTitles(*model->dialog()), (QStringList{"不保存", "取消", "保存"}));
    model->chooseButton("取消");
    EXPECT_EQ(result, false);
    EXPECT_EQ(model->docs().size(), 2);
    model->close(d, [&](bool ok) { result = ok; });
    model->chooseButton("保存");
    settleSaves();
    EXPECT_EQ(result, true);
    EXPECT_EQ(TestDir::read(path), QByteArray("edited"));
    EXPECT_FALSE(model->doc(d->id));
    EXPECT_FALSE(model->isWatching(d->id));
    EXPECT_EQ(model->recent().value(0), path);

    const QString kept = file("k.txt", "disk");
    DocPtr k = model->open(kept);
    k->setText("edited");
    ASSERT_TRUE(BackupStore::write(*k));
    result.reset();
    model->close(k, [&](bool ok) { result = ok; });
    model->chooseButton("不保存");
    EXPECT_EQ(result, true);
    EXPECT_EQ(TestDir::read(kept), QByteArray("disk"));
    EXPECT_FALSE(BackupStore::exists(k->id));  // the edits are gone for good
    EXPECT_EQ(model->docs(), QList<DocPtr>{other});
    EXPECT_EQ(model->recent().mid(0, 2), (QStringList{kept, path}));
}

TEST_F(CloseFlow, RecentKeepsTenNewestWithoutDuplicates)
{
    QStringList paths;
    for (int i = 0; i < 11; ++i) {
        paths << file(QStringLiteral("f%1.txt").arg(i), "x");
        model->close(model->open(paths.last()));
    }
    ASSERT_EQ(model->recent().size(), 10);
    EXPECT_EQ(model->recent().first(), paths[10]);
    EXPECT_FALSE(model->recent().contains(paths[0]));
    model->close(model->open(paths[5]));
    EXPECT_EQ(model->recent().first(), paths[5]);
    EXPECT_EQ(model->recent().count(paths[5]), 1);
    EXPECT_EQ(relaunch()->load<QStringList>(AppModel::recentKey).value_or(QStringList{}).size(), 10);
}

TEST_F(QuitFlow, ThreeDirtyDocumentsAskInTurnAndCancelStops)
{
    const QString p1 = file("1.txt", "one");
    DocPtr d1 = model->open(p1);
    DocPtr d2 = model->open(file("2.txt", "two"));
    DocPtr clean = model->open(file("c.txt", "c"));
    DocPtr d3 = model->open(file("3.txt", "three"));
    for (const DocPtr& d : {d1, d2, d3})
        d->setText(d->text() + "!");
    std::optional<bool> result;
    model->confirmQuit([&](bool ok) { result = ok; });
    ASSERT_TRUE(model->dialog());
    EXPECT_EQ(model->dialog()->title, QStringLiteral("是否保存对「1.txt」的修改？"));
    EXPECT_EQ(model->dialog()->message,
              QStringLiteral("暂留：不写入文件，下次打开 Lorvane 时恢复这些修改。\n之后还有 2 个未保存文件。"));
    EXPECT_EQ(buttonTitles(*model->dialog()), (QStringList{"不保存", "取消", "暂留", "保存"}));
    EXPECT_EQ(model->activeID(), d1->id);
    model->chooseButton("保存");
    settleSaves();
    EXPECT_EQ(TestDir::read(p1), QByteArray("one!"));
    EXPECT_EQ(model->dialog()->title, QStringLiteral("是否保存对「2.txt」的修改？"));
    EXPECT_TRUE(model->dialog()->message.endsWith(QStringLiteral("之后还有 1 个未保存文件。")));
    model->chooseButton("取消");
    EXPECT_EQ(result, false);
    EXPECT_FALSE(model->dialog());
    EXPECT_FALSE(model->quitting());
    EXPECT_TRUE(model->isWatching(d2->id));

    model->confirmQuit([&](bool ok) { result = ok; });
    model->chooseButton("不保存");
    EXPECT_EQ(model->dialog()->message, QStringLiteral("暂留：不写入文件，下次打开 Lorvane 时恢复这些修改。"));
    model->chooseButton("不保存");
    EXPECT_EQ(result, true);
    EXPECT_TRUE(model->quitting());
    EXPECT_EQ(model->docs().size(), 4);

    // Saving a never-saved one whose panel is cancelled cancels the quit.
    auto next = relaunch();
    next->createDoc("n.txt", std::nullopt, {})->setText("x");
    next->confirmQuit([&](bool ok) { result = ok; });
    next->chooseButton("保存");
    EXPECT_EQ(result, false);
    EXPECT_EQ(chooser.asked.size(), 1);
    EXPECT_FALSE(next->quitting());
}

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
    EXPECT_EQ(TestDir::read(b), QByteArray("b on disk"));  // kept for later, not written

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
