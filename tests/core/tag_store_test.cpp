#include "TestFiles.h"
#include "core/DocumentModel.h"
#include "core/Preferences.h"
#include "core/StoredValue.h"
#include "core/TagStore.h"

#include <QSignalSpy>
#include <functional>
#include <gtest/gtest.h>

namespace {

using FileTags = TagStore::FileTags;

// A store over preferences of its own with three tags, an open document
// carrying two of them and kept tags for three files.
struct TagStoreTest : ::testing::Test {
    TestDir dir;
    Preferences ud{dir.path(QStringLiteral("prefs.ini"))};
    DocumentModel docs;
    TagStore store{ud, docs};
    DocPtr doc = newDoc(QStringLiteral("a.txt"), QStringLiteral("a"));
    const QList<Tag> three{{QStringLiteral("t1"), QStringLiteral("甲"), 0},
                           {QStringLiteral("t2"), QStringLiteral("乙"), 1},
                           {QStringLiteral("t3"), QStringLiteral("丙"), 2}};
    const FileTags kept{{QStringLiteral("/f/one"), {QStringLiteral("t2"), QStringLiteral("t1")}},
                        {QStringLiteral("/f/two"), {QStringLiteral("t2")}},
                        {QStringLiteral("/f/three"), {QStringLiteral("t3")}}};

    void SetUp() override
    {
        store.setTags(three);
        doc->setTags({QStringLiteral("t1"), QStringLiteral("t2")});
        docs.append(doc);
        StoredValue::store(ud, TagStore::fileTagsKey, kept);
    }
    FileTags fileTags() const { return StoredValue::load<FileTags>(ud, TagStore::fileTagsKey).value_or(FileTags{}); }
    QStringList ids() const
    {
        QStringList out;
        for (const Tag& t : store.tags())
            out << t.id;
        return out;
    }
};

TEST_F(TagStoreTest, RenameMoveAndRemoveKeepDocumentsAndFilesInStepWithOneChange)
{
    struct Case {
        const char* what;
        std::function<void(TagStore&)> change;
        QStringList order;    // tag ids afterwards
        QStringList docTags;  // the open document's tags afterwards
        FileTags files;       // the kept file tags afterwards
    };
    const FileTags withoutT2{{QStringLiteral("/f/one"), {QStringLiteral("t1")}},
                             {QStringLiteral("/f/three"), {QStringLiteral("t3")}}};
    const QList<Case> cases{
        {"rename",
         [](TagStore& s) { s.renameTag(QStringLiteral("t2"), QStringLiteral(" 新名 ")); },
         {"t1", "t2", "t3"},
         {"t1", "t2"},
         kept},
        {"move before the first",
         [](TagStore& s) { s.moveTag(QStringLiteral("t3"), QStringLiteral("t1")); },
         {"t3", "t1", "t2"},
         {"t1", "t2"},
         kept},
        {"move to the end",
         [](TagStore& s) { s.moveTag(QStringLiteral("t1"), std::nullopt); },
         {"t2", "t3", "t1"},
         {"t1", "t2"},
         kept},
        {"remove", [](TagStore& s) { s.removeTag(QStringLiteral("t2")); }, {"t1", "t3"}, {"t1"}, withoutT2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        store.setTags(three);
        QSignalSpy changed(&store, &TagStore::tagsChanged);
        // Every listener that hears of the change sees the documents already updated.
        QStringList docTagsSeen;
        const auto seen = QObject::connect(&store, &TagStore::tagsChanged, [&] { docTagsSeen = doc->tags(); });
        c.change(store);
        QObject::disconnect(seen);
        EXPECT_EQ(changed.count(), 1);
        EXPECT_EQ(ids(), c.order);
        EXPECT_EQ(doc->tags(), c.docTags);
        EXPECT_EQ(docTagsSeen, c.docTags);
        EXPECT_EQ(fileTags(), c.files);
        // A tag keeps its colour wherever it moves.
        for (const Tag& t : store.tags())
            for (const Tag& before : three)
                if (before.id == t.id) {
                    EXPECT_EQ(t.color, before.color) << t.id.toStdString();
                }
        // What the next start reads is what is shown now.
        TagStore next(ud, docs);
        next.restore();
        EXPECT_EQ(next.tags(), store.tags());
    }
    EXPECT_EQ(store.tags().size(), 2);
}

TEST_F(TagStoreTest, RenameTrimsAndRefusesABlankName)
{
    QSignalSpy changed(&store, &TagStore::tagsChanged);
    store.renameTag(QStringLiteral("t2"), QStringLiteral(" \t "));
    store.renameTag(QStringLiteral("nope"), QStringLiteral("x"));
    store.moveTag(QStringLiteral("nope"), std::nullopt);
    store.moveTag(QStringLiteral("t2"), QStringLiteral("t2"));
    store.removeTag(QStringLiteral("nope"));
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(store.tags(), three);
    EXPECT_EQ(fileTags(), kept);
    store.renameTag(QStringLiteral("t2"), QStringLiteral("\t丁 "));
    EXPECT_EQ(store.tags()[1].name, QStringLiteral("丁"));
}

TEST_F(TagStoreTest, AFileGetsBackOnlyTheTagsThatStillExist)
{
    store.removeTag(QStringLiteral("t1"));
    EXPECT_EQ(store.tagsOfFile(QStringLiteral("/f/one")), QStringList{QStringLiteral("t2")});
    // Kept tags of a tag removed elsewhere (another store, an older run) are skipped too.
    StoredValue::store(ud, TagStore::fileTagsKey, FileTags{{QStringLiteral("/f/x"), {"t3", "gone", "t2"}}});
    EXPECT_EQ(store.tagsOfFile(QStringLiteral("/f/x")), (QStringList{"t3", "t2"}));
    store.forgetFile(QStringLiteral("/f/x"));
    EXPECT_TRUE(store.tagsOfFile(QStringLiteral("/f/x")).isEmpty());
}

}  // namespace
