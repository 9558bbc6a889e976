// The open documents' rows in the sidebar, driven as the user does: clicks on
// the rows and their buttons, tooltips, and what each change paints again.
#include "WindowFixture.h"
#include "views/overlays/PopupLayer.h"

#include <QHelpEvent>
#include <QToolTip>

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

TEST_F(SidebarList, TheTagPopupHangsFromTheClickedRowsTagButton)
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

TEST_F(SidebarList, TooltipsSayWhatEachPartOfARowDoes)
{
    const DocPtr a = open(QStringLiteral("a.txt"), "a");
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
