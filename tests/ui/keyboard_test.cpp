// The keyboard alone, as a user meets it: real key events go to whatever has
// the focus in the whole main window.
#include "WindowFixture.h"
#include "views/controls/Controls.h"
#include "views/pane/FindBar.h"
#include "views/pane/GoToLineBar.h"
#include "views/pane/PaneStatusBar.h"
#include "views/window/DocSwitcher.h"

#include <QClipboard>

namespace {

struct KeyboardTest : WindowFixture {
    QString line(const DocPtr& d, int n) const { return d->text().split(QLatin1Char('\n')).value(n); }
    static QByteArray numbered(int lines)
    {
        QByteArray out;
        for (int i = 1; i <= lines; ++i)
            out += "line " + QByteArray::number(i) + "\n";
        return out;
    }
};

}

TEST_F(KeyboardTest, FindThenEscapeLeavesTheMatchSelectedSoTypingReplacesIt)
{
    const DocPtr doc = open(QStringLiteral("f.txt"), "alpha beta\ngamma beta\nbeta end\n");
    ASSERT_TRUE(editorHasFocus());
    FindBar* find = window->docPane()->findBar();
    key(Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(focused(), find->findField());
    // Return right after typing: the query's first match counts from the caret.
    type(QStringLiteral("beta"));
    EXPECT_EQ(model->find().query(), QStringLiteral("beta"));
    key(Qt::Key_Return);
    EXPECT_EQ(model->find().index(), 1);
    EXPECT_TRUE(waitUntil([&] { return same(find->status()->text(), QStringLiteral("2 / 3")); }));
    key(Qt::Key_Escape);
    EXPECT_FALSE(model->find().visible());
    EXPECT_FALSE(find->isVisible());
    ASSERT_TRUE(editorHasFocus());
    type(QStringLiteral("X"));
    EXPECT_EQ(doc->text(), QStringLiteral("alpha beta\ngamma X\nbeta end\n"));

    // F3 and Shift+F3 step like Ctrl+G; the close button leaves the caret too.
    key(Qt::Key_Home, Qt::ControlModifier);
    key(Qt::Key_F, Qt::ControlModifier);
    key(Qt::Key_F3);
    EXPECT_EQ(model->find().index(), 1);
    key(Qt::Key_F3);
    EXPECT_EQ(model->find().index(), 0);  // two matches left: wrapped
    key(Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(model->find().index(), 1);  // backwards from the first
    key(Qt::Key_G, Qt::ControlModifier | Qt::ShiftModifier);
    key(Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(model->find().index(), 1);
    model->closeFind();
    type(QStringLiteral("Y"));
    EXPECT_EQ(doc->text(), QStringLiteral("alpha beta\ngamma X\nY end\n"));

    // Without a match, closing leaves the selection alone.
    key(Qt::Key_Home, Qt::ControlModifier);
    key(Qt::Key_F, Qt::ControlModifier);
    type(QStringLiteral("nothing"));
    key(Qt::Key_Escape);
    type(QStringLiteral("Z"));
    EXPECT_EQ(doc->text(), QStringLiteral("Zalpha beta\ngamma X\nY end\n"));
}

TEST_F(KeyboardTest, GoToLineJumpsClampsTakesFullWidthNumbersAndGivesTheKeyboardBack)
{
    const DocPtr doc = open(QStringLiteral("g.md"), numbered(40));
    GoToLineBar* bar = window->docPane()->goToLineBar();
    key(Qt::Key_L, Qt::ControlModifier);
    ASSERT_TRUE(bar->isVisible());
    EXPECT_EQ(focused(), bar->field());
    EXPECT_EQ(bar->field()->text(), QStringLiteral("1"));  // the caret's line, selected
    // What is typed or committed, where the next letter lands; beyond the end clamps.
    struct Case {
        QString typed;
        bool committed;
        int line;
        QString after;
    };
    for (const Case& c : {Case{QStringLiteral("20"), false, 19, QStringLiteral("Xline 20")},
                          Case{QStringLiteral("5:3"), false, 4, QStringLiteral("liXne 5")},
                          Case{QStringLiteral("9999"), false, 40, QStringLiteral("X")},
                          Case{QStringLiteral("７，２"), true, 6, QStringLiteral("lXine 7")}}) {
        SCOPED_TRACE(c.typed.toStdString());
        if (!bar->isVisible())
            key(Qt::Key_L, Qt::ControlModifier);
        ASSERT_EQ(focused(), bar->field());
        c.committed ? commit(c.typed) : type(c.typed);
        key(Qt::Key_Return);
        EXPECT_FALSE(bar->isVisible());
        ASSERT_TRUE(editorHasFocus());
        type(QStringLiteral("X"));
        EXPECT_EQ(line(doc, c.line), c.after);
        EXPECT_EQ(doc->text().count(QLatin1Char('X')), 1);  // Ctrl+L cut nothing
        key(Qt::Key_Backspace);
    }
    // Escape closes without moving; nonsense keeps the field open.
    key(Qt::Key_L, Qt::ControlModifier);
    type(QStringLiteral("abc"));
    key(Qt::Key_Return);
    EXPECT_TRUE(bar->isVisible());
    key(Qt::Key_Escape);
    EXPECT_FALSE(bar->isVisible());
    ASSERT_TRUE(editorHasFocus());
    type(QStringLiteral("W"));
    EXPECT_EQ(line(doc, 6), QStringLiteral("lWine 7"));

    // In the split view, and from the preview, which it leaves for the split view.
    key(Qt::Key_2, Qt::ControlModifier);
    ASSERT_EQ(doc->mode(), ViewMode::split);
    key(Qt::Key_L, Qt::ControlModifier);
    type(QStringLiteral("12"));
    key(Qt::Key_Return);
    type(QStringLiteral("A"));
    EXPECT_EQ(line(doc, 11), QStringLiteral("Aline 12"));
    key(Qt::Key_3, Qt::ControlModifier);
    ASSERT_EQ(doc->mode(), ViewMode::preview);
    key(Qt::Key_L, Qt::ControlModifier);
    EXPECT_EQ(doc->mode(), ViewMode::split);
    type(QStringLiteral("3"));
    key(Qt::Key_Return);
    type(QStringLiteral("B"));
    EXPECT_EQ(line(doc, 2), QStringLiteral("Bline 3"));
}

TEST(GoToLineParse, LinesAndColumns)
{
    using T = std::optional<GoToLineBar::Target>;
    // Digits NFKC leaves alone are refused rather than read as line 0.
    const std::pair<const char*, T> cases[] = {
        {"12", T({12, std::nullopt})}, {" 12:5 ", T({12, 5})},
        {"12：5", T({12, 5})},         {"12,5", T({12, 5})},
        {"１２：５", T({12, 5})},      {"３", T({3, std::nullopt})},
        {"٣", std::nullopt},           {"", std::nullopt},
        {"-3", std::nullopt},          {"1:", std::nullopt},
        {"99999999999", std::nullopt},
    };
    for (const auto& [text, target] : cases)
        EXPECT_EQ(GoToLineBar::parse(QString::fromUtf8(text)), target) << text;
}

TEST_F(KeyboardTest, PageKeysAndAltNumbersFollowTheSidebar)
{
    const DocPtr a = open(QStringLiteral("a.txt"), "a");
    const DocPtr b = open(QStringLiteral("b.txt"), "b");
    const DocPtr c = open(QStringLiteral("c.txt"), "c");
    ASSERT_EQ(window->switcher()->listOrder(), QList<QUuid>({a->id, b->id, c->id}));
    key(Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(model->active(), a);  // wraps
    key(Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(model->active(), b);
    key(Qt::Key_PageUp, Qt::ControlModifier);
    key(Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(model->active(), c);
    key(Qt::Key_2, Qt::AltModifier);
    EXPECT_EQ(model->active(), b);
    key(Qt::Key_9, Qt::AltModifier);
    EXPECT_EQ(model->active(), b);  // no ninth document
    ASSERT_TRUE(editorHasFocus());
    type(QStringLiteral("x"));
    EXPECT_EQ(b->text(), QStringLiteral("xb"));
    EXPECT_EQ(a->text(), QStringLiteral("a"));
}

TEST_F(KeyboardTest, TheFileMenuOpensRecentFilesAndClosesOthersUntilACancelledQuestion)
{
    // F10 opens the menu bar at 文件.
    window->activateWindow();
    key(Qt::Key_F10);
    EXPECT_TRUE(waitUntil([&] { return same(QApplication::activePopupWidget(), menu(QStringLiteral("文件(&F)"))); }));
    if (QWidget* popup = QApplication::activePopupWidget())
        popup->close();

    const DocPtr r = open(QStringLiteral("r1.txt"), "r");
    const QString path = *r->url();
    model->close(r);
    ASSERT_EQ(model->recent().value(0), path);
    QMenu* recent = menuAction(QStringLiteral("最近打开"))->menu();
    ASSERT_TRUE(recent);
    emit recent->aboutToShow();
    ASSERT_FALSE(recent->actions().isEmpty());
    EXPECT_EQ(recent->actions().first()->text(), QStringLiteral("r1.txt"));
    recent->actions().first()->trigger();
    ASSERT_TRUE(model->active());
    EXPECT_EQ(*model->active()->url(), path);

    const DocPtr a = model->active();
    const DocPtr b = open(QStringLiteral("b.txt"), "b");
    const DocPtr c = open(QStringLiteral("c.txt"), "c");
    b->setText(QStringLiteral("changed"));
    model->activate(c);
    menuAction(QStringLiteral("关闭其他"))->trigger();
    ASSERT_TRUE(model->dialog());  // a closed without asking, b asks
    EXPECT_EQ(model->docs(), QList<DocPtr>({b, c}));
    key(Qt::Key_Escape);  // cancel
    EXPECT_EQ(model->docs(), QList<DocPtr>({b, c}));
    menuAction(QStringLiteral("全部关闭"))->trigger();
    ASSERT_TRUE(model->dialog());
    ASSERT_TRUE(model->chooseButton(QStringLiteral("不保存")));
    EXPECT_TRUE(model->docs().isEmpty());
    (void)a;
}

TEST_F(KeyboardTest, StatusBarCountsSelectedCharactersLinesAndCarets)
{
    const DocPtr doc = open(QStringLiteral("st.txt"), "hello world\nsecond line\nthird\n");
    QLabel* caret = window->docPane()->status()->caret();
    key(Qt::Key_Right, Qt::ShiftModifier);
    key(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(caret->text(), QStringLiteral("行 1，列 1（已选 2 字符）"));
    key(Qt::Key_Down, Qt::ShiftModifier);
    key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(caret->text(), QStringLiteral("行 1，列 1（已选 3 行 24 字符）"));
    // Whole lines: the line after the last line feed is not counted.
    key(Qt::Key_Left, Qt::ShiftModifier);
    key(Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(caret->text(), QStringLiteral("行 1，列 1（已选 2 行 22 字符）"));
    key(Qt::Key_L, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(caret->text(), QStringLiteral("行 2，列 12 · 2 个光标"));
    key(Qt::Key_Escape);
    EXPECT_EQ(caret->text(), QStringLiteral("行 2，列 12"));
}

// Every key Scintilla can bind, with every combination of Ctrl, Shift, Alt and
// Meta, sent to the focused editor: only the editing keys may change the text.
// Keys that a menu item names run that item and are left out here.
TEST_F(KeyboardTest, OnlyTheEditingKeysChangeTheText)
{
    const QString start = QStringLiteral("\tone two\n\tthree four\nfive");
    const DocPtr doc = open(QStringLiteral("k.txt"), start.toUtf8());
    ASSERT_TRUE(doc);
    QApplication::clipboard()->setText(QStringLiteral("clip"));
    QList<QKeySequence> menuKeys;
    for (QAction* a : window->findChildren<QAction*>())
        if (a->shortcutContext() != Qt::WidgetShortcut)
            menuKeys << a->shortcuts();

    QList<int> keys = {Qt::Key_Down,   Qt::Key_Up,        Qt::Key_Left,     Qt::Key_Right,   Qt::Key_Home,
                       Qt::Key_End,    Qt::Key_PageUp,    Qt::Key_PageDown, Qt::Key_Delete,  Qt::Key_Insert,
                       Qt::Key_Escape, Qt::Key_Backspace, Qt::Key_Tab,      Qt::Key_Backtab, Qt::Key_Return,
                       Qt::Key_Enter,  Qt::Key_Super_L,   Qt::Key_Super_R,  Qt::Key_Menu};
    for (int k = 0x20; k <= 0x7e; ++k)
        if (!(k >= 'a' && k <= 'z'))  // Qt names letters by their capitals
            keys << k;
    const Qt::KeyboardModifiers all[] = {Qt::ControlModifier, Qt::ShiftModifier, Qt::AltModifier, Qt::MetaModifier};
    const auto allowed = [](int k, Qt::KeyboardModifiers m) {
        const bool plain = !(m & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
        const bool ctrlOnly = m == Qt::ControlModifier;
        if (k >= 0x20 && k <= 0x7e && plain)
            return true;  // typing
        switch (k) {
        case Qt::Key_Backspace: return plain || ctrlOnly;
        case Qt::Key_Delete: return m == Qt::NoModifier || ctrlOnly;
        case Qt::Key_Return:
        case Qt::Key_Enter: return plain;
        case Qt::Key_Tab: return m == Qt::NoModifier || m == Qt::ShiftModifier;
        case Qt::Key_Backtab: return m == Qt::ShiftModifier;
        case Qt::Key_Z: return ctrlOnly || m == (Qt::ControlModifier | Qt::ShiftModifier);
        case Qt::Key_Y:
        case Qt::Key_X:
        case Qt::Key_V: return ctrlOnly;
        default: return false;
        }
    };
    CodeTextView* v = view(doc);
    int sent = 0, changedCount = 0;
    for (int k : keys)
        for (int bits = 0; bits < 16; ++bits) {
            Qt::KeyboardModifiers m;
            for (int i = 0; i < 4; ++i)
                if (bits & (1 << i))
                    m |= all[i];
            if (menuKeys.contains(QKeySequence(QKeyCombination(m, Qt::Key(k)))))
                continue;
            // A known state: an undo step to take back, a selection inside a word.
            v->setPlainText(start);
            v->replaceRange(0, 0, QString());
            v->setSelection(11, 13);
            editors->controller(doc).focus();
            QWidget* w = QApplication::focusWidget();
            ASSERT_EQ(w, v) << "key " << k << " modifiers " << bits;
            QTest::keyClick(w, Qt::Key(k), m);
            ++sent;
            if (QWidget* popup = QApplication::activePopupWidget())
                popup->close();
            if (model->dialog())
                model->dismissDialog({});
            model->setShowNewFile(false);
            const bool changed = v->text() != start;
            changedCount += changed;
            if (!allowed(k, m)) {
                EXPECT_FALSE(changed) << "key 0x" << std::hex << k << " modifiers " << bits << " gave "
                                      << v->text().toStdString();
            }
            ASSERT_EQ(model->active(), doc);
        }
    EXPECT_GT(sent, 1300);
    EXPECT_GT(changedCount, 120);  // the typing keys did type
}

TEST_F(KeyboardTest, CtrlLAndZoomKeysNeverCutOrType)
{
    const DocPtr doc = open(QStringLiteral("h.txt"), "one line that Ctrl+L used to cut\nsecond\n");
    ASSERT_TRUE(doc);
    const QString before = doc->text();
    for (int k : {Qt::Key_Equal, Qt::Key_Plus, Qt::Key_Minus, Qt::Key_Period, Qt::Key_Semicolon, Qt::Key_Apostrophe,
                  Qt::Key_BracketLeft, Qt::Key_T, Qt::Key_D, Qt::Key_U}) {
        key(k, Qt::ControlModifier);
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        editors->controller(doc).focus();
    }
    key(Qt::Key_L, Qt::ControlModifier);
    key(Qt::Key_Escape);
    EXPECT_EQ(doc->text(), before);
}

TEST_F(KeyboardTest, ARestoredPlaceWaitsForTheEditorAndComesBack)
{
    DocPtr doc = makeDoc(QUuid::createUuid(), QStringLiteral("p.txt"),
                         QString::fromUtf8(numbered(300)) + QStringLiteral("中文𝄞ab\n"), std::nullopt, TextEncoding(),
                         LineEnding(), {});
    model->appendDoc(doc);
    ASSERT_FALSE(editors->existing(doc->id));
    editors->restorePlace(doc, EditorPlace{150, 120, 4});
    EXPECT_EQ(editors->place(doc), (EditorPlace{150, 120, 4}));
    model->activate(doc);
    ASSERT_TRUE(waitUntil([&] { return editors->existing(doc->id); }));
    EXPECT_EQ(editors->place(doc), (EditorPlace{150, 120, 4}));
    ASSERT_TRUE(editorHasFocus());
    type(QStringLiteral("X"));
    EXPECT_EQ(line(doc, 150), QStringLiteral("lineX 151"));

    // Columns count characters, whatever their bytes or UTF-16 units; past
    // the end of the line, or of the text, the caret stops at the end.
    struct Case {
        EditorPlace place;
        int line;
        QString typed;
        int columnAfter;
    };
    for (const Case& c : {Case{{300, 290, 3}, 300, QStringLiteral("中文𝄞Yab"), 4},
                          Case{{300, 290, 99}, 300, QStringLiteral("中文𝄞abY"), 6},
                          Case{{5000, 5000, 0}, 301, QStringLiteral("Y"), 1}}) {
        SCOPED_TRACE(c.typed.toStdString());
        editors->restorePlace(doc, c.place);
        EXPECT_EQ(editors->place(doc)->caretLine, c.line);
        type(QStringLiteral("Y"));
        EXPECT_EQ(line(doc, c.line), c.typed);
        EXPECT_EQ(editors->place(doc)->caretColumn, c.columnAfter);
        key(Qt::Key_Backspace);
    }
}

TEST_F(KeyboardTest, TheSidebarTakesTheKeyboardWithF6AndArrowsCrossGroupsIntoTheRecentFiles)
{
    const DocPtr a = open(QStringLiteral("a.txt"), "a");
    const DocPtr b = open(QStringLiteral("b.txt"), "b");
    const DocPtr c = open(QStringLiteral("c.txt"), "c");
    const QString gone = write(QStringLiteral("gone.txt"), "g");
    window->openFiles({gone});
    model->close(model->active());             // now a recent file
    model->addTag(QStringLiteral("工作"), b);  // 工作: b; 未分组: a, c
    model->activate(a);
    ASSERT_TRUE(editorHasFocus());
    key(Qt::Key_F6);
    ASSERT_EQ(focusedRow(), a);
    QWidget* untagged = focused();
    struct Step {
        int key;
        DocPtr row;  // null: the recent file
    };
    for (const Step& s :
         {Step{Qt::Key_Up, b}, Step{Qt::Key_Up, b}, Step{Qt::Key_Down, a}, Step{Qt::Key_Down, c},
          Step{Qt::Key_Down, nullptr}, Step{Qt::Key_Down, nullptr}, Step{Qt::Key_Up, c}, Step{Qt::Key_Home, b}}) {
        SCOPED_TRACE(QKeySequence(s.key).toString().toStdString());
        key(s.key);
        if (s.row) {
            EXPECT_EQ(focusedRow(), s.row);
            EXPECT_EQ(focused() == untagged, s.row != b);
        } else {
            auto* recent = qobject_cast<RecentRow*>(focused());
            ASSERT_TRUE(recent);
            EXPECT_EQ(recent->path(), gone);
        }
    }
    EXPECT_EQ(model->active(), a);  // moving is not choosing
    key(Qt::Key_Return);
    EXPECT_EQ(model->active(), b);
    ASSERT_TRUE(editorHasFocus());
    type(QStringLiteral("x"));
    EXPECT_EQ(b->text(), QStringLiteral("xb"));

    // Return on a recent file opens it.
    key(Qt::Key_F6);
    key(Qt::Key_End);
    key(Qt::Key_Return);
    ASSERT_TRUE(waitUntil([&] { return model->active() && model->active()->url() == gone; }));
    // Escape and F6 go back to the text.
    key(Qt::Key_F6);
    EXPECT_EQ(focusedRow(), model->active());
    key(Qt::Key_Escape);
    EXPECT_TRUE(editorHasFocus());
    key(Qt::Key_F6);
    key(Qt::Key_F6);
    EXPECT_TRUE(editorHasFocus());
}
