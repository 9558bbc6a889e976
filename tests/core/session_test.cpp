#include "Workspace.h"

#include <QFile>
#include <functional>

using Session = WorkspaceTest;

namespace {

DocSnapshot snapshot(const QString& text, std::optional<QString> path = std::nullopt)
{
    DocSnapshot s;
    s.id = QUuid::createUuid();
    s.path = std::move(path);
    s.name = QStringLiteral("草稿.txt");
    s.text = text;
    s.savedAt = QDateTime::currentDateTimeUtc();
    return s;
}

// Writes a snapshot file as a previous run would have left it.
QUuid leave(const DocSnapshot& s, int ageSeconds = 0)
{
    DocPtr d = Doc::restore(s);
    EXPECT_TRUE(BackupStore::write(*d));
    QFile f(BackupStore::fileFor(s.id));
    f.open(QIODevice::ReadWrite);
    f.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-ageSeconds), QFileDevice::FileModificationTime);
    return s.id;
}

QStringList texts(const AppModel& m)
{
    QStringList out;
    for (const DocPtr& d : m.docs())
        out << d->text();
    return out;
}

}

TEST_F(Session, PersistedValuesComeBack)
{
    int applied = 0;
    model->setApplySettingsHook([&](const Settings&) { ++applied; });
    model->setTags({{"t1", "甲", 4}});
    model->setRecent({QStringLiteral("/x/a.md")});
    model->setCollapsed({QStringLiteral("t1"), QStringLiteral("recent")});
    const Settings dark = [] {
        Settings s;
        s.appearance = 2;
        s.scheme = QStringLiteral("ink");
        s.fontSize = 16;
        s.fontFamily = QStringLiteral("Noto Sans Mono");
        s.showWhitespace = true;
        s.hanDoubleWidth = true;
        s.remoteImages = true;
        s.wraps.insert(QStringLiteral("yaml"), true);
        return s;
    }();
    model->setSettings(dark);  // applies and persists
    EXPECT_EQ(applied, 1);
    model->setSettings(dark);
    EXPECT_EQ(applied, 1);

    model = relaunch();
    Settings seen;
    model->setApplySettingsHook([&](const Settings& s) {
        seen = s;
        ++applied;
    });
    model->restore();
    EXPECT_EQ(model->tags(), (QList<Tag>{{"t1", "甲", 4}}));
    EXPECT_EQ(model->recent(), QStringList{"/x/a.md"});
    EXPECT_EQ(model->collapsed(), (QSet<QString>{"t1", "recent"}));
    EXPECT_EQ(model->settings(), dark);
    EXPECT_EQ(seen, dark);
    EXPECT_EQ(applied, 3);  // the rule, then once more
}

TEST_F(Session, UnreadableValuesFallBack)
{
    model->ud().setBlob(AppModel::settingsKey, R"({"appearance":1,"scheme":"x","fontSize":"20"})");
    model->ud().setBlob(AppModel::tagsKey, "[{\"id\":1}]");
    model->ud().setString(AppModel::recentKey, QStringLiteral("[\"/a\"]"));  // a string, not a blob
    model->restore();
    EXPECT_EQ(model->settings(), Settings{});
    EXPECT_EQ(model->tags(), AppModel::builtInTags());
    EXPECT_TRUE(model->recent().isEmpty());
}

TEST_F(Session, PersistSessionListsFilesAndSnapshots)
{
    const QString clean = file(QStringLiteral("clean.txt"), "c");
    const QString dirty = file(QStringLiteral("dirty.txt"), "d");
    DocPtr a = model->open(clean);
    DocPtr b = model->open(dirty);
    model->createDoc(QString(), std::nullopt, {});
    b->setText(QStringLiteral("d2"));
    BackupStore::write(*b);
    model->activate(a);
    model->persistSession();
    EXPECT_EQ(model->load<QList<SessionItem>>(AppModel::sessionKey),
              (QList<SessionItem>{{clean, std::nullopt}, {dirty, b->id}}));
    EXPECT_EQ(model->ud().string(AppModel::activePathKey), clean);
    model->activate(model->docs().last());
    model->persistSession();
    EXPECT_FALSE(model->ud().contains(AppModel::activePathKey));
}

TEST_F(Session, RestoresSessionThenLeftOversOldestFirst)
{
    const QString one = file(QStringLiteral("one.txt"), "one on disk");
    const QString two = file(QStringLiteral("two.txt"), "two on disk");
    DocSnapshot twoEdited = snapshot(QStringLiteral("two edited"), two);
    leave(twoEdited, 50);
    const QUuid newer = leave(snapshot(QStringLiteral("left over, newer")), 10);
    const QUuid older = leave(snapshot(QStringLiteral("left over, older")), 100);
    // Also left over, but its file is already open from the session.
    const QUuid duplicate = leave(snapshot(QStringLiteral("stale copy of one"), one), 200);
    model->store(AppModel::sessionKey, QList<SessionItem>{{one, std::nullopt}, {two, twoEdited.id}});
    model->ud().setString(AppModel::activePathKey, two);

    model->restore();
    EXPECT_EQ(texts(*model), (QStringList{"one on disk", "two edited", "left over, older", "left over, newer"}));
    EXPECT_EQ(model->docs()[1]->id, twoEdited.id);
    EXPECT_EQ(model->docs()[2]->id, older);
    EXPECT_EQ(model->docs()[3]->id, newer);
    EXPECT_TRUE(model->docs()[1]->isDirty());
    EXPECT_EQ(model->active(), model->docs()[1]);
    EXPECT_EQ(model->toast(), QStringLiteral("已恢复未保存的修改"));
    for (const DocPtr& d : model->docs())
        EXPECT_TRUE(model->isWatching(d->id));
    // Restoring deletes no snapshot, not even the skipped one.
    EXPECT_TRUE(BackupStore::exists(duplicate));
    EXPECT_EQ(BackupStore::allIDs().size(), 4);

    // The active-document subscription writes the settled session next turn.
    EXPECT_TRUE(waitUntil([&] {
        return model->load<QList<SessionItem>>(AppModel::sessionKey).value_or(QList<SessionItem>{}).size() == 4;
    }));
}

// What a session names that cannot be had is left out quietly; the first
// document is active unless the active path is one of those opened.
TEST_F(Session, WhatCannotBeReadIsLeftOutAndTheFirstIsActive)
{
    const QString a = file(QStringLiteral("a.txt"), "A");
    const QString b = file(QStringLiteral("b.txt"), "B");
    const QString gone = files.path(QStringLiteral("gone.txt"));
    const struct {
        const char* what;
        std::function<void()> store;
        QStringList texts;
    } cases[] = {
        {"the older form of plain paths",
         [&] {
             model->store(AppModel::sessionKey, QStringList{b, gone, a});
         },
         {"B", "A"}},
        {"a file that became a picture",
         [&] {
             const QString picture = file(
                 QStringLiteral("was.txt"),
                 QByteArray::fromBase64("iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR4"
                                        "2mP8z8BQDwAEhQGAhKmMIQAAAABJRU5ErkJggg=="));
             model->store(AppModel::sessionKey, QList<SessionItem>{{picture, std::nullopt}, {a, std::nullopt}});
         },
         {"A"}},
        {"a missing snapshot",
         [&] {
             model->store(AppModel::sessionKey, QList<SessionItem>{{a, QUuid::createUuid()}});
         },
         {"A"}},
        {"an active path not in the session",
         [&] {
             model->store(AppModel::sessionKey, QList<SessionItem>{{a, std::nullopt}, {b, std::nullopt}});
             model->ud().setString(AppModel::activePathKey, gone);
         },
         {"A", "B"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        model = relaunch();
        c.store();
        model->restore();
        EXPECT_EQ(texts(*model), c.texts);
        EXPECT_FALSE(model->docs().first()->isDirty());
        EXPECT_EQ(model->active(), model->docs().first());
        EXPECT_FALSE(model->dialog());
        EXPECT_FALSE(model->toast());
    }
}

TEST_F(Session, UnreadableLeftOverSnapshotsStayOnDisk)
{
    const QUuid bad = QUuid::createUuid();
    QFile f(BackupStore::fileFor(bad));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(R"({"id":"truncated)");
    f.close();
    model->restore();
    EXPECT_TRUE(model->docs().isEmpty());
    BackupStore::waitForWrites();
    nextTurn();
    EXPECT_EQ(TestDir::read(BackupStore::fileFor(bad)), QByteArray(R"({"id":"truncated)"));
}

TEST_F(Session, EditsSurviveARestartThroughTheWatcher)
{
    const QString path = file(QStringLiteral("notes.md"), "# 笔记\n");
    DocPtr saved = model->open(path);
    saved->setText(QStringLiteral("# 笔记\n新的一行\n"));
    DocPtr fresh = model->createDoc(QString(), QStringLiteral("markdown"), {QStringLiteral("work")});
    fresh->setText(QStringLiteral("# 计划\n"));
    model->setTags(AppModel::builtInTags());
    ASSERT_TRUE(waitUntil([&] {
        return BackupStore::exists(saved->id) && BackupStore::exists(fresh->id)
            && model->load<QList<SessionItem>>(AppModel::sessionKey).value_or(QList<SessionItem>{}).size() == 2;
    }));
    const QUuid freshID = fresh->id;
    saved.reset();
    fresh.reset();

    model = relaunch();
    model->restore();
    ASSERT_EQ(model->docs().size(), 2);
    EXPECT_EQ(model->docs()[0]->text(), QStringLiteral("# 笔记\n新的一行\n"));
    EXPECT_TRUE(model->docs()[0]->isDirty());
    EXPECT_EQ(model->docs()[1]->id, freshID);
    EXPECT_EQ(model->docs()[1]->name(), QStringLiteral("计划.md"));
    EXPECT_EQ(model->docs()[1]->autoExt(), QStringLiteral("md"));
    EXPECT_EQ(model->docs()[1]->tags(), QStringList{"work"});
    // Naming carries on after the restart.
    model->docs()[1]->setText(QStringLiteral("# 新计划\n"));
    EXPECT_EQ(model->docs()[1]->name(), QStringLiteral("新计划.md"));
}

TEST_F(Session, EditorPlacesTravelWithTheSessionAndOldSessionsStillLoad)
{
    struct Places : RecordingEditorLink {
        QHash<QString, EditorPlace> given;
        std::optional<EditorPlace> place(const DocPtr& d) override
        {
            return d->name() == QStringLiteral("a.txt") ? std::optional(EditorPlace{40, 31, 7}) : std::nullopt;
        }
        void restorePlace(const DocPtr& d, const EditorPlace& p) override { given.insert(d->name(), p); }
    };
    const QString a = file(QStringLiteral("a.txt"), "a");
    const QString b = file(QStringLiteral("b.txt"), "b");
    Places first;
    model->setEditorLink(&first);
    model->open(a);
    model->open(b);
    model->persistSession();
    model->setEditorLink(nullptr);

    model = relaunch();
    Places second;
    model->setEditorLink(&second);
    model->restore();
    EXPECT_EQ(model->docs().size(), 2);
    EXPECT_EQ(second.given, (QHash<QString, EditorPlace>{{QStringLiteral("a.txt"), EditorPlace{40, 31, 7}}}));
    model->setEditorLink(nullptr);

    // Older sessions: without places, without columns (the caret comes back
    // at the line's start), with a damaged place.
    const QString c = file(QStringLiteral("c.txt"), "c");
    const QString d = file(QStringLiteral("d.txt"), "d");
    model = relaunch();
    model->ud().setBlob(
        AppModel::sessionKey,
        QStringLiteral(R"([{"path":"%1","caretLine":3,"topLine":1},{"path":"%2","caretLine":2,)"
                       R"("caretColumn":"x"},{"path":"%3"},{"path":"%4","caretLine":"x","topLine":-4}])")
            .arg(a, b, c, d)
            .toUtf8());
    Places fourth;
    model->setEditorLink(&fourth);
    model->restore();
    EXPECT_EQ(model->docs().size(), 4);
    EXPECT_EQ(fourth.given,
              (QHash<QString, EditorPlace>{{QStringLiteral("a.txt"), EditorPlace{3, 1, 0}},
                                           {QStringLiteral("b.txt"), EditorPlace{2, 2, 0}}}));
    model->setEditorLink(nullptr);
}
