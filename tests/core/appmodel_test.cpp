#include "Workspace.h"

#include <QSignalSpy>
#include <unistd.h>

using AppModelState = WorkspaceTest;
using Opening = WorkspaceTest;
using Creating = WorkspaceTest;

TEST_F(AppModelState, DocumentIdsStayUniqueAndAnUnknownOneIsNoActiveDocument)
{
    DocPtr a = model->createDoc(QString(), std::nullopt, {});
    model->appendDoc(a);
    EXPECT_FALSE(model->documents().insert(0, a));
    EXPECT_EQ(model->docs().size(), 1);
    model->setActiveID(QUuid::createUuid());
    EXPECT_EQ(model->active(), nullptr);
}

// A file is one document whatever name it is opened by.
TEST_F(Opening, AnyNameOfAnOpenFileActivatesItsDocument)
{
    const QString real = file(QStringLiteral("real.txt"), "one file\n");
    DocPtr d = model->open(real);
    ASSERT_TRUE(d);
    DocPtr o = model->open(file(QStringLiteral("other.txt"), "one file\n"));
    ASSERT_TRUE(o);
    EXPECT_NE(o, d);  // same content, different file: two documents
    ASSERT_TRUE(QDir().mkpath(files.path(QStringLiteral("sub"))));
    const QString symlink = real + QStringLiteral(".link"), hard = real + QStringLiteral(".hard");
    ASSERT_TRUE(QFile::link(real, symlink));
    ASSERT_EQ(::link(QFile::encodeName(real).constData(), QFile::encodeName(hard).constData()), 0);
    for (const QString& name : {files.path(QStringLiteral("sub/../real.txt")), symlink, hard}) {
        SCOPED_TRACE(name.toStdString());
        model->activate(o);
        EXPECT_EQ(model->open(name), d);
        EXPECT_EQ(model->activeID(), d->id);
        EXPECT_EQ(model->docs().size(), 2);
    }
    // The document keeps the name it was opened by first.
    EXPECT_EQ(d->url(), AppModel::standardPath(real));
    EXPECT_EQ(d->url(), real);
}

TEST_F(Opening, KeepsOnlyExistingTagsAndLeavesRecent)
{
    const QString path = file(QStringLiteral("t.txt"), "x");
    const QString other = file(QStringLiteral("o.txt"), "y");
    model->setTags(AppModel::builtInTags());
    model->store(AppModel::fileTagsKey, QMap<QString, QStringList>{{path, {"ops", "deleted", "work"}}});
    model->setRecent({other, path, QStringLiteral("/elsewhere"), path});
    DocPtr d = model->open(path);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->tags(), (QStringList{"ops", "work"}));
    EXPECT_EQ(model->recent(), (QStringList{other, QStringLiteral("/elsewhere")}));
    EXPECT_EQ(model->active(), d);
    // Opening wrote the recent list and the session.
    EXPECT_EQ(model->load<QStringList>(AppModel::recentKey), model->recent());
    EXPECT_EQ(model->ud().string(AppModel::activePathKey), path);
    EXPECT_TRUE(model->isWatching(d->id));
}

TEST_F(Opening, FailuresAlertUnlessQuiet)
{
    model->setRecent({QStringLiteral("/r")});
    EXPECT_FALSE(model->open(files.path(QStringLiteral("nope.txt")), true));
    EXPECT_FALSE(model->dialog());
    EXPECT_FALSE(model->open(files.path(QStringLiteral("nope.txt"))));
    ASSERT_TRUE(model->dialog());
    EXPECT_EQ(model->dialog()->title, QStringLiteral("无法打开 nope.txt"));
    EXPECT_FALSE(model->dialog()->message.isEmpty());
    ASSERT_EQ(model->dialog()->buttons.size(), 1);
    EXPECT_EQ(model->dialog()->buttons[0].title, QStringLiteral("好"));
    EXPECT_EQ(model->dialog()->buttons[0].role, Dialog::Role::primary);
    EXPECT_TRUE(model->docs().isEmpty());
    EXPECT_EQ(model->recent(), QStringList{"/r"});
}

TEST_F(Opening, PanelOpensEachChoiceOnceAndGoesOnAfterAFailure)
{
    const QString a = file(QStringLiteral("a.txt"), "a");
    const QString b = file(QStringLiteral("b.txt"), "b");
    chooser.toOpen = {a, files.path(QStringLiteral("missing.txt")), a, b};
    model->openPanel();
    EXPECT_EQ(chooser.opened, 1);
    ASSERT_EQ(model->docs().size(), 2);
    EXPECT_EQ(model->docs()[0]->name(), QStringLiteral("a.txt"));
    EXPECT_EQ(model->docs()[1]->name(), QStringLiteral("b.txt"));
    EXPECT_TRUE(model->dialog());
    chooser.toOpen.clear();
    model->openPanel();
    EXPECT_EQ(model->docs().size(), 2);
}

TEST_F(Opening, RecentEntryOfAVanishedFileIsDropped)
{
    const QString gone = files.path(QStringLiteral("gone.txt"));
    const QString there = file(QStringLiteral("there.txt"), "t");
    model->setRecent({gone, there, gone});
    model->openRecent(gone);
    EXPECT_EQ(model->recent(), QStringList{there});
    EXPECT_EQ(model->toast(), QStringLiteral("文件已不存在，已从最近列表移除"));
    EXPECT_EQ(model->load<QStringList>(AppModel::recentKey), QStringList{there});
    model->openRecent(there);
    EXPECT_TRUE(model->recent().isEmpty());
    EXPECT_EQ(model->docs().size(), 1);
}

TEST_F(Opening, DiskVersionReplacesTextAndClearsTheSnapshot)
{
    const QString path = file(QStringLiteral("d.txt"), "disk 1");
    DocPtr d = model->open(path);
    d->setText(QStringLiteral("edited"));
    d->setOriginalName(QStringLiteral("old.txt"));
    d->setMetaDirty(true);
    BackupStore::write(*d);
    file(QStringLiteral("d.txt"), "disk 2");
    model->loadDiskVersion(d);
    EXPECT_EQ(d->text(), QStringLiteral("disk 2"));
    EXPECT_FALSE(d->isDirty());
    EXPECT_FALSE(BackupStore::exists(d->id));
    EXPECT_EQ(editor.calls, QStringList{"load d.txt"});

    QFile::remove(path);
    model->loadDiskVersion(d);
    EXPECT_EQ(model->dialog()->title, QStringLiteral("无法读取磁盘版本"));
    EXPECT_EQ(d->text(), QStringLiteral("disk 2"));
}

TEST_F(Creating, BlankOrPlaceholderNamesAreAutoNamedOthersKept)
{
    for (const QString& name :
         {QString(), QStringLiteral(" \t "), QStringLiteral("未命名"), QStringLiteral("未命名.txt")}) {
        DocPtr d = model->createDoc(name, QStringLiteral("json"), {});
        EXPECT_EQ(d->name(), QStringLiteral("未命名.json")) << name.toStdString();
        EXPECT_EQ(d->autoExt(), QStringLiteral("json"));
        EXPECT_EQ(d->text(), QStringLiteral("{\n  \n}\n"));
        EXPECT_EQ(model->active(), d);
    }
    // Usable names are kept as typed; a hidden-file name has a base name of its own.
    EXPECT_EQ(model->createDoc(QStringLiteral(".json"), QStringLiteral("json"), {})->name(), QStringLiteral(".json"));

    DocPtr notes = model->createDoc(QStringLiteral("  notes "), QStringLiteral("markdown"), {QStringLiteral("write")});
    EXPECT_EQ(notes->name(), QStringLiteral("notes"));
    EXPECT_FALSE(notes->autoExt());
    EXPECT_EQ(notes->tags(), QStringList{"write"});
    EXPECT_FALSE(notes->url());

    DocPtr unknown = model->createDoc(QString(), QStringLiteral("cobol"), {});
    EXPECT_EQ(unknown->name(), QStringLiteral("未命名"));
    EXPECT_EQ(unknown->autoExt(), QString());
    EXPECT_TRUE(unknown->text().isEmpty());
    EXPECT_FALSE(unknown->isDirty());

    // Creating writes no session; the first change will.
    EXPECT_FALSE(model->ud().contains(AppModel::sessionKey));
    EXPECT_EQ(model->docs().size(), 7);
}
