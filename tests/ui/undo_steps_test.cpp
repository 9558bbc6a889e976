// Undo steps of ordinary typing, with real keys in the full window: a run is
// cut at words, line breaks, caret jumps and pauses; batch edits stay whole.
#include "editor/UndoSteps.h"

#include <QClipboard>

#include "TypingFixture.h"

namespace {

using UndoStepsTest = TypingFixture;
using Texts = std::vector<QString>;

}

TEST_F(UndoStepsTest, TypingIsUndoneWordByWordAndLineByLine)
{
    open(QStringLiteral("u.txt"));
    type(QStringLiteral("hello world foo bar"));
    key(Qt::Key_Return);
    type(QStringLiteral("second line"));
    ASSERT_EQ(doc->text(), QStringLiteral("hello world foo bar\nsecond line"));
    EXPECT_EQ(undoAll(),
              Texts({QStringLiteral("hello world foo bar\nsecond"), QStringLiteral("hello world foo bar\n"),
                     QStringLiteral("hello world foo bar"), QStringLiteral("hello world foo"),
                     QStringLiteral("hello world"), QStringLiteral("hello"), QString()}));
    // Redo walks the same steps forward.
    key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(doc->text(), QStringLiteral("hello world"));
}

TEST_F(UndoStepsTest, ARunEndsWhereTheCaretJumpsOrTypingTurnsIntoDeleting)
{
    struct Case {
        const char* name;
        std::function<void()> keys;
        Texts steps;
    };
    const Case cases[] = {
        {"away and back to the same place",
         [] {
             type(QStringLiteral("abc"));
             key(Qt::Key_Left);
             key(Qt::Key_Right);
             type(QStringLiteral("def"));
         },
         {QStringLiteral("abc"), QString()}},
        {"to the line start",
         [] {
             type(QStringLiteral("one"));
             key(Qt::Key_Home);
             type(QStringLiteral("xy"));
         },
         {QStringLiteral("one"), QString()}},
        {"deleting after typing, typing after deleting",
         [] {
             type(QStringLiteral("abcd"));
             key(Qt::Key_Backspace);
             key(Qt::Key_Backspace);
             type(QStringLiteral("xy"));
         },
         {QStringLiteral("ab"), QStringLiteral("abcd"), QString()}},
        {"several spaces stay with the word before them",
         [] { type(QStringLiteral("ab   cd")); },
         {QStringLiteral("ab"), QString()}},
    };
    open(QStringLiteral("j.txt"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        view->replaceWhole(QString());
        view->SendScintilla(QsciScintillaBase::SCI_EMPTYUNDOBUFFER);
        c.keys();
        EXPECT_EQ(undoAll(), c.steps);
    }
}

TEST_F(UndoStepsTest, APauseEndsAStepAndQuickTypingDoesNot)
{
    open(QStringLiteral("p.txt"));
    UndoSteps* steps = view->undoSteps();
    // About a second, as in gedit.
    EXPECT_GE(steps->pauseInterval(), 500);
    EXPECT_LE(steps->pauseInterval(), 1500);
    steps->setPauseInterval(150);
    type(QStringLiteral("abc"));
    EXPECT_TRUE(steps->pausePending());
    EXPECT_TRUE(waitUntil([&] { return !steps->pausePending(); }));
    type(QStringLiteral("def"));
    type(QStringLiteral("ghi"));  // no pause
    EXPECT_EQ(undoAll(), Texts({QStringLiteral("abc"), QString()}));
}

TEST_F(UndoStepsTest, APasteAndAReplaceAllAreOneStepEachBetweenTypedWords)
{
    open(QStringLiteral("r.txt"));
    type(QStringLiteral("start"));
    QApplication::clipboard()->setText(QStringLiteral(" pasted words\nand a line "));
    key(Qt::Key_V, Qt::ControlModifier);
    type(QStringLiteral("end"));
    key(Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_TRUE(model->find().replaceVisible());
    model->find().setQuery(QStringLiteral("a"));
    model->find().setReplaceText(QStringLiteral("A"));
    EXPECT_TRUE(waitUntil([&] { return same(model->find().matchCount(), 4); }));
    editors->existing(doc->id)->replaceEverything();
    ASSERT_EQ(doc->text(), QStringLiteral("stArt pAsted words\nAnd A line end"));
    view->setFocus();
    EXPECT_EQ(undoAll(),
              Texts({QStringLiteral("start pasted words\nand a line end"),
                     QStringLiteral("start pasted words\nand a line "), QStringLiteral("start"), QString()}));
}
