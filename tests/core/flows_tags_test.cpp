#include "Workspace.h"

using TagFlow = WorkspaceTest;
using FileTags = QMap<QString, QStringList>;

namespace {
QStringList names(const QList<DocPtr>& docs)
{
    QStringList out;
    for (const DocPtr& d : docs)
        out << d->name();
    return out;
}
}

TEST_F(TagFlow, ToggleTwiceRestoresAndMapFollowsSavedFilesOnly)
{
    model->restore();
    const QString path = file("s.txt", "s");
    DocPtr saved = model->open(path);
    DocPtr fresh = model->createDoc("f.txt", std::nullopt, {});
    model->toggleTag("work", saved);
    model->toggleTag("conf", saved);
    model->toggleTag("work", saved);
    EXPECT_EQ(saved->tags(), QStringList{"conf"});
    model->toggleTag("work", saved);
    EXPECT_EQ(saved->tags(), (QStringList{"conf", "work"}));
    EXPECT_EQ(model->load<FileTags>(AppModel::fileTagsKey).value_or(FileTags{}).value(path),
              (QStringList{"conf", "work"}));
    model->toggleTag("work", fresh);
    EXPECT_EQ(model->load<FileTags>(AppModel::fileTagsKey).value_or(FileTags{}).size(), 1);
    model->toggleTag("conf", saved);
    model->toggleTag("work", saved);
    EXPECT_FALSE(model->load<FileTags>(AppModel::fileTagsKey).value_or(FileTags{}).contains(path));
    // Reopened after a restart, the file comes back with its tags.
    model->toggleTag("ops", saved);
    model->close(saved);
    EXPECT_EQ(model->open(path)->tags(), QStringList{"ops"});
}

TEST_F(TagFlow, AddByNameReusesAndHandsOutColoursInOrder)
{
    model->setTags({});
    DocPtr d = model->createDoc("d.txt", std::nullopt, {});
    model->addTag(" \t ");
    EXPECT_TRUE(model->tags().isEmpty());
    for (const char* n : {"甲", "乙", "丙", "丁"})
        model->addTag(QString::fromUtf8(n));
    ASSERT_EQ(model->tags().size(), 4);
    EXPECT_EQ(model->tags()[3].color, 3);
    EXPECT_EQ(model->tags()[0].id, model->tags()[0].id.toUpper());
    EXPECT_FALSE(QUuid::fromString(model->tags()[0].id).isNull());
    model->addTag(QStringLiteral("  乙\t"), d);
    EXPECT_EQ(model->tags().size(), 4);
    EXPECT_EQ(d->tags(), QStringList{model->tags()[1].id});
    // Colours are not recomputed after a deletion.
    QList<Tag> kept = model->tags();
    kept.removeFirst();
    model->setTags(kept);
    EXPECT_EQ(model->tags()[2].color, 3);
    model->addTag(QStringLiteral("戊"));
    EXPECT_EQ(model->tags().last().color, 3);  // the number of tags before it
    EXPECT_EQ(relaunch()->load<QList<Tag>>(AppModel::tagsKey)->size(), 4);
}

TEST_F(TagFlow, GroupsWithAndWithoutUntagged)
{
    model->restore();
    auto g = model->groups();
    ASSERT_EQ(g.size(), 1);
    EXPECT_EQ(g[0].id, "_");
    EXPECT_EQ(g[0].name, QStringLiteral("未分组"));
    EXPECT_EQ(g[0].color, -1);
    EXPECT_TRUE(g[0].docs.isEmpty());

    DocPtr a = model->createDoc("a.txt", std::nullopt, {"work", "write"});
    DocPtr b = model->createDoc("b.txt", std::nullopt, {"write"});
    g = model->groups();
    ASSERT_EQ(g.size(), 2);  // tags in tags order, no untagged group
    EXPECT_EQ(g[0].id, "work");
    EXPECT_EQ(g[0].color, 0);
    EXPECT_EQ(names(g[1].docs), (QStringList{"a.txt", "b.txt"}));
    EXPECT_EQ(g[1].name, QStringLiteral("写作"));

    model->createDoc("c.txt", std::nullopt, {});
    g = model->groups();
    ASSERT_EQ(g.size(), 3);
    EXPECT_EQ(names(g.last().docs), QStringList{"c.txt"});
}

TEST_F(TagFlow, MoveAndStepKeepOrderInTheSession)
{
    DocPtr a = model->createDoc("a.txt", std::nullopt, {"x"});
    DocPtr b = model->createDoc("b.txt", std::nullopt, {"x", "y"});
    DocPtr c = model->createDoc("c.txt", std::nullopt, {"x"});
    DocPtr d = model->createDoc("d.txt", std::nullopt, {"x", "y"});
    model->move(a->id, a->id);
    EXPECT_EQ(names(model->docs()), (QStringList{"a.txt", "b.txt", "c.txt", "d.txt"}));
    model->move(a->id, std::nullopt);
    EXPECT_EQ(names(model->docs()), (QStringList{"b.txt", "c.txt", "d.txt", "a.txt"}));
    model->move(a->id, b->id);
    EXPECT_EQ(names(model->docs()), (QStringList{"a.txt", "b.txt", "c.txt", "d.txt"}));
    model->move(QUuid::createUuid(), b->id);
    EXPECT_EQ(model->docs().size(), 4);

    // Peers of b are only the documents tagged exactly x, y.
    model->step(b, 1);
    EXPECT_EQ(names(model->docs()), (QStringList{"a.txt", "d.txt", "c.txt", "b.txt"}));
    model->step(b, 1);  // already last among its peers
    EXPECT_EQ(names(model->docs()), (QStringList{"a.txt", "d.txt", "c.txt", "b.txt"}));
    model->step(c, -1);
    EXPECT_EQ(names(model->docs()), (QStringList{"c.txt", "d.txt", "a.txt", "b.txt"}));
    model->step(c, -1);
    EXPECT_EQ(names(model->docs()).first(), "c.txt");
}
