#include "Workspace.h"

// A session whose large files and snapshots are read off the main thread:
// the small documents are there at once, the large ones come in their places.
using SessionLater = WorkspaceTest;

namespace {

// Over the size that is read on the loader thread.
QByteArray large(const char* line)
{
    QByteArray out;
    while (out.size() <= DocumentManager::backgroundOpenBytes)
        out += line;
    return out;
}

struct Places : RecordingEditorLink {
    QHash<QString, EditorPlace> given;
    void restorePlace(const DocPtr& d, const EditorPlace& p) override { given.insert(d->name(), p); }
};

}

TEST_F(SessionLater, LargeItemsArriveInTheirPlacesAndTheSessionKeepsThemMeanwhile)
{
    const QString a = file(QStringLiteral("a.txt"), "A");
    const QString big = file(QStringLiteral("big.log"), large("第一行 line\n"));
    const QString drafted = file(QStringLiteral("drafted.log"), "on disk\n");
    const QString blob = file(QStringLiteral("blob.bin"), QByteArray(DocumentManager::backgroundOpenBytes + 1, '\0'));
    const QString b = file(QStringLiteral("b.txt"), "B");
    // An unsaved edit of a small file, large only as a snapshot.
    DocPtr draft = Doc::open(drafted).value();
    const QString edited = QString::fromUtf8(large("编辑过的 edited\n"));
    draft->setText(edited);
    ASSERT_TRUE(BackupStore::write(*draft));
    const QList<SessionItem> session{
        {a, std::nullopt}, {big, std::nullopt, 9, 4, 2}, {drafted, draft->id}, {blob, std::nullopt}, {b, std::nullopt}};
    model->store(AppModel::sessionKey, session);
    model->ud().setString(AppModel::activePathKey, big);
    model->store(AppModel::recentKey, QStringList{big, a});
    Places places;
    model->setEditorLink(&places);

    model->restore();
    EXPECT_EQ(names(model->docs()), (QStringList{"a.txt", "b.txt"}));
    EXPECT_EQ(model->filesLoading(), 3);
    EXPECT_EQ(model->active(), model->docs().first());
    EXPECT_EQ(model->toast(), QStringLiteral("已恢复未保存的修改"));
    // Written now, the session still lists them, and the active one.
    model->persistSession();
    EXPECT_EQ(model->load<QList<SessionItem>>(AppModel::sessionKey), session);
    EXPECT_EQ(model->ud().string(AppModel::activePathKey), big);

    ASSERT_TRUE(waitUntil([&] { return model->filesLoading() == 0; }));
    // The binary file is left out quietly, as at once.
    EXPECT_EQ(names(model->docs()), (QStringList{"a.txt", "big.log", "drafted.log", "b.txt"}));
    EXPECT_FALSE(model->dialog());
    EXPECT_EQ(model->active(), model->docs()[1]);
    EXPECT_EQ(model->docs()[1]->text().size(), QString::fromUtf8(large("第一行 line\n")).size());
    EXPECT_FALSE(model->docs()[1]->isDirty());
    EXPECT_EQ(model->docs()[2]->id, draft->id);
    EXPECT_EQ(model->docs()[2]->text(), edited);
    EXPECT_TRUE(model->docs()[2]->isDirty());
    EXPECT_EQ(places.given, (QHash<QString, EditorPlace>{{QStringLiteral("big.log"), EditorPlace{9, 4, 2}}}));
    for (const DocPtr& d : model->docs())
        EXPECT_TRUE(model->isWatching(d->id)) << d->name().toStdString();
    EXPECT_EQ(model->recent(), QStringList{});
    model->setEditorLink(nullptr);
}

TEST_F(SessionLater, WhatTheUserOpensOrChoosesMeanwhileWins)
{
    const QString a = file(QStringLiteral("a.txt"), "A");
    const QString b = file(QStringLiteral("b.txt"), "B");
    const QString big = file(QStringLiteral("big.log"), large("line\n"));
    model->store(AppModel::sessionKey, QList<SessionItem>{{a, std::nullopt}, {b, std::nullopt}, {big, std::nullopt}});

    // Chosen while it was read: the choice stays.
    model->ud().setString(AppModel::activePathKey, big);
    model->restore();
    model->activate(model->docs()[1]);
    model->persistSession();
    EXPECT_EQ(model->ud().string(AppModel::activePathKey), b);
    ASSERT_TRUE(waitUntil([&] { return model->filesLoading() == 0; }));
    EXPECT_EQ(names(model->docs()), (QStringList{"a.txt", "b.txt", "big.log"}));
    EXPECT_EQ(model->active(), model->docs()[1]);

    // Named again on the command line while it is read: read once, then shown.
    model = relaunch();
    model->ud().setString(AppModel::activePathKey, a);
    model->restore();
    model->openFiles({big});
    EXPECT_EQ(model->filesLoading(), 1);
    ASSERT_TRUE(waitUntil([&] { return model->filesLoading() == 0; }));
    EXPECT_EQ(names(model->docs()), (QStringList{"a.txt", "b.txt", "big.log"}));
    EXPECT_EQ(model->active(), model->docs()[2]);
}
