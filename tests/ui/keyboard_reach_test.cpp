// Whatever the user opens takes the keyboard at once and gives it back; keys and
// clicks go wherever the focus is in the whole window.
#include "WindowFixture.h"
#include "editor/LineNumberRuler.h"
#include "editor/Palette.h"
#include "views/controls/Controls.h"
#include "views/overlays/DialogLayer.h"
#include "views/overlays/MenuPanel.h"
#include "views/overlays/PopupLayer.h"
#include "views/pane/EditorArea.h"
#include "views/pane/FindBar.h"
#include "views/pane/GoToLineBar.h"
#include "views/pane/PaneHeader.h"
#include "views/pane/PaneStatusBar.h"
#include "views/sheets/NewFileSheet.h"
#include "views/sheets/SheetParts.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <functional>

namespace {

struct KeyboardReach : WindowFixture {
    static QString buttonText(QWidget* w)
    {
        auto* b = qobject_cast<QAbstractButton*>(w);
        return b ? b->text() : QString();
    }
    // Pixels of the accent colour in the widget as painted now.
    static int accentPixels(QWidget* w)
    {
        const QImage img = w->grab().toImage();
        const QRgb accent = Palette::accent().resolve().rgb();
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                n += img.pixel(x, y) == accent;
        return n;
    }
    // An input method's composition: pinyin first, then the chosen characters.
    static void compose(const QString& pinyin, const QString& chosen)
    {
        QWidget* w = focused();
        ASSERT_TRUE(w);
        QInputMethodEvent pre(pinyin, {});
        QCoreApplication::sendEvent(w, &pre);
        QInputMethodEvent commit;
        commit.setCommitString(chosen);
        QCoreApplication::sendEvent(w, &commit);
    }
    static QString fieldText(QWidget* w)
    {
        if (auto* line = qobject_cast<QLineEdit*>(w))
            return line->text();
        if (auto* plain = qobject_cast<QPlainTextEdit*>(w))
            return plain->toPlainText();
        return QString();
    }
    QString caretText() const { return window->docPane()->status()->caret()->text(); }
};

using PopupKeyboard = KeyboardReach;
using TypingTest = KeyboardReach;

}

TEST_F(KeyboardReach, TabWalksTheNewFileSheetAndReturnCreatesAlsoAfterAClick)
{
    model->addTag(QStringLiteral("工作"), nullptr);
    key(Qt::Key_N, Qt::ControlModifier);
    ASSERT_TRUE(model->showNewFile());
    auto* sheet = window->findChild<NewFileSheet*>();
    EXPECT_EQ(focused(), sheet->nameField());
    type(QStringLiteral("plan"));

    // Name, then the formats as one stop: the first tile, its ring showing.
    key(Qt::Key_Tab);
    auto* tile = qobject_cast<SheetParts::Tile*>(focused());
    ASSERT_TRUE(tile) << focused()->metaObject()->className();
    EXPECT_EQ(tile->objectName(), PluginRegistry::catalog().front().id);
    EXPECT_GT(accentPixels(tile), 20);
    // Arrows move between the tiles, Space picks one.
    key(Qt::Key_Right);
    auto* second = qobject_cast<SheetParts::Tile*>(focused());
    ASSERT_TRUE(second);
    EXPECT_EQ(second->objectName(), PluginRegistry::catalog()[1].id);
    EXPECT_LT(accentPixels(tile), 5);
    key(Qt::Key_Space);
    EXPECT_EQ(sheet->plugin(), PluginRegistry::catalog()[1].id);
    EXPECT_EQ(sheet->name(), QStringLiteral("plan.") + PluginRegistry::catalog()[1].ext);

    // Then the tag chips, then the buttons.
    key(Qt::Key_Tab);
    auto* chip = qobject_cast<SheetParts::Chip*>(focused());
    ASSERT_TRUE(chip);
    key(Qt::Key_Space);
    EXPECT_EQ(sheet->tags().size(), 1);
    key(Qt::Key_Tab);
    EXPECT_EQ(buttonText(focused()), QStringLiteral("取消"));
    key(Qt::Key_Tab);
    QWidget* create = focused();
    EXPECT_EQ(buttonText(create), QStringLiteral("创建"));
    EXPECT_GT(accentPixels(create), 20);
    // Tab never leaves the sheet: round to the name, and back.
    key(Qt::Key_Tab);
    EXPECT_EQ(focused(), sheet->nameField());
    key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(focused(), create);

    key(Qt::Key_Return);
    EXPECT_FALSE(model->showNewFile());
    const DocPtr doc = model->active();
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->name(), QStringLiteral("plan.") + PluginRegistry::catalog()[1].ext);
    EXPECT_EQ(doc->tags().size(), 1);

    // Return creates after a click too, and typing replaces the template's heading.
    key(Qt::Key_N, Qt::ControlModifier);
    sheet = window->findChild<NewFileSheet*>();
    SheetParts::Tile* markdown = nullptr;
    for (auto* t : sheet->findChildren<SheetParts::Tile*>())
        if (t->objectName() == QStringLiteral("markdown"))
            markdown = t;
    ASSERT_TRUE(markdown);
    QTest::mouseClick(markdown, Qt::LeftButton);
    EXPECT_EQ(sheet->plugin(), QStringLiteral("markdown"));
    key(Qt::Key_Return);
    ASSERT_FALSE(model->showNewFile());
    ASSERT_TRUE(model->active());
    type(QStringLiteral("abc"));
    EXPECT_EQ(model->active()->text(), QStringLiteral("# abc\n\n"));
    EXPECT_EQ(templateHeading(QStringLiteral("# 标题\n\n")), (std::pair{2, 2}));
    EXPECT_FALSE(templateHeading(QStringLiteral("#\n")));
    EXPECT_FALSE(templateHeading(QStringLiteral("a # b\n")));
}

TEST_F(KeyboardReach, TabReachesDontSaveAndKeepInTheUnsavedDialogs)
{
    const DocPtr doc = open(QStringLiteral("n.txt"), "abc");
    ASSERT_TRUE(doc);
    type(QStringLiteral("x"));
    ASSERT_TRUE(doc->isDirty());
    model->close(doc);
    ASSERT_TRUE(model->dialog());
    // The default button holds the keyboard first, its ring drawn.
    EXPECT_EQ(buttonText(focused()), QStringLiteral("保存"));
    EXPECT_GT(accentPixels(focused()), 20);
    key(Qt::Key_Tab);  // round to the first button
    QWidget* dontSave = focused();
    EXPECT_EQ(buttonText(dontSave), QStringLiteral("不保存"));
    EXPECT_GT(accentPixels(dontSave), 20);
    key(Qt::Key_Return);
    EXPECT_FALSE(model->dialog());
    EXPECT_TRUE(model->docs().isEmpty());
    EXPECT_EQ(QFile(dir.filePath(QStringLiteral("n.txt"))).size(), 3);

    // Quitting: Shift+Tab from 保存 reaches 暂留.
    const DocPtr other = open(QStringLiteral("m.txt"), "abc");
    type(QStringLiteral("y"));
    model->confirmQuit([](bool) {});
    ASSERT_TRUE(model->dialog());
    EXPECT_EQ(buttonText(focused()), QStringLiteral("保存"));
    key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(buttonText(focused()), QStringLiteral("暂留"));
    key(Qt::Key_Left);
    EXPECT_EQ(buttonText(focused()), QStringLiteral("取消"));
    key(Qt::Key_Space);
    EXPECT_FALSE(model->dialog());
    EXPECT_EQ(other->text(), QStringLiteral("yabc"));
}

TEST_F(KeyboardReach, AnOpenPopupOwnsTheArrowsAndReturn)
{
    const DocPtr doc = open(QStringLiteral("a.txt"), "one\ntwo\nthree\n");
    CodeTextView* v = view(doc);
    v->setCursorPosition(1);
    ASSERT_TRUE(v->hasFocus());
    model->toggle(Popup::eol());
    nextTurn();
    auto* menu = qobject_cast<MenuPanel*>(window->popupLayer()->panel()->content());
    ASSERT_TRUE(menu);
    for (int k :
         {Qt::Key_Down, Qt::Key_Down, Qt::Key_Up, Qt::Key_Down, Qt::Key_Left, Qt::Key_Right, Qt::Key_End, Qt::Key_Home})
        key(k);
    EXPECT_EQ(v->cursorPosition(), 1);
    EXPECT_EQ(menu->current(), 0);
    key(Qt::Key_Down);
    EXPECT_EQ(menu->current(), 1);
    key(Qt::Key_Return);
    EXPECT_FALSE(model->popup());
    EXPECT_EQ(doc->eol(), LineEnding::allCases()[1]);
    EXPECT_EQ(doc->text(), QStringLiteral("one\ntwo\nthree\n"));
    EXPECT_EQ(v->cursorPosition(), 1);
    EXPECT_TRUE(v->hasFocus());
    // With the popup gone the arrows move the caret again.
    key(Qt::Key_Down);
    EXPECT_EQ(v->lineOf(v->cursorPosition()), 1);

    // The tags popup: arrows walk the tags, Return toggles the highlighted one.
    model->addTag(QStringLiteral("甲"), nullptr);
    model->addTag(QStringLiteral("乙"), nullptr);
    model->toggle(Popup::tags(doc->id));
    nextTurn();
    key(Qt::Key_Down);
    key(Qt::Key_Down);
    key(Qt::Key_Return);
    EXPECT_EQ(doc->tags(), QStringList{model->tags()[1].id});
    key(Qt::Key_Return);
    EXPECT_TRUE(doc->tags().isEmpty());
    EXPECT_EQ(v->lineOf(v->cursorPosition()), 1);
    key(Qt::Key_Escape);
    EXPECT_FALSE(model->popup());
}

TEST_F(KeyboardReach, AClickKeepsTheFeatureMenuThatHoverOpened)
{
    open(QStringLiteral("a.txt"), "abc");
    IconButton* button = window->docPane()->header()->featureButton();
    model->hoverFeature(true, std::nullopt);
    ASSERT_EQ(model->popup(), Popup::feature());
    EXPECT_TRUE(button->toolTip().isEmpty());  // it would cover the first row's "Ctrl+F"
    // The click lands on whatever lies over the button now, as a real one would.
    const QPoint global = button->mapToGlobal(button->rect().center());
    QWidget* top = window->childAt(window->mapFromGlobal(global));
    ASSERT_TRUE(top);
    EXPECT_NE(top, button);  // the popup layer's catcher
    QTest::mouseClick(top, Qt::LeftButton, {}, top->mapFromGlobal(global));
    EXPECT_EQ(model->popup(), Popup::feature());
    // Clicked open, it stays when the pointer goes away.
    model->hoverFeature(false, std::nullopt);
    afterTimer(WindowModel::featureCloseMSecs);
    EXPECT_EQ(model->popup(), Popup::feature());
    top = window->childAt(window->mapFromGlobal(global));
    QTest::mouseClick(top, Qt::LeftButton, {}, top->mapFromGlobal(global));
    EXPECT_FALSE(model->popup());
    EXPECT_EQ(button->toolTip(), QStringLiteral("功能"));
}

TEST_F(KeyboardReach, ClickingADiagnosticPutsTheCaretOnItsColumn)
{
    const DocPtr doc = open(QStringLiteral("bad.json"), "{\n  \"名\": 1 \"b\": 2\n}\n");
    ASSERT_TRUE(doc);
    ASSERT_TRUE(waitUntil([&] { return !doc->diagnostics().isEmpty(); }));
    EXPECT_EQ(doc->diagnostics().front().line, 2);
    EXPECT_EQ(doc->diagnostics().front().column, 10);
    CodeTextView* v = view(doc);
    const auto caret = [v] {
        const int p = v->cursorPosition();
        return std::pair{v->lineOf(p) + 1, p - v->lineStart(v->lineOf(p)) + 1};
    };
    // The strip: focus elsewhere first, the click brings it back.
    window->sidebar()->setFocus();
    v->setCursorPosition(0);
    QTest::mouseClick(window->docPane()->area()->strip(), Qt::LeftButton);
    EXPECT_EQ(caret(), (std::pair{2, 10}));
    EXPECT_EQ(v->textIn(v->cursorPosition(), 3), QStringLiteral("\"b\""));
    EXPECT_TRUE(v->hasFocus());
    // The error line's number in the gutter.
    v->setCursorPosition(0);
    LineNumberRuler* ruler = v->ruler();
    nextTurn();
    std::optional<LineNumberRuler::Label> label;
    for (const auto& l : ruler->visibleLabels())
        if (l.error)
            label = l;
    ASSERT_TRUE(label);
    QTest::mouseClick(ruler, Qt::LeftButton, {}, QPoint(ruler->width() / 2, int(label->y) + v->lineHeight() / 2));
    EXPECT_EQ(caret(), (std::pair{2, 10}));
}

TEST_F(KeyboardReach, TheHeaderShowsOnlyTheActiveDocumentsTags)
{
    const DocPtr a = open(QStringLiteral("a.txt"), "a");
    const DocPtr b = open(QStringLiteral("b.txt"), "b");
    PaneHeader* header = window->docPane()->header();
    const auto chips = [header] {
        nextTurn();  // chips added to a shown bar appear on the next turn
        QStringList names;
        for (QWidget* w : header->findChildren<QWidget*>(QStringLiteral("tagChip")))
            if (w->isVisibleTo(header))
                names << w->findChild<QLabel*>()->text();
        return names;
    };
    model->addTag(QStringLiteral("工作"), a);
    model->addTag(QStringLiteral("生活"), b);
    model->activate(a);
    EXPECT_EQ(chips(), QStringList{QStringLiteral("工作")});
    model->activate(b);
    EXPECT_EQ(chips(), QStringList{QStringLiteral("生活")});
    model->createDoc(QString(), std::nullopt, {});
    EXPECT_EQ(chips(), QStringList());
    model->activate(a);
    EXPECT_EQ(chips(), QStringList{QStringLiteral("工作")});
}

TEST_F(PopupKeyboard, TheTagPopupClickedOpenTakesTypingAndPinyinAndEscapeGivesItBack)
{
    const DocPtr other = open(QStringLiteral("b.txt"), "other");
    const DocPtr doc = open(QStringLiteral("a.txt"), "text");
    CodeTextView* v = view(doc);
    QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, QPoint(4, 4));
    ASSERT_TRUE(v->hasFocus());

    // The tag icon of another document's row: its popup, not the open text, gets the letters.
    const SidebarRow row = rowOf(other);
    ASSERT_TRUE(row);
    clickAt(row.list->viewport(), DocRowDelegate::tagRect(row.rect()).center());
    ASSERT_EQ(model->popup(), Popup::tags(other->id));
    auto* field = qobject_cast<QLineEdit*>(focused());
    ASSERT_TRUE(field) << (focused() ? focused()->metaObject()->className() : "nothing");
    EXPECT_TRUE(window->popupLayer()->panel()->isAncestorOf(field));
    type(QStringLiteral("work"));
    compose(QStringLiteral("dushu"), QStringLiteral("读书"));
    EXPECT_EQ(field->text(), QStringLiteral("work读书"));
    EXPECT_EQ(doc->text(), QStringLiteral("text"));
    EXPECT_FALSE(doc->isDirty());
    key(Qt::Key_Return);
    ASSERT_EQ(model->tags().size(), 1);
    EXPECT_EQ(model->tags().front().name, QStringLiteral("work读书"));
    EXPECT_EQ(other->tags(), QStringList{model->tags().front().id});
    EXPECT_TRUE(doc->tags().isEmpty());

    key(Qt::Key_Escape);
    EXPECT_FALSE(model->popup());
    EXPECT_EQ(focused(), v);
    type(QStringLiteral("x"));
    EXPECT_EQ(doc->text(), QStringLiteral("xtext"));
}

// Each layer as the user opens it: what has the keyboard then, what typing
// does to it, and that Escape hands the keyboard back to the text.
TEST_F(PopupKeyboard, EveryPopupSheetDialogAndBarTakesTheKeyboardWhenItOpens)
{
    const DocPtr doc = open(QStringLiteral("a.md"), "# 一\n\n## 二\n");
    CodeTextView* v = view(doc);
    PaneStatusBar* status = window->docPane()->status();
    struct Case {
        const char* name;
        std::function<void()> open;
        std::function<QWidget*()> layer;  // where the keyboard must be
        bool typedShows;                  // the focused field shows the typed letters
        TextButton* button = nullptr;     // a status button, on while its popup is open
    };
    const auto popupPanel = [this]() -> QWidget* { return window->popupLayer()->panel(); };
    const Case cases[] = {
        {"settings", [] { key(Qt::Key_Comma, Qt::ControlModifier); }, popupPanel, false},
        {"feature menu", [&] { clickOn(window->docPane()->header()->featureButton()); }, popupPanel, false},
        {"encoding menu", [&] { clickOn(status->encodingButton()); }, popupPanel, false, status->encodingButton()},
        {"line ending menu", [&] { clickOn(status->eolButton()); }, popupPanel, false, status->eolButton()},
        {"format menu", [&] { clickOn(status->formatButton()); }, popupPanel, false, status->formatButton()},
        {"outline", [] { key(Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier); }, popupPanel, false},
        {"new-file sheet", [] { key(Qt::Key_N, Qt::ControlModifier); },
         [this]() -> QWidget* { return window->findChild<NewFileSheet*>(); }, true},
        {"rename dialog", [this] { menuAction(QStringLiteral("重命名…"))->trigger(); },
         [this]() -> QWidget* { return window->dialogLayer(); }, true},
        {"find bar", [] { key(Qt::Key_F, Qt::ControlModifier); },
         [this]() -> QWidget* { return window->docPane()->findBar(); }, true},
        {"go-to-line bar", [] { key(Qt::Key_L, Qt::ControlModifier); },
         [this]() -> QWidget* { return window->docPane()->goToLineBar(); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, QPoint(4, 4));
        ASSERT_TRUE(waitUntil([&] { return v->hasFocus(); }));
        c.open();
        ASSERT_TRUE(waitUntil([&] { return c.layer() && c.layer()->isAncestorOf(QApplication::focusWidget()); }))
            << (focused() ? focused()->metaObject()->className() : "nothing");
        QWidget* f = focused();
        if (c.button) {
            EXPECT_TRUE(c.button->isOn());
        }
        type(QStringLiteral("12"));
        EXPECT_EQ(doc->text(), QStringLiteral("# 一\n\n## 二\n"));
        EXPECT_FALSE(doc->isDirty());
        if (c.typedShows) {
            EXPECT_TRUE(fieldText(f).contains(QStringLiteral("12"))) << fieldText(f).toStdString();
        }
        key(Qt::Key_Escape);
        EXPECT_TRUE(waitUntil([&] { return v->hasFocus(); }))
            << (focused() ? focused()->metaObject()->className() : "nothing");
        EXPECT_FALSE(model->popup());
        EXPECT_FALSE(model->dialog());
        EXPECT_FALSE(model->showNewFile());
        EXPECT_EQ(model->docs().size(), 1);  // nothing was created or closed
        if (c.button) {
            EXPECT_FALSE(c.button->isOn());
        }
    }
    // Back in the text, typing edits it again.
    type(QStringLiteral("z"));
    EXPECT_TRUE(doc->text().startsWith(u'z')) << doc->text().toStdString();
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
