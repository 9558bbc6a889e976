// Real key events, sent wherever the keyboard focus is in the full main window:
// no view update may drop a keystroke or leave stale state behind.
#include "WindowFixture.h"
#include "views/controls/Controls.h"
#include "views/overlays/DialogLayer.h"
#include "views/overlays/PopupLayer.h"
#include "views/pane/FindBar.h"
#include "views/pane/PaneHeader.h"
#include "views/pane/PaneStatusBar.h"
#include "views/sheets/NewFileSheet.h"

namespace {

struct TypingTest : WindowFixture {
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
    const SidebarRow row = rowOf(doc);
    ASSERT_TRUE(row);
    EXPECT_TRUE(paintsDot(row));
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

TEST_F(TypingTest, ModesFullScreenTagsAndDialogsKeepTheKeyboard)
{
    const DocPtr doc = open(QStringLiteral("m.md"), "");
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

    // Distraction-free on and off, and Escape leaves it.
    key(Qt::Key_F11);
    ASSERT_TRUE(model->isFullScreen());
    EXPECT_FALSE(window->sidebar()->isVisible());
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

    // Renaming through the dialog, its base name selected: the title and header follow.
    model->askRename(doc);
    ASSERT_TRUE(window->dialogLayer()->input());
    EXPECT_EQ(focused(), window->dialogLayer()->input());
    EXPECT_EQ(window->dialogLayer()->input()->selectedText(), QStringLiteral("m"));
    type(QStringLiteral("renamed"));
    key(Qt::Key_Return);
    EXPECT_FALSE(model->dialog());
    EXPECT_EQ(doc->name(), QStringLiteral("renamed.md"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("renamed.md — Lorvane"));
    EXPECT_EQ(window->docPane()->header()->nameLabel()->text(), QStringLiteral("renamed.md"));
    typeAndCheck(QStringLiteral("j"), "after renaming");
}

TEST_F(TypingTest, ReturnInTheReplaceFieldReplacesTheCurrentMatch)
{
    const DocPtr doc = open(QStringLiteral("r.txt"), "one two one");
    ASSERT_TRUE(doc);
    key(Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    FindBar* find = window->docPane()->findBar();
    ASSERT_TRUE(model->find().replaceVisible());
    EXPECT_FALSE(find->expandButton()->isVisible());
    type(QStringLiteral("one"));
    EXPECT_TRUE(waitUntil([&] { return same(model->find().matchCount(), 2); }));
    find->replaceField()->setFocus();
    type(QStringLiteral("1"));
    EXPECT_EQ(model->find().replaceText(), QStringLiteral("1"));
    key(Qt::Key_Return);
    EXPECT_EQ(doc->text(), QStringLiteral("1 two one"));
    // Shift+Return is a line break in the field, not a replacement.
    key(Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(model->find().replaceText(), QStringLiteral("1\n"));
    EXPECT_EQ(doc->text(), QStringLiteral("1 two one"));

    // An invalid expression marks the find field.
    model->find().setUseRegex(true);
    model->find().setQuery(QStringLiteral("(a"));
    EXPECT_TRUE(waitUntil([&] { return model->find().error().has_value(); }));
    EXPECT_TRUE(find->findBox()->isInvalid());
    EXPECT_EQ(find->status()->text(), QStringLiteral("正则无效"));
}
