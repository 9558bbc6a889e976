// The sidebar's groups and rows: clicks, drops, tooltips and what each change paints again.
#include "DocRowPaint.h"
#include "EditorFixture.h"
#include "WindowFixture.h"
#include "views/controls/Controls.h"
#include "views/overlays/PopupLayer.h"
#include "views/sidebar/Sidebar.h"
#include "views/sidebar/TagEditor.h"

#include <QAccessible>
#include <QFile>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QToolTip>

namespace {

DocPtr doc(const QString& name, const std::optional<QString>& url = std::nullopt, const QStringList& tags = {})
{
    return makeDoc(QUuid::createUuid(), name, QString(), url, TextEncoding::utf8, LineEnding::lf, tags);
}

struct SidebarTest : EditorFixture {
    std::unique_ptr<Sidebar> sidebar;
    // The sidebar alone over the model, laid out at the width the window gives it.
    Sidebar& shown(int height = 600)
    {
        sidebar = std::make_unique<Sidebar>(*model);
        sidebar->resize(248, height);
        sidebar->show();
        return *sidebar;
    }
    void TearDown() override
    {
        sidebar.reset();
        EditorFixture::TearDown();
    }
    QStringList menuTexts(QMenu* m)
    {
        QStringList out;
        for (auto* a : m->actions())
            if (!a->isSeparator())
                out << a->text();
        return out;
    }
};

SidebarGroup group(const QString& id, int n)
{
    SidebarGroup g{id, id, Qt::gray, {}};
    for (int i = 0; i < n; ++i)
        g.docs << doc(QStringLiteral("d%1.txt").arg(i));
    return g;
}

}  // namespace

TEST_F(SidebarTest, CappingNeedsSixGroupsAndTooLittleHeight)
{
    QList<SidebarGroup> five, six;
    for (int i = 0; i < 5; ++i)
        five << group(QString::number(i), 20);
    six = five;
    six << group("5", 20);
    EXPECT_FALSE(Sidebar::shouldCap(five, {}, 0, 100));
    EXPECT_TRUE(Sidebar::shouldCap(six, {}, 0, 500));
    // 6 headers + 30 + 120 rows + 12 = 3570 points.
    EXPECT_FALSE(Sidebar::shouldCap(six, {}, 0, 3570));
    EXPECT_TRUE(Sidebar::shouldCap(six, {}, 0, 3569));
    QSet<QString> collapsed;
    for (int i = 0; i < 6; ++i)
        collapsed << QString::number(i);
    EXPECT_FALSE(Sidebar::shouldCap(six, collapsed, 0, 500));
}

TEST_F(SidebarTest, CappedGroupScrollsWithinEightRows)
{
    QList<Tag> tags;
    for (int i = 0; i < 5; ++i)
        tags << Tag{QString::number(i), QStringLiteral("t%1").arg(i), i};
    model->setTags(tags);
    for (int i = 0; i < 5; ++i)
        for (int n = 0; n < (i == 0 ? 12 : 2); ++n)
            model->appendDoc(doc(QStringLiteral("d%1.txt").arg(n), std::nullopt, {QString::number(i)}));
    model->appendDoc(doc(QStringLiteral("loose.txt")));
    Sidebar& bar = shown(400);
    bar.sync();
    auto views = bar.groupViews();
    ASSERT_EQ(views.size(), 6);
    for (auto* v : views) {
        SCOPED_TRACE(v->id().toStdString());
        const bool capped = v->id() == "0";
        EXPECT_EQ(v->isCapped(), capped);
        EXPECT_EQ(v->list()->height(), capped ? 224 : 28 * v->list()->count());
        EXPECT_EQ(v->list()->verticalScrollBar()->maximum() > 0, capped);
    }
    // Wider room lifts the cap: every row shows.
    bar.resize(248, 3000);
    ASSERT_TRUE(waitUntil([&] { return !views.front()->isCapped(); }));
    EXPECT_EQ(views.front()->list()->height(), 12 * 28);
    EXPECT_EQ(views.front()->list()->verticalScrollBar()->maximum(), 0);
}

// The count shows; a header click collapses the group in place and the choice
// is kept; only a saved document's menu offers its file's actions.
TEST_F(SidebarTest, HeaderClickCollapsesAndPersistsAndTheMenuOffersFileActionsOnlyForSavedDocs)
{
    model->appendDoc(doc("new.txt"));
    model->appendDoc(doc("saved.txt", dir.filePath("saved.txt")));
    Sidebar& bar = shown();
    auto* gv = bar.groupViews().front();
    DocListView* list = gv->list();
    ASSERT_EQ(list->count(), 2);
    auto* count = bar.listContent()->findChild<QLabel*>(QStringLiteral("count"));
    ASSERT_TRUE(count);
    EXPECT_EQ(count->text(), "2");
    const QModelIndex first = list->model()->index(0, 0, list->rootIndex());
    const QModelIndex second = first.siblingAtRow(1);
    const bool firstSaved = bool(list->docAt(first)->url());
    std::unique_ptr<QMenu> unsaved(list->contextMenu(firstSaved ? second : first));
    std::unique_ptr<QMenu> saved(list->contextMenu(firstSaved ? first : second));
    EXPECT_EQ(menuTexts(unsaved.get()), QStringList({"标签", "上移", "下移", "重命名…", "关闭"}));
    EXPECT_EQ(menuTexts(saved.get()),
              QStringList({"标签", "上移", "下移", "重命名…", "在文件管理器中显示", "复制路径", "关闭"}));

    EXPECT_TRUE(list->isVisibleTo(&bar));
    QTest::mouseClick(gv->header(), Qt::LeftButton);
    EXPECT_TRUE(model->collapsed().contains("_"));
    QCoreApplication::processEvents();
    EXPECT_EQ(bar.groupViews().front(), gv);  // the same view, collapsed in place
    EXPECT_FALSE(list->isVisibleTo(&bar));
    WindowModel again(std::make_unique<Preferences>(dir.filePath("prefs.ini")));
    again.restore();
    EXPECT_TRUE(again.collapsed().contains("_"));
}

TEST_F(SidebarTest, DropOnRowMovesBeforeItAndEndZoneAppends)
{
    auto a = doc("a.txt"), b = doc("b.txt");
    model->appendDoc(a);
    model->appendDoc(b);
    const auto order = [&] {
        QList<DocPtr> out;
        for (const DocPtr& d : model->docs())
            out << d;
        return out;
    };
    Sidebar& bar = shown();
    auto* gv = bar.groupViews().front();
    DocListView* list = gv->list();
    const auto rectOf = [&](const DocPtr& d) { return list->visualRect(list->indexOf(d->id)); };
    const QPoint onA = rectOf(a).center();
    QMimeData mime;
    mime.setText(b->id.toString(QUuid::WithoutBraces));
    QDragEnterEvent enter(onA, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_EQ(list->dropRow(), list->indexOf(a->id).row());
    QDropEvent drop(onA, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list->viewport(), &drop);
    EXPECT_EQ(list->dropRow(), -1);
    EXPECT_EQ(order(), QList<DocPtr>({b, a}));
    QCoreApplication::processEvents();
    QDropEvent end(QPointF(2, 2), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QDragEnterEvent enterEnd(QPoint(2, 2), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(gv->endZone(), &enterEnd);
    QCoreApplication::sendEvent(gv->endZone(), &end);
    EXPECT_EQ(order(), QList<DocPtr>({a, b}));
    QMimeData junk;
    junk.setText("not an id");
    QDragEnterEvent enterBad(rectOf(b).center(), Qt::MoveAction, &junk, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list->viewport(), &enterBad);
    EXPECT_FALSE(enterBad.isAccepted());
    QDropEvent bad(QPointF(rectOf(b).center()), Qt::MoveAction, &junk, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list->viewport(), &bad);
    EXPECT_EQ(order(), QList<DocPtr>({a, b}));
    // The rows moved within the same list.
    QCoreApplication::processEvents();
    EXPECT_EQ(bar.groupViews().front()->list(), list);
    EXPECT_EQ(list->docAt(list->model()->index(0, 0, list->rootIndex())), a);
}

TEST_F(SidebarTest, TagEditorTogglesAndCreatesTags)
{
    model->setTags({Tag{"w", QStringLiteral("工作"), 0}, Tag{"l", QStringLiteral("生活"), 1}});
    auto d = doc(QStringLiteral("周报.md"));
    model->appendDoc(d);
    TagEditor editor(*model, d);
    EXPECT_TRUE(editor.findChild<QLabel*>()->text() == QStringLiteral("周报.md 的标签"));
    EXPECT_EQ(editor.field()->placeholderText(), QStringLiteral("新建标签，回车确认"));
    using Rows = QList<std::pair<QString, bool>>;
    EXPECT_EQ(editor.rows(), Rows({{"工作", false}, {"生活", false}}));
    editor.clickRow(1);
    EXPECT_EQ(d->tags(), QStringList({"l"}));
    EXPECT_EQ(editor.rows(), Rows({{"工作", false}, {"生活", true}}));
    editor.clickRow(1);
    EXPECT_TRUE(d->tags().isEmpty());

    editor.show();
    editor.field()->setText(QStringLiteral("  读书 "));
    QTest::keyClick(editor.field(), Qt::Key_Return);
    EXPECT_TRUE(editor.field()->text().isEmpty());
    ASSERT_EQ(model->tags().size(), 3);
    EXPECT_EQ(model->tags().last().name, QStringLiteral("读书"));
    EXPECT_EQ(d->tags(), QStringList({model->tags().last().id}));
    EXPECT_EQ(editor.rows().size(), 3);
}

TEST_F(SidebarTest, RowsFollowTheirDocumentInPlace)
{
    const QString path = write(QStringLiteral("kept.txt"), "x");
    model->setRecent({path});
    auto a = doc("a.txt");
    model->appendDoc(a);
    Sidebar& bar = shown();
    DocListView* list = bar.groupViews().front()->list();
    const QPersistentModelIndex row = list->indexOf(a->id);
    ASSERT_TRUE(row.isValid());
    EXPECT_FALSE(paintsDot(list, row));
    a->setText(QStringLiteral("typed"));
    EXPECT_TRUE(paintsDot(list, row));
    a->setSavedText(QStringLiteral("typed"));
    EXPECT_FALSE(paintsDot(list, row));
    // What a screen reader says of the row follows a rename.
    a->setName(QStringLiteral("b.md"));
    QAccessibleInterface* item = QAccessible::queryAccessibleInterface(list)->child(row.row());
    ASSERT_TRUE(item);
    EXPECT_EQ(item->text(QAccessible::Name), QStringLiteral("b.md"));
    // Opening a popup or switching documents keeps the list and the row.
    model->toggle(Popup::tags(a->id));
    EXPECT_TRUE(list->tagOpen(row));
    model->appendDoc(doc("c.txt"));
    QCoreApplication::processEvents();
    EXPECT_EQ(bar.groupViews().front()->list(), list);
    EXPECT_EQ(list->docAt(row), a);

    // A recent file deleted behind our back is struck through without any other change.
    RecentRow* recent = bar.recentRows().front();
    EXPECT_FALSE(recent->missing());
    ASSERT_TRUE(QFile::remove(path));
    EXPECT_TRUE(waitUntil([&] { return recent->missing(); }));
    EXPECT_EQ(recent->toolTip(), QStringLiteral("文件已不存在，点击移除"));
    // A click on a missing file takes it off the list.
    QTest::mouseClick(recent, Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_TRUE(model->recent().isEmpty());
}

namespace {

// Collects what the document lists paint.
struct PaintSpy : QObject {
    QHash<QObject*, QRegion> painted;
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            painted[o] += static_cast<QPaintEvent*>(e)->region();
        return false;
    }
};

struct SidebarList : WindowFixture {
    QList<DocListView*> lists() const
    {
        QList<DocListView*> out;
        for (GroupView* g : window->sidebar()->groupViews())
            out << g->list();
        return out;
    }
    // Everything waiting to be painted is painted.
    static void settle()
    {
        nextTurn(3);
        QCoreApplication::sendPostedEvents();
    }
};

}

TEST_F(SidebarList, TypingPaintsNoRowButTheUnsavedMarkPaintsJustItsRow)
{
    const DocPtr a = open(QStringLiteral("a.txt"), "a");
    const DocPtr b = open(QStringLiteral("b.txt"), "b");
    const DocPtr c = open(QStringLiteral("c.txt"), "c");
    model->addTag(QStringLiteral("工作"), a);
    model->activate(b);
    ASSERT_TRUE(editorHasFocus());
    settle();
    PaintSpy spy;
    for (DocListView* l : lists())
        l->viewport()->installEventFilter(&spy);
    settle();
    spy.painted.clear();

    // The first key sets the unsaved mark: only b's row is painted again.
    type(QStringLiteral("x"));
    ASSERT_TRUE(b->isDirty());
    const SidebarRow row = rowOf(b);
    ASSERT_TRUE(row);
    ASSERT_TRUE(waitUntil([&] { return !spy.painted.isEmpty(); }));
    settle();
    EXPECT_EQ(spy.painted.size(), 1);
    EXPECT_EQ(spy.painted.value(row.list->viewport()), QRegion(row.rect()));
    EXPECT_TRUE(paintsDot(row));

    // Typing on keeps the mark: no row is painted at all.
    spy.painted.clear();
    type(QStringLiteral("yz"));
    settle();
    EXPECT_EQ(b->text(), QStringLiteral("xyzb"));
    EXPECT_TRUE(spy.painted.isEmpty());
    for (DocListView* l : lists())
        l->viewport()->removeEventFilter(&spy);
    (void)c;
}

TEST_F(SidebarList, TheTagPopupHangsFromTheClickedRowsTagButtonAndTooltipsSayWhatEachPartDoes)
{
    const DocPtr a = open(QStringLiteral("a.txt"), "a");
    const DocPtr b = open(QStringLiteral("b.txt"), "b");
    model->addTag(QStringLiteral("工作"), a);
    model->addTag(QStringLiteral("写作"), a);  // a is listed twice, under both
    model->activate(b);
    settle();
    QList<DocListView*> listsOfA;
    for (DocListView* l : lists())
        if (l->indexOf(a->id).isValid())
            listsOfA << l;
    ASSERT_EQ(listsOfA.size(), 2);
    PopupLayer* layer = window->popupLayer();
    for (DocListView* list : listsOfA) {
        SCOPED_TRACE(list->accessibleName().toStdString());
        const QRect tag = DocRowDelegate::tagRect(list->visualRect(list->indexOf(a->id)));
        clickAt(list->viewport(), tag.center());
        ASSERT_EQ(model->popup(), Popup::tags(a->id));
        const QRect button(list->viewport()->mapTo(layer->parentWidget(), tag.topLeft()), tag.size());
        EXPECT_EQ(layer->anchorRect(Popup::tags(a->id).anchor()), std::optional<QRect>(button));
        ASSERT_TRUE(layer->panel());
        EXPECT_EQ(layer->panel()->geometry(), placePopup(layer->panel()->size(), button, layer->rect()));
        EXPECT_TRUE(list->tagOpen(list->indexOf(a->id)));
        key(Qt::Key_Escape);
        ASSERT_FALSE(model->popup());
        EXPECT_FALSE(list->tagOpen(list->indexOf(a->id)));
    }
    EXPECT_EQ(model->active(), b);  // the tag button is not the row

    // Tooltips say what each part of a row does.
    const SidebarRow row = rowOf(a);
    ASSERT_TRUE(row);
    const QRect r = row.rect();
    struct Case {
        QPoint at;
        QString text;
    };
    for (const Case& c : {Case{r.topLeft() + QPoint(30, r.height() / 2), a->fullPath()},
                          Case{DocRowDelegate::tagRect(r).center(), QStringLiteral("标签")},
                          Case{DocRowDelegate::trailingRect(r).center(), QStringLiteral("关闭  Ctrl+W")}}) {
        SCOPED_TRACE(c.text.toStdString());
        QToolTip::hideText();
        QHelpEvent help(QEvent::ToolTip, c.at, row.list->viewport()->mapToGlobal(c.at));
        QCoreApplication::sendEvent(row.list->viewport(), &help);
        EXPECT_TRUE(waitUntil([&] { return same(QToolTip::text(), c.text); }));
    }
    QToolTip::hideText();
}

TEST_F(SidebarList, ARowIsOpenedByAClickAndClosedByAMiddleClickOrItsCloseButton)
{
    enum class How { click, middle, closeButton };
    for (How how : {How::click, How::middle, How::closeButton}) {
        SCOPED_TRACE(int(how));
        const DocPtr a = open(QStringLiteral("a.txt"), "a");
        const DocPtr b = open(QStringLiteral("b.txt"), "b");
        ASSERT_EQ(model->active(), b);
        const SidebarRow row = rowOf(a);
        ASSERT_TRUE(row);
        const QRect r = row.rect();
        const QPoint at = how == How::closeButton ? DocRowDelegate::trailingRect(r).center() : r.center();
        QTest::mouseMove(row.list->viewport(), at);
        QTest::mouseClick(row.list->viewport(), how == How::middle ? Qt::MiddleButton : Qt::LeftButton, {}, at);
        nextTurn();
        EXPECT_EQ(model->docs().contains(a), how == How::click);
        EXPECT_EQ(model->active(), how == How::click ? a : b);
        // A click leaves the keyboard with the text.
        EXPECT_TRUE(editorHasFocus());
        for (const DocPtr& d : QList<DocPtr>(model->docs()))
            model->close(d);
        nextTurn();
    }
}

TEST_F(SidebarList, TheListKeepsTheKeyboardWhileDocumentsComeAndGo)
{
    const DocPtr a = open(QStringLiteral("a.txt"), "a");
    const DocPtr b = open(QStringLiteral("b.txt"), "b");
    const DocPtr c = open(QStringLiteral("c.txt"), "c");
    model->activate(b);
    key(Qt::Key_F6);
    ASSERT_EQ(focusedRow(), b);
    QWidget* list = focused();
    struct Change {
        const char* what;
        std::function<void()> apply;
        DocPtr current;  // the row that has the keyboard afterwards
    };
    const DocPtr d = makeDoc(QUuid::createUuid(), QStringLiteral("d.txt"), QString(), std::nullopt, TextEncoding::utf8,
                             LineEnding::lf, {});
    for (const Change& change : {
             Change{"a document arrives", [&] { model->appendDoc(d); }, b},
             Change{"one above leaves", [&] { model->close(a); }, b},
             Change{"one below moves up", [&] { model->move(d->id, b->id); }, b},
             Change{"one goes to a tag", [&] { model->addTag(QStringLiteral("工作"), c); }, b},
             Change{"the row it is on leaves",
                    [&] {
                        key(Qt::Key_Up);
                        ASSERT_EQ(focusedRow(), d);
                        model->close(d);
                    },
                    b},
         }) {
        SCOPED_TRACE(change.what);
        change.apply();
        nextTurn(2);
        EXPECT_EQ(focused(), list);
        EXPECT_EQ(focusedRow(), change.current);
    }
}
