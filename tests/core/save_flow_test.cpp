#include "Workspace.h"

#include <QFile>

namespace {

QByteArray contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Chooses the button with this title on the dialog on screen.
bool answer(AppModel& m, const QString& title)
{
    if (!m.dialog())
        return false;
    for (const auto& b : m.dialog()->buttons)
        if (b.title == title) {
            m.dismissDialog(b.action);
            return true;
        }
    return false;
}

}

class SaveFlow : public WorkspaceTest {};

TEST_F(SaveFlow, InPlaceSaveKeepsEncodingAndCleansTheDocument)
{
    const QString path = file(QStringLiteral("a.txt"),
                              TextEncoding(TextEncoding::gb18030).encode(QStringLiteral("旧\r\n")).value());
    DocPtr d = model->open(path);
    ASSERT_TRUE(d);
    d->setText(QStringLiteral("新\n"));
    ASSERT_TRUE(BackupStore::write(*d));
    std::optional<bool> result;
    model->save(d, false, [&](bool ok) { result = ok; });
    settleSaves();
    EXPECT_EQ(result, true);
    EXPECT_FALSE(d->isDirty());
    EXPECT_EQ(contents(path), TextEncoding(TextEncoding::gb18030).encode(QStringLiteral("新\r\n")).value());
    EXPECT_FALSE(BackupStore::exists(d->id));
    EXPECT_EQ(model->toast(), QStringLiteral("已保存 a.txt · ") + TextEncoding(TextEncoding::gb18030).rawValue());
}

TEST_F(SaveFlow, UntitledGoesThroughThePanelAndTakesTheFileName)
{
    DocPtr d = model->createDoc(QString(), QStringLiteral("json"), {});
    d->setText(QStringLiteral("{}"));
    std::optional<bool> result;
    chooser.saveTarget = std::nullopt;
    model->save(d, false, [&](bool ok) { result = ok; });
    EXPECT_EQ(result, false);
    EXPECT_FALSE(d->url());

    chooser.saveTarget = files.path(QStringLiteral("配置.json"));
    model->save(d, false, [&](bool ok) { result = ok; });
    EXPECT_EQ(result, true);
    EXPECT_EQ(d->url(), chooser.saveTarget);
    EXPECT_EQ(d->name(), QStringLiteral("配置.json"));
    EXPECT_EQ(contents(*chooser.saveTarget), QByteArray("{}"));
    EXPECT_EQ(model->toast(), QStringLiteral("已另存为 配置.json"));
}

TEST_F(SaveFlow, AFailedWriteAlertsAndReportsFalse)
{
    DocPtr d = model->createDoc(QStringLiteral("x.md"), std::nullopt, {});
    d->setText(QStringLiteral("t"));
    chooser.saveTarget = files.path(QStringLiteral("no/such/dir/x.md"));
    std::optional<bool> result;
    model->save(d, false, [&](bool ok) { result = ok; });
    EXPECT_EQ(result, false);
    ASSERT_TRUE(model->dialog());
    EXPECT_EQ(model->dialog()->title, QStringLiteral("保存失败"));
    EXPECT_TRUE(d->isDirty());
}

TEST_F(SaveFlow, ClosingADirtyDocumentAsksAndRemoveKeepsRecentAndActive)
{
    const QString a = file(QStringLiteral("a.txt"), "a"), b = file(QStringLiteral("b.txt"), "b"),
                  c = file(QStringLiteral("c.txt"), "c");
    DocPtr da = model->open(a), db = model->open(b), dc = model->open(c);
    model->setActiveID(db->id);
    db->setText(QStringLiteral("changed"));
    std::optional<bool> closed;
    model->close(db, [&](bool ok) { closed = ok; });
    ASSERT_TRUE(model->dialog());
    EXPECT_EQ(model->dialog()->title, QStringLiteral("是否保存对「b.txt」的修改？"));
    ASSERT_TRUE(answer(*model, QStringLiteral("取消")));
    EXPECT_EQ(closed, false);
    EXPECT_EQ(model->docs().size(), 3);

    model->close(db, [&](bool ok) { closed = ok; });
    ASSERT_TRUE(answer(*model, QStringLiteral("不保存")));
    EXPECT_EQ(closed, true);
    EXPECT_EQ(model->docs(), QList<DocPtr>({da, dc}));
    EXPECT_EQ(model->activeID(), dc->id);  // the one now at the same position
    EXPECT_EQ(model->recent().value(0), b);
    EXPECT_EQ(contents(b), QByteArray("b"));

    model->close(dc);
    EXPECT_EQ(model->activeID(), da->id);
    model->close(da);
    EXPECT_FALSE(model->activeID());
    EXPECT_EQ(model->recent().mid(0, 3), QStringList({a, c, b}));
}

TEST_F(SaveFlow, QuitAsksPerDirtyDocumentAndKeepsSnapshotsForLater)
{
    DocPtr one = model->createDoc(QStringLiteral("一.md"), std::nullopt, {});
    DocPtr two = model->createDoc(QStringLiteral("二.md"), std::nullopt, {});
    DocPtr clean = model->open(file(QStringLiteral("clean.txt"), "x"));
    one->setText(QStringLiteral("1"));
    two->setText(QStringLiteral("2"));
    std::optional<bool> quit;
    model->confirmQuit([&](bool ok) { quit = ok; });
    ASSERT_TRUE(model->dialog());
    EXPECT_EQ(model->dialog()->message,
              QStringLiteral("暂留：不写入文件，下次打开 Lorvane 时恢复这些修改。\n之后还有 1 个未保存文件。"));
    EXPECT_EQ(model->activeID(), one->id);
    ASSERT_TRUE(answer(*model, QStringLiteral("暂留")));
    ASSERT_TRUE(model->dialog());
    EXPECT_EQ(model->dialog()->message, QStringLiteral("暂留：不写入文件，下次打开 Lorvane 时恢复这些修改。"));
    ASSERT_TRUE(answer(*model, QStringLiteral("不保存")));
    EXPECT_EQ(quit, true);
    EXPECT_TRUE(model->quitting());
    EXPECT_TRUE(BackupStore::exists(one->id));
    EXPECT_FALSE(BackupStore::exists(two->id));
    EXPECT_FALSE(BackupStore::exists(clean->id));
    EXPECT_EQ(model->docs().size(), 3);

    // Cancelling stops at once and changes nothing.
    auto again = relaunch();
    DocPtr d = again->createDoc(QStringLiteral("三.md"), std::nullopt, {});
    d->setText(QStringLiteral("3"));
    std::optional<bool> second;
    again->confirmQuit([&](bool ok) { second = ok; });
    ASSERT_TRUE(answer(*again, QStringLiteral("取消")));
    EXPECT_EQ(second, false);
    EXPECT_FALSE(again->quitting());
    EXPECT_FALSE(again->dialog());
}

TEST_F(SaveFlow, DialogsQueueAndEscapeClosesOneThingAtATime)
{
    model->alert(QStringLiteral("一"), QString());
    model->alert(QStringLiteral("二"), QString());
    EXPECT_EQ(model->dialog()->title, QStringLiteral("一"));
    // An action that raises a dialog puts it on screen before the queued one.
    model->dismissDialog([&] { model->alert(QStringLiteral("三"), QString()); });
    EXPECT_EQ(model->dialog()->title, QStringLiteral("三"));
    model->dismissDialog({});
    EXPECT_EQ(model->dialog()->title, QStringLiteral("二"));
    model->dismissDialog({});
    EXPECT_FALSE(model->dialog());

    model->createDoc(QStringLiteral("a.md"), std::nullopt, {});
    model->openFind(false);
    model->toggle(Popup::eol());
    model->setIsFullScreen(true);
    model->escape();
    EXPECT_FALSE(model->popup());
    EXPECT_TRUE(model->findVisible());
    model->escape();
    EXPECT_FALSE(model->findVisible());
    EXPECT_TRUE(model->isFullScreen());
    model->escape();
    EXPECT_FALSE(model->isFullScreen());
    model->toggle(Popup::format());
    model->toggle(Popup::format());
    EXPECT_FALSE(model->popup());
}

TEST_F(SaveFlow, GroupsFollowTagsAndOrderingStaysWithinPeers)
{
    EXPECT_EQ(model->groups().size(), 1);
    EXPECT_EQ(model->groups()[0].name, QStringLiteral("未分组"));
    model->setTags({Tag{"w", QStringLiteral("工作"), 3}, Tag{"l", QStringLiteral("生活"), 0}});
    DocPtr a = model->createDoc("a.md", std::nullopt, {}), b = model->createDoc("b.md", std::nullopt, {"w"}),
           c = model->createDoc("c.md", std::nullopt, {}), d = model->createDoc("d.md", std::nullopt, {"w"});
    auto g = model->groups();
    ASSERT_EQ(g.size(), 2);
    EXPECT_EQ(g[0].id, QStringLiteral("w"));
    EXPECT_EQ(g[0].color, 3);
    EXPECT_EQ(g[0].docs, QList<DocPtr>({b, d}));
    EXPECT_EQ(g[1].docs, QList<DocPtr>({a, c}));

    model->step(c, -1);  // swaps with a, skipping b between them
    EXPECT_EQ(model->docs(), QList<DocPtr>({c, b, a, d}));
    model->step(c, -1);
    EXPECT_EQ(model->docs(), QList<DocPtr>({c, b, a, d}));
    model->move(d->id, b->id);
    EXPECT_EQ(model->docs(), QList<DocPtr>({c, d, b, a}));
    model->move(c->id, std::nullopt);
    EXPECT_EQ(model->docs(), QList<DocPtr>({d, b, a, c}));
    model->move(c->id, c->id);
    EXPECT_EQ(model->docs(), QList<DocPtr>({d, b, a, c}));

    model->toggleTag("w", a);
    model->toggleTag("l", a);
    EXPECT_EQ(a->tags(), QStringList({"w", "l"}));
    model->toggleTag("w", a);
    EXPECT_EQ(a->tags(), QStringList({"l"}));
    model->toggleTag("l", c);
    EXPECT_EQ(model->groups().size(), 2);  // all tagged: no untagged group
    model->toggleTag("l", c);
    EXPECT_EQ(model->groups().back().docs, QList<DocPtr>({c}));
}

// Whether the file changed since it was opened is settled on a worker when
// only its content can tell (the stamp is too recent to trust): saving
// returns at once, and a change by another program still stops the write.
TEST_F(SaveFlow, TheLookAtTheFileBeforeWritingRunsOnAWorker)
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
        ~Unhook() { AppModel::setDiskCheckHook({}); }
    } unhook;
    AppModel::setDiskCheckHook([&] {
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
    EXPECT_EQ(contents(path), QByteArray("theirs\n"));
    model->chooseButton(QStringLiteral("覆盖"));
    EXPECT_EQ(result, true);
    EXPECT_EQ(contents(path), QByteArray("mine\n"));

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
    EXPECT_EQ(contents(path), QByteArray("again\n"));
}
