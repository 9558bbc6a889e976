// Whatever the user opens takes the keyboard at once: the letters typed next
// land in it, never in the document behind it, and closing it gives the
// keyboard back to the text. Real clicks and keys, sent wherever the focus is.
#include "WindowFixture.h"
#include "views/controls/Controls.h"
#include "views/overlays/DialogLayer.h"
#include "views/overlays/PopupLayer.h"
#include "views/pane/FindBar.h"
#include "views/pane/GoToLineBar.h"
#include "views/pane/PaneHeader.h"
#include "views/pane/PaneStatusBar.h"
#include "views/sheets/NewFileSheet.h"

#include <QPlainTextEdit>
#include <functional>

namespace {

struct PopupKeyboard : WindowFixture {
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
};

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
        if (c.button) {
            EXPECT_FALSE(c.button->isOn());
        }
    }
    // Back in the text, typing edits it again.
    type(QStringLiteral("z"));
    EXPECT_TRUE(doc->text().startsWith(u'z')) << doc->text().toStdString();
}
