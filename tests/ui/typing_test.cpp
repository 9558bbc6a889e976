// Real key events, sent wherever the keyboard focus is in the full main window:
// no view update may drop a keystroke or leave stale state behind.
#include "core/AppModel.h"
#include "editor/EditorCache.h"
#include "editor/EditorController.h"
#include "views/controls/Controls.h"
#include "views/overlays/DialogLayer.h"
#include "views/overlays/PopupLayer.h"
#include "views/pane/DocPane.h"
#include "views/pane/FindBar.h"
#include "views/pane/PaneHeader.h"
#include "views/pane/PaneStatusBar.h"
#include "views/sheets/NewFileSheet.h"
#include "views/sidebar/Sidebar.h"
#include "views/window/MainWindow.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "WaitUntil.h"
#include "WindowFixture.h"

namespace {

struct TypingTest : WindowFixture {
    // Lets queued view updates (focus hand-over, layout) run.
    static void settle() { QTest::qWait(30); }
    bool editorHasFocus() const
    {
        settle();
        const DocPtr d = model->active();
        EditorController* c = d ? editors->existing(d->id) : nullptr;
        QWidget* f = QApplication::focusWidget();
        return c && f && (f == c->widget() || c->widget()->isAncestorOf(f));
    }
    QWidget* dirtyDotOf(const DocPtr& doc) const
    {
        for (GroupView* g : window->sidebar()->groupViews())
            for (DocRow* r : g->rows())
                if (r->doc() == doc)
                    return r->findChild<QWidget*>(QStringLiteral("dirtyDot"));
        return nullptr;
    }
    QString caretText() const { return window->docPane()->status()->caret()->text(); }
};

}

TEST_F(TypingTest, EveryKeyLandsAfterTheSheetAndWhileTheNameFollowsTheText)
{
    key(Qt::Key_N, Qt::ControlModifier);
    ASSERT_TRUE(model->showNewFile());
    auto* sheet = window->findChild<NewFileSheet*>();
    EXPECT_EQ(focused(), sheet->nameField());
    key(Qt::Key_Return);  // empty name: named after its first line
    ASSERT_FALSE(model->showNewFile());
    const DocPtr doc = model->active();
    ASSERT_TRUE(doc);
    EXPECT_TRUE(editorHasFocus());
    type(QStringLiteral("hello world"));
    EXPECT_EQ(doc->text(), QStringLiteral("hello world"));
    // Automatic naming renamed the document while the keys were coming in.
    EXPECT_TRUE(waitUntil([&] { return same(doc->name().left(5), QStringLiteral("hello")); }));
    type(QStringLiteral(" again"));
    EXPECT_EQ(doc->text(), QStringLiteral("hello world again"));
    EXPECT_TRUE(editorHasFocus());
    EXPECT_TRUE(waitUntil([&] { return same(window->windowTitle(), doc->name() + QStringLiteral(" — Lorvane")); }));
    EXPECT_EQ(window->docPane()->header()->nameLabel()->text(), doc->name());
    EXPECT_TRUE(window->docPane()->header()->dirtyLabel()->isVisible());
    QWidget* dot = dirtyDotOf(doc);
    ASSERT_TRUE(dot);
    EXPECT_TRUE(dot->isVisible());
    EXPECT_EQ(caretText(), QStringLiteral("行 1，列 18"));

    // A second document starts with its own caret read-out.
    key(Qt::Key_N, Qt::ControlModifier);
    key(Qt::Key_Return);
    ASSERT_NE(model->active(), doc);
    EXPECT_EQ(caretText(), QStringLiteral("行 1，列 1"));
    type(QStringLiteral("b"));
    EXPECT_EQ(model->active()->text(), QStringLiteral("b"));
    EXPECT_EQ(caretText(), QStringLiteral("行 1，列 2"));
}

TEST_F(TypingTest, ModesFindBarFullScreenTagsAndDialogsKeepTheKeyboard)
{
    window->openFiles({write(QStringLiteral("m.md"), "")});
    const DocPtr doc = model->active();
    ASSERT_TRUE(doc);
    EXPECT_TRUE(editorHasFocus());
    QString expected;
    const auto typeAndCheck = [&](const QString& s, const char* step) {
        type(s);
        expected += s;
        EXPECT_EQ(doc->text(), expected) << step;
        EXPECT_TRUE(editorHasFocus()) << step;
    };
    typeAndCheck(QStringLiteral("a"), "start");

    key(Qt::Key_2, Qt::ControlModifier);
    EXPECT_EQ(doc->mode(), ViewMode::split);
    typeAndCheck(QStringLiteral("b"), "split");
    key(Qt::Key_3, Qt::ControlModifier);
    EXPECT_EQ(doc->mode(), ViewMode::preview);
    key(Qt::Key_1, Qt::ControlModifier);
    EXPECT_EQ(doc->mode(), ViewMode::editor);
    typeAndCheck(QStringLiteral("c"), "back to the editor");

    // The find bar takes the keyboard, Escape in its field gives it back.
    key(Qt::Key_F, Qt::ControlModifier);
    FindBar* find = window->docPane()->findBar();
    ASSERT_TRUE(find->isVisible());
    EXPECT_EQ(focused(), find->findField());
    type(QStringLiteral("b"));
    EXPECT_EQ(model->findQuery(), QStringLiteral("b"));
    EXPECT_TRUE(waitUntil([&] { return same(find->status()->text(), QStringLiteral("1 / 1")); }));
    key(Qt::Key_Escape);
    EXPECT_FALSE(model->findVisible());
    EXPECT_FALSE(find->isVisible());
    key(Qt::Key_End);  // the match stays selected; typing goes after it
    typeAndCheck(QStringLiteral("d"), "find bar closed");

    // Distraction-free on and off, and Escape leaves it.
    key(Qt::Key_F11);
    ASSERT_TRUE(model->isFullScreen());
    typeAndCheck(QStringLiteral("e"), "full screen");
    key(Qt::Key_F11);
    ASSERT_FALSE(model->isFullScreen());
    typeAndCheck(QStringLiteral("f"), "full screen off");
    key(Qt::Key_F11);
    key(Qt::Key_Escape);
    EXPECT_FALSE(model->isFullScreen());
    EXPECT_TRUE(window->sidebar()->isVisible());
    typeAndCheck(QStringLiteral("g"), "escape from full screen");

    model->toggleTag(QStringLiteral("work"), doc);
    ASSERT_TRUE(doc->tags().contains(QStringLiteral("work")));
    typeAndCheck(QStringLiteral("h"), "tag change");

    model->alert(QStringLiteral("提示"), QStringLiteral("x"));
    type(QStringLiteral("zz"));  // swallowed by the dialog
    EXPECT_EQ(doc->text(), expected);
    key(Qt::Key_Escape);
    EXPECT_FALSE(model->dialog());
    typeAndCheck(QStringLiteral("i"), "after a dialog");

    // Renaming through the dialog: the title and header follow.
    model->askRename(doc);
    ASSERT_TRUE(window->dialogLayer()->input());
    EXPECT_EQ(focused(), window->dialogLayer()->input());
    window->dialogLayer()->input()->selectAll();
    type(QStringLiteral("renamed.md"));
    key(Qt::Key_Return);
    EXPECT_FALSE(model->dialog());
    EXPECT_EQ(doc->name(), QStringLiteral("renamed.md"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("renamed.md — Lorvane"));
    EXPECT_EQ(window->docPane()->header()->nameLabel()->text(), QStringLiteral("renamed.md"));
    typeAndCheck(QStringLiteral("j"), "after renaming");
}

TEST_F(TypingTest, EscapeClosesClickOpenedPopupsAndTheKeyboardStaysWithTheText)
{
    window->openFiles({write(QStringLiteral("p.txt"), "")});
    const DocPtr doc = model->active();
    ASSERT_TRUE(doc);
    PaneStatusBar* status = window->docPane()->status();
    const std::pair<QWidget*, Popup> cases[] = {
        {status->encodingButton(), Popup::encoding()},
        {status->eolButton(), Popup::eol()},
        {status->formatButton(), Popup::format()},
    };
    QString expected;
    for (const auto& [button, popup] : cases) {
        QTest::mouseClick(button, Qt::LeftButton);
        ASSERT_EQ(model->popup(), popup);
        EXPECT_TRUE(static_cast<TextButton*>(button)->isOn());
        key(Qt::Key_Escape);
        EXPECT_FALSE(model->popup()) << popup.anchor().toStdString();
        EXPECT_FALSE(static_cast<TextButton*>(button)->isOn());
        type(QStringLiteral("k"));
        expected += u'k';
        EXPECT_EQ(doc->text(), expected) << popup.anchor().toStdString();
    }
    // The tag popup has a field of its own; Escape from it closes the popup too.
    model->toggle(Popup::tags(doc->id));
    ASSERT_TRUE(model->popup());
    if (QLineEdit* field = window->popupLayer()->findChild<QLineEdit*>()) {
        field->setFocus();
        EXPECT_EQ(focused(), field);
    }
    key(Qt::Key_Escape);
    EXPECT_FALSE(model->popup());
    type(QStringLiteral("l"));
    EXPECT_EQ(doc->text(), expected + u'l');
}

TEST_F(TypingTest, ReturnInTheReplaceFieldReplacesTheCurrentMatch)
{
    window->openFiles({write(QStringLiteral("r.txt"), "one two one")});
    const DocPtr doc = model->active();
    ASSERT_TRUE(doc);
    key(Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    FindBar* find = window->docPane()->findBar();
    ASSERT_TRUE(model->replaceVisible());
    EXPECT_FALSE(find->expandButton()->isVisible());
    type(QStringLiteral("one"));
    EXPECT_TRUE(waitUntil([&] { return same(model->matchCount(), 2); }));
    find->replaceField()->setFocus();
    type(QStringLiteral("1"));
    EXPECT_EQ(model->replaceText(), QStringLiteral("1"));
    key(Qt::Key_Return);
    EXPECT_EQ(doc->text(), QStringLiteral("1 two one"));
    // Shift+Return is a line break in the field, not a replacement.
    key(Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(model->replaceText(), QStringLiteral("1\n"));
    EXPECT_EQ(doc->text(), QStringLiteral("1 two one"));

    // An invalid expression marks the find field.
    model->setUseRegex(true);
    model->setFindQuery(QStringLiteral("(a"));
    EXPECT_TRUE(waitUntil([&] { return model->findError().has_value(); }));
    EXPECT_TRUE(find->findBox()->isInvalid());
    EXPECT_EQ(find->status()->text(), QStringLiteral("正则无效"));
}
