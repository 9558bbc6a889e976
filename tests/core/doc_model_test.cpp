#include "Workspace.h"

#include <QSortFilterProxyModel>
#include <functional>

// The document list and its groups as item models: every change arrives as
// the row signals a view applies, and applying them gives what the model holds.
using DocumentRows = WorkspaceTest;
using DocumentGroups = WorkspaceTest;

namespace {

QString roleNames(const QList<int>& roles)
{
    QStringList out;
    DocumentModel docs;
    auto names = DocGroupModel(docs).roleNames();
    names.insert(Qt::AccessibleTextRole, "accessibleText");
    for (const int r : roles)
        out << QString::fromLatin1(names.value(r, QByteArray::number(r)));
    out.sort();
    return out.join(QLatin1Char(','));
}

// A copy of a model's rows kept up to date only from its signals, as a view keeps its own.
struct Mirror {
    using Node = QPair<QString, QStringList>;  // a top-level row's text and its children's texts
    QAbstractItemModel& model;
    QList<Node> rows;
    QStringList log;
    int resets = 0;

    static QString text(const QModelIndex& i) { return i.data().toString(); }
    Node read(int row) const
    {
        const QModelIndex top = model.index(row, 0);
        Node n{text(top), {}};
        for (int c = 0; c < model.rowCount(top); ++c)
            n.second << text(model.index(c, 0, top));
        return n;
    }
    QList<Node> fresh() const
    {
        QList<Node> out;
        for (int r = 0; r < model.rowCount(); ++r)
            out << read(r);
        return out;
    }
    static QString where(const QModelIndex& parent)
    {
        return parent.isValid() ? text(parent) + QLatin1Char('/') : QString();
    }

    explicit Mirror(QAbstractItemModel& m) : model(m), rows(fresh())
    {
        QObject::connect(&m, &QAbstractItemModel::rowsInserted, &m, [this](const QModelIndex& p, int first, int last) {
            log << QStringLiteral("insert %1%2-%3").arg(where(p)).arg(first).arg(last);
            for (int r = first; r <= last; ++r) {
                if (p.isValid())
                    rows[p.row()].second.insert(r, text(model.index(r, 0, p)));
                else
                    rows.insert(r, read(r));
            }
        });
        QObject::connect(&m, &QAbstractItemModel::rowsAboutToBeRemoved, &m,
                         [this](const QModelIndex& p, int first, int last) {
                             log << QStringLiteral("remove %1%2-%3").arg(where(p)).arg(first).arg(last);
                             for (int r = last; r >= first; --r) {
                                 if (p.isValid())
                                     rows[p.row()].second.removeAt(r);
                                 else
                                     rows.removeAt(r);
                             }
                         });
        QObject::connect(&m, &QAbstractItemModel::rowsMoved, &m,
                         [this](const QModelIndex& p, int first, int last, const QModelIndex& to, int row) {
                             log << QStringLiteral("move %1%2-%3 to %4%5")
                                        .arg(where(p))
                                        .arg(first)
                                        .arg(last)
                                        .arg(where(to))
                                        .arg(row);
                             EXPECT_EQ(p, to) << "rows only move within their parent";
                             const auto shift = [&](auto& list) {
                                 auto moving = list.mid(first, last - first + 1);
                                 list.remove(first, last - first + 1);
                                 const int at = row > last ? row - int(moving.size()) : row;
                                 for (int k = 0; k < moving.size(); ++k)
                                     list.insert(at + k, moving[k]);
                             };
                             if (p.isValid())
                                 shift(rows[p.row()].second);
                             else
                                 shift(rows);
                         });
        QObject::connect(
            &m, &QAbstractItemModel::dataChanged, &m,
            [this](const QModelIndex& from, const QModelIndex& to, const QList<int>& roles) {
                log << QStringLiteral("data %1%2 %3").arg(where(from.parent())).arg(from.row()).arg(roleNames(roles));
                for (int r = from.row(); r <= to.row(); ++r) {
                    if (from.parent().isValid())
                        rows[from.parent().row()].second[r] = text(model.index(r, 0, from.parent()));
                    else
                        rows[r].first = text(model.index(r, 0));
                }
            });
        QObject::connect(&m, &QAbstractItemModel::modelReset, &m, [this] {
            ++resets;
            rows = fresh();
        });
    }
};

}  // namespace

// Each change is told as the row signal it is, with only the roles it touches,
// and a list kept from those signals alone ends up equal to the documents.
TEST_F(DocumentRows, EachChangeIsTheRowSignalOfWhatChanged)
{
    model->restore();
    DocPtr a = model->createDoc(QStringLiteral("a.txt"), std::nullopt, {});
    DocPtr b = model->createDoc(QStringLiteral("b.txt"), std::nullopt, {});
    DocPtr c = model->createDoc(QStringLiteral("c.txt"), std::nullopt, {});
    model->setActiveID(a->id);
    Mirror mirror(model->documents());
    const struct {
        const char* what;
        std::function<void()> change;
        QStringList log;
    } cases[] = {
        {"opening",
         [&] { model->createDoc(QStringLiteral("d.txt"), std::nullopt, {}); },
         {"insert 3-3", "data 0 active", "data 3 active"}},
        {"move up", [&] { model->move(c->id, a->id); }, {"move 2-2 to 0"}},
        {"move to the end", [&] { model->move(c->id, std::nullopt); }, {"move 0-0 to 4"}},
        {"step down", [&] { model->step(a, 1); }, {"move 1-1 to 0"}},
        {"step over a row", [&] { model->step(a, 2); }, {"move 3-3 to 1", "move 2-2 to 4"}},
        {"rename",
         [&] { model->rename(b, QStringLiteral("b2.md")); },
         {"data 0 accessibleText,display,format,toolTip"}},
        {"unsaved mark", [&] { b->setText(QStringLiteral("写")); }, {"data 0 modified"}},
        {"tag", [&] { model->toggleTag(QStringLiteral("work"), b); }, {"data 0 groups,tags"}},
        {"close", [&] { model->remove(b); }, {"remove 0-0"}},
    };
    for (const auto& step : cases) {
        SCOPED_TRACE(step.what);
        mirror.log.clear();
        step.change();
        QStringList log = mirror.log;
        // Only the row signals are under test here; activation has its own case above.
        if (QString(step.what) != QStringLiteral("opening"))
            log.removeIf([](const QString& l) { return l.endsWith(QStringLiteral(" active")); });
        EXPECT_EQ(log, step.log);
        EXPECT_EQ(mirror.rows, mirror.fresh());
        EXPECT_EQ(mirror.resets, 0);
    }
    QStringList mirrored;
    for (const auto& row : mirror.rows)
        mirrored << row.first;
    EXPECT_EQ(mirrored, names(model->docs()));
}

// Whoever follows the list as a whole hears of a change after the views
// and proxies of the rows have applied it, so what they read there is current.
TEST_F(DocumentRows, ListListenersReadViewsAlreadyUpToDate)
{
    DocPtr a = model->createDoc(QStringLiteral("a.txt"), std::nullopt, {});
    DocPtr b = model->createDoc(QStringLiteral("b.txt"), std::nullopt, {});
    QSortFilterProxyModel view;
    view.setSourceModel(&model->documents());
    QStringList seen;  // the view's rows at each notice
    QObject::connect(&model->documents(), &DocumentModel::listChanged, &view, [&] {
        QStringList rows;
        for (int r = 0; r < view.rowCount(); ++r)
            rows << view.index(r, 0).data().toString();
        seen << rows.join(QLatin1Char(' '));
    });
    const struct {
        const char* what;
        std::function<void()> change;
    } cases[] = {
        {"open", [&] { model->createDoc(QStringLiteral("c.txt"), std::nullopt, {}); }},
        {"move", [&] { model->move(a->id, std::nullopt); }},
        {"close", [&] { model->remove(b); }},
    };
    for (const auto& step : cases) {
        SCOPED_TRACE(step.what);
        seen.clear();
        step.change();
        EXPECT_EQ(seen, QStringList{names(model->docs()).join(QLatin1Char(' '))});
    }
}

// Typing tells the list only when the unsaved mark appears or goes away.
TEST_F(DocumentRows, KeystrokesThatKeepTheMarkChangeNoRow)
{
    DocPtr d = model->createDoc(QStringLiteral("a.txt"), std::nullopt, {});
    d->markSaved();
    Mirror mirror(model->documents());
    const struct {
        QString text;
        bool flips;
    } typing[] = {
        {"一", true}, {"一二", false}, {"一二三", false}, {"", true}, {"", false}, {"三", true},
    };
    for (const auto& t : typing) {
        SCOPED_TRACE(t.text.toStdString());
        mirror.log.clear();
        d->setText(t.text);
        EXPECT_EQ(mirror.log, t.flips ? QStringList{"data 0 modified"} : QStringList{});
        EXPECT_EQ(model->documents().index(0).data(DocumentModel::modifiedRole).toBool(), d->isDirty());
    }
}

// Two tags and an untagged document: a group per tag in the tags' order, the
// doubly tagged document under both, the untagged one last.
TEST_F(DocumentGroups, TagsMakeGroupsAndUntaggedComeLast)
{
    model->restore();
    DocPtr a = model->createDoc(QStringLiteral("a.txt"), std::nullopt, {"write", "work"});
    DocPtr b = model->createDoc(QStringLiteral("b.txt"), std::nullopt, {});
    DocPtr c = model->createDoc(QStringLiteral("c.txt"), std::nullopt, {"write"});
    DocGroupModel& groups = model->docGroups();
    const QList<Tag> tags = model->tags();
    const auto tagNamed = [&](const QString& id) {
        return *std::find_if(tags.begin(), tags.end(), [&](const Tag& t) { return t.id == id; });
    };
    const struct {
        QString id;
        QString name;
        int color;
        QList<DocPtr> docs;
    } expected[] = {
        {"work", tagNamed("work").name, tagNamed("work").color, {a}},
        {"write", tagNamed("write").name, tagNamed("write").color, {a, c}},
        {"_", QStringLiteral("未分组"), -1, {b}},
    };
    ASSERT_EQ(groups.rowCount(), std::size(expected));
    for (int g = 0; g < groups.rowCount(); ++g) {
        SCOPED_TRACE(expected[g].id.toStdString());
        const QModelIndex group = groups.index(g, 0);
        EXPECT_EQ(group.data(DocGroupModel::groupIDRole).toString(), expected[g].id);
        EXPECT_EQ(group.data().toString(), expected[g].name);
        EXPECT_EQ(group.data(DocGroupModel::colorRole).toInt(), expected[g].color);
        EXPECT_TRUE(group.data(DocGroupModel::isGroupRole).toBool());
        EXPECT_EQ(group.data(DocGroupModel::countRole).toInt(), expected[g].docs.size());
        EXPECT_EQ(groups.groupIndex(expected[g].id), group);
        ASSERT_EQ(groups.rowCount(group), expected[g].docs.size());
        for (int r = 0; r < groups.rowCount(group); ++r) {
            const QModelIndex row = groups.index(r, 0, group);
            EXPECT_EQ(row.parent(), group);
            EXPECT_EQ(groups.rowCount(row), 0);
            EXPECT_EQ(groups.doc(row), expected[g].docs[r]);
            EXPECT_EQ(row.data().toString(), expected[g].docs[r]->name());
            EXPECT_EQ(row.data(DocGroupModel::groupIDRole).toString(), expected[g].id);
            EXPECT_FALSE(row.data(DocGroupModel::isGroupRole).toBool());
            EXPECT_EQ(groups.docIndex(expected[g].id, expected[g].docs[r]->id), row);
        }
    }
}

// Opening, closing, moving, renaming, tagging and renaming a tag reach the
// groups as row signals under the right group, never as a reset, and a tree
// kept from those signals alone stays equal to the groups.
TEST_F(DocumentGroups, ChangesArriveAsRowSignalsUnderTheirGroups)
{
    model->restore();
    DocPtr a = model->createDoc(QStringLiteral("a.txt"), std::nullopt, {"write", "work"});
    DocPtr b = model->createDoc(QStringLiteral("b.txt"), std::nullopt, {});
    DocPtr c = model->createDoc(QStringLiteral("c.txt"), std::nullopt, {"write"});
    Mirror mirror(model->docGroups());
    DocPtr d;
    const auto renamedTag = [&] {
        QList<Tag> tags = model->tags();
        tags[1].name = QStringLiteral("随笔");
        std::swap(tags[0], tags[1]);
        model->setTags(tags);
    };
    const struct {
        const char* what;
        std::function<void()> change;
        QStringList log;
    } cases[] = {
        {"open into a group",
         [&] { d = model->createDoc(QStringLiteral("d.txt"), std::nullopt, {"write"}); },
         {"insert 写作/2-2", "data 1 color,count,display"}},
        {"open untagged",
         [&] { model->createDoc(QStringLiteral("e.txt"), std::nullopt, {}); },
         {"insert 未分组/1-1", "data 2 color,count,display"}},
        {"move", [&] { model->move(d->id, a->id); }, {"move 写作/2-2 to 写作/0"}},
        {"rename a doc in two groups",
         [&] { model->rename(a, QStringLiteral("a2.txt")); },
         {"data 工作/0 accessibleText,display,format,toolTip", "data 写作/1 accessibleText,display,format,toolTip"}},
        {"unsaved mark", [&] { c->setText(QStringLiteral("改")); }, {"data 写作/2 modified"}},
        {"last untagged one tagged",
         [&] {
             model->toggleTag(QStringLiteral("ops"), b);
             model->remove(model->docs().last());
         },
         // The new group goes before "_"; the emptied "_" goes as a whole.
         {"insert 2-2", "remove 未分组/0-0", "data 3 color,count,display", "data 运维/0 groups,tags", "remove 3-3"}},
        {"tag renamed and moved up", renamedTag, {"move 1-1 to 0", "data 0 color,count,display"}},
        {"close", [&] { model->remove(a); }, {"remove 1-1", "remove 随笔/1-1", "data 0 color,count,display"}},
    };
    for (const auto& step : cases) {
        SCOPED_TRACE(step.what);
        mirror.log.clear();
        step.change();
        mirror.log.removeIf([](const QString& l) { return l.endsWith(QStringLiteral(" active")); });
        EXPECT_EQ(mirror.log, step.log);
        EXPECT_EQ(mirror.rows, mirror.fresh());
        EXPECT_EQ(mirror.resets, 0);
    }
    // And the tree is the grouping the workspace reports.
    QList<Mirror::Node> arranged;
    for (const AppModel::Group& g : model->groups())
        arranged << Mirror::Node{g.name, names(g.docs)};
    EXPECT_EQ(mirror.rows, arranged);
}

using TagFlow = WorkspaceTest;
using FileTags = QMap<QString, QStringList>;

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

TEST_F(TagFlow, MoveAndStepKeepOrderInTheSession)
{
    DocPtr a = model->createDoc("a.txt", std::nullopt, {"x"});
    DocPtr b = model->createDoc("b.txt", std::nullopt, {"x", "y"});
    DocPtr c = model->createDoc("c.txt", std::nullopt, {"x"});
    model->createDoc("d.txt", std::nullopt, {"x", "y"});
    const struct {
        const char* what;
        std::function<void()> change;
        const char* order;
    } steps[] = {
        {"onto itself", [&] { model->move(a->id, a->id); }, "a b c d"},
        {"to the end", [&] { model->move(a->id, std::nullopt); }, "b c d a"},
        {"before another", [&] { model->move(a->id, b->id); }, "a b c d"},
        {"an unknown one", [&] { model->move(QUuid::createUuid(), b->id); }, "a b c d"},
        // Peers of b are only the documents tagged exactly x, y.
        {"step over a peer", [&] { model->step(b, 1); }, "a d c b"},
        {"already last among its peers", [&] { model->step(b, 1); }, "a d c b"},
        {"step back", [&] { model->step(c, -1); }, "c d a b"},
        {"already first", [&] { model->step(c, -1); }, "c d a b"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        step.change();
        EXPECT_EQ(names(model->docs()).join(QLatin1Char(' ')).remove(QStringLiteral(".txt")),
                  QString::fromLatin1(step.order));
    }
}
