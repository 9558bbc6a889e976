// Keyboard reach of sheets, dialogs and popups: real key events, always sent
// to whatever has the keyboard in the whole main window.
#include "WindowFixture.h"
#include "editor/LineNumberRuler.h"
#include "editor/Palette.h"
#include "views/controls/Controls.h"
#include "views/overlays/DialogLayer.h"
#include "views/overlays/MenuPanel.h"
#include "views/overlays/PopupLayer.h"
#include "views/pane/EditorArea.h"
#include "views/pane/PaneHeader.h"
#include "views/sheets/NewFileSheet.h"
#include "views/sheets/SheetParts.h"

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
};

}

TEST_F(KeyboardReach, TabWalksTheNewFileSheetToCreateAndReturnCreates)
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
}

TEST_F(KeyboardReach, ReturnCreatesAfterAClickAndTypingReplacesTheTemplateHeading)
{
    key(Qt::Key_N, Qt::ControlModifier);
    auto* sheet = window->findChild<NewFileSheet*>();
    SheetParts::Tile* markdown = nullptr;
    for (auto* t : sheet->findChildren<SheetParts::Tile*>())
        if (t->objectName() == QStringLiteral("markdown"))
            markdown = t;
    ASSERT_TRUE(markdown);
    QTest::mouseClick(markdown, Qt::LeftButton);
    EXPECT_EQ(sheet->plugin(), QStringLiteral("markdown"));
    key(Qt::Key_Return);
    ASSERT_FALSE(model->showNewFile());
    const DocPtr doc = model->active();
    ASSERT_TRUE(doc);
    type(QStringLiteral("abc"));
    EXPECT_EQ(doc->text(), QStringLiteral("# abc\n\n"));
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
    afterTimer(AppModel::featureCloseMSecs);
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
        int n = 0;
        for (QWidget* w : header->findChildren<QWidget*>(QStringLiteral("tagChip")))
            n += w->isVisibleTo(header);
        return n;
    };
    model->addTag(QStringLiteral("工作"), a);
    model->activate(a);
    EXPECT_EQ(chips(), 1);
    model->activate(b);
    EXPECT_EQ(chips(), 0);
    model->createDoc(QString(), std::nullopt, {});
    EXPECT_EQ(chips(), 0);
    model->activate(a);
    EXPECT_EQ(chips(), 1);
}
