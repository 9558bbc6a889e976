// Ctrl+Tab with Ctrl held: a list of the open documents in use order over
// the window, Tab and Shift+Tab moving its highlight, releasing Ctrl opening
// the highlighted one and Escape leaving everything as it was. The keys go
// to whatever has the keyboard, and the editor keeps it throughout.
#include "WindowFixture.h"
#include "views/window/DocSwitchList.h"
#include "views/window/DocSwitchModel.h"
#include "views/window/DocSwitcher.h"

#include <QDir>
#include <QListView>

namespace {

struct DocSwitch : WindowFixture {
    // Key events as the keyboard sends them while Ctrl stays down.
    static void hold() { QTest::simulateEvent(focused(), true, Qt::Key_Control, Qt::NoModifier, QString(), false); }
    static void release()
    {
        QTest::simulateEvent(focused(), false, Qt::Key_Control, Qt::ControlModifier, QString(), false);
    }
    static void tab(bool back = false)
    {
        const Qt::Key k = back ? Qt::Key_Backtab : Qt::Key_Tab;
        const Qt::KeyboardModifiers m = back ? Qt::ControlModifier | Qt::ShiftModifier : Qt::ControlModifier;
        QTest::simulateEvent(focused(), true, k, m, QString(), false);
        QTest::simulateEvent(focused(), false, k, m, QString(), false);
    }
    DocSwitchList* list() const { return window->switchList(); }
    QStringList shownNames() const
    {
        QStringList out;
        const auto* rows = list()->rows();
        for (int i = 0; i < rows->rowCount(); ++i)
            out << rows->index(i).data().toString();
        return out;
    }
    QString highlighted() const { return list()->view()->currentIndex().data().toString(); }
};

}

TEST_F(DocSwitch, HoldingCtrlShowsTheListAndReleasingOpensTheHighlightedOne)
{
    const DocPtr a = open(QStringLiteral("a.txt"), "a");
    const DocPtr b = open(QStringLiteral("b.txt"), "b");
    const DocPtr c = open(QStringLiteral("c.txt"), "c");
    ASSERT_TRUE(editorHasFocus());
    EXPECT_FALSE(list()->isVisible());

    // Each step of the walk: the key, the highlighted row; nothing switches meanwhile.
    struct Step {
        bool back;
        QString highlighted;
    };
    hold();
    for (const Step& s : {Step{false, QStringLiteral("b.txt")}, Step{false, QStringLiteral("a.txt")},
                          Step{false, QStringLiteral("c.txt")}, Step{true, QStringLiteral("a.txt")}}) {
        SCOPED_TRACE(s.highlighted.toStdString());
        tab(s.back);
        ASSERT_TRUE(list()->isVisible());
        EXPECT_EQ(shownNames(), QStringList({"c.txt", "b.txt", "a.txt"}));
        EXPECT_EQ(highlighted(), s.highlighted);
        EXPECT_EQ(model->active(), c);
        EXPECT_TRUE(editorHasFocus());
    }
    release();
    EXPECT_EQ(model->active(), a);
    EXPECT_FALSE(list()->isVisible());
    ASSERT_TRUE(editorHasFocus());
    type(QStringLiteral("1"));
    EXPECT_EQ(a->text(), QStringLiteral("1a"));

    // a is now the most recent: a quick Ctrl+Tab returns to c, the one before.
    key(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(model->active(), c);
    EXPECT_FALSE(list()->isVisible());
    EXPECT_EQ(window->switcher()->recentOrder(), QList<QUuid>({c->id, a->id, b->id}));
}

TEST_F(DocSwitch, EscapeClosesTheListAndAClosedDocumentLeavesIt)
{
    const DocPtr a = open(QStringLiteral("a.txt"), "a");
    const DocPtr b = open(QStringLiteral("b.txt"), "b");
    hold();
    tab();
    ASSERT_TRUE(list()->isVisible());
    QTest::simulateEvent(focused(), true, Qt::Key_Escape, Qt::ControlModifier, QString(), false);
    QTest::simulateEvent(focused(), false, Qt::Key_Escape, Qt::ControlModifier, QString(), false);
    EXPECT_FALSE(list()->isVisible());
    release();
    EXPECT_EQ(model->active(), b);
    EXPECT_EQ(window->switcher()->recentOrder(), QList<QUuid>({b->id, a->id}));
    ASSERT_TRUE(editorHasFocus());
    type(QStringLiteral("2"));
    EXPECT_EQ(b->text(), QStringLiteral("2b"));
    EXPECT_EQ(a->text(), QStringLiteral("a"));

    // A document closed during the walk loses its row; the highlight stays.
    const DocPtr c = open(QStringLiteral("c.txt"), "c");
    open(QStringLiteral("d.txt"), "d");
    hold();
    tab();
    tab();
    ASSERT_EQ(highlighted(), QStringLiteral("b.txt"));
    model->closeEach({c});
    ASSERT_TRUE(waitUntil([&] { return same(shownNames(), QStringList({"d.txt", "b.txt", "a.txt"})); }));
    EXPECT_EQ(highlighted(), QStringLiteral("b.txt"));
    release();
    EXPECT_EQ(model->active(), b);
}

TEST_F(DocSwitch, RowsShowTheFolderAndAnEditedMarkAndAClickOpensOne)
{
    const DocPtr a = open(QStringLiteral("a.txt"), "a");
    const DocPtr b = open(QStringLiteral("b.txt"), "b");
    type(QStringLiteral("x"));  // b has unsaved edits
    hold();
    tab();
    ASSERT_TRUE(list()->isVisible());
    const DocSwitchModel* rows = list()->rows();
    ASSERT_EQ(rows->rowCount(), 2);
    for (int i = 0; i < 2; ++i) {
        const DocPtr d = i == 0 ? b : a;
        SCOPED_TRACE(d->name().toStdString());
        const QModelIndex at = rows->index(i);
        EXPECT_EQ(at.data().toString(), d->name());
        EXPECT_EQ(QDir(at.data(DocSwitchModel::folderRole).toString()).canonicalPath(),
                  QDir(dir.path()).canonicalPath());
        EXPECT_EQ(at.data(DocSwitchModel::editedRole).toBool(), d == b);
    }
    // A click on a row opens it, before Ctrl is let go.
    QListView* view = list()->view();
    const QRect second = view->visualRect(rows->index(1));
    ASSERT_FALSE(second.isEmpty());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ControlModifier, second.center());
    EXPECT_EQ(model->active(), a);
    EXPECT_FALSE(list()->isVisible());
    release();
    EXPECT_EQ(model->active(), a);
}
