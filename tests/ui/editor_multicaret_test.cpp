#include "EditorFixture.h"

#include <QClipboard>
#include <QInputMethodEvent>
#include <QMimeData>

namespace {
using Carets = std::vector<int>;

struct MultiCaret : EditorFixture {
    CodeTextView* view = nullptr;
    DocPtr doc;
    std::vector<std::optional<int>> reported;

    // Carets at the ends of all lines of text.
    void start(const QString& text, int fromLine = 0, int toLine = -1)
    {
        doc = newDoc(text);
        view = editorFor(doc).textView();
        view->onCaretsChange = [this](std::optional<int> n) { reported.push_back(n); };
        const int last = toLine < 0 ? view->lineCount() - 1 : toLine;
        select(view, view->lineStart(fromLine), view->lineEnd(last));
        ASSERT_TRUE(view->splitSelectionIntoLines());
    }
};
}

TEST_F(MultiCaret, SplitPutsOneCaretAtEachLineEndAndSkipsTheLineAfterAFinalLineFeed)
{
    doc = newDoc(QStringLiteral("abc\nde\nfghi\nlast"));
    view = editorFor(doc).textView();
    select(view, 0, 12);  // three whole lines including the third line feed
    ASSERT_TRUE(view->splitSelectionIntoLines());
    EXPECT_EQ(*view->carets(), Carets({3, 6, 11}));
    EXPECT_EQ(view->cursorPosition(), 11);
    EXPECT_EQ(view->anchorPosition(), 11);

    select(view, 1, 2);  // inside one line
    ASSERT_TRUE(view->splitSelectionIntoLines());
    EXPECT_EQ(*view->carets(), Carets({3}));

    view->clearCarets();
    select(view, 4, 4);
    EXPECT_FALSE(view->splitSelectionIntoLines());
    EXPECT_FALSE(view->carets());
}

// Typing, Return and Tab at every caret (each key one undo step: the sync
// tests count them).
TEST_F(MultiCaret, TypingReturnAndTabEditEveryLine)
{
    start(QStringLiteral("abc\n\nfghij"));
    type(view, QStringLiteral("ab"));
    EXPECT_EQ(*view->carets(), Carets({5, 8, 16}));
    key(view, Qt::Key_Return);
    key(view, Qt::Key_Tab);
    EXPECT_EQ(view->text(), QStringLiteral("abcab\n\t\nab\n\t\nfghijab\n\t"));
    EXPECT_EQ(doc->text(), view->text());
}

TEST_F(MultiCaret, DeletionNeverJoinsLinesAndTakesSurrogatePairsWhole)
{
    start(QStringLiteral("ab\n\nx😀"));
    key(view, Qt::Key_Backspace);
    EXPECT_EQ(view->text(), QStringLiteral("a\n\nx"));
    EXPECT_EQ(*view->carets(), Carets({1, 2, 4}));
    // At the line ends Delete does nothing and never joins lines.
    key(view, Qt::Key_Delete);
    EXPECT_EQ(view->text(), QStringLiteral("a\n\nx"));
    key(view, Qt::Key_Home);
    EXPECT_EQ(*view->carets(), Carets({0, 2, 3}));
    key(view, Qt::Key_Backspace);  // all at line starts: nothing happens
    EXPECT_EQ(view->text(), QStringLiteral("a\n\nx"));
    key(view, Qt::Key_Delete);
    EXPECT_EQ(view->text(), QStringLiteral("\n\n"));
}

TEST_F(MultiCaret, MovementStaysOnTheLine)
{
    start(QStringLiteral("ab\n😀z\n"), 0, 1);
    EXPECT_EQ(*view->carets(), Carets({2, 6}));
    key(view, Qt::Key_Right);  // at line ends: stay
    EXPECT_EQ(*view->carets(), Carets({2, 6}));
    key(view, Qt::Key_Left);
    key(view, Qt::Key_Left);
    EXPECT_EQ(*view->carets(), Carets({0, 3}));  // the emoji is stepped over whole
    key(view, Qt::Key_Left);
    EXPECT_EQ(*view->carets(), Carets({0, 3}));  // at line start: stay
    key(view, Qt::Key_Right);
    EXPECT_EQ(*view->carets(), Carets({1, 5}));
    key(view, Qt::Key_Up);
    key(view, Qt::Key_Down);
    EXPECT_EQ(*view->carets(), Carets({1, 5}));
    key(view, Qt::Key_End);
    EXPECT_EQ(*view->carets(), Carets({2, 6}));
    EXPECT_EQ(view->cursorPosition(), 6);
}

TEST_F(MultiCaret, PasteGivesOneClipboardLinePerCaretOrTheWholeTextToEach)
{
    start(QStringLiteral("a\nb"));
    QMimeData two;
    two.setText(QStringLiteral("1\r\n2"));
    view->insertFromMimeDataForTest(&two);
    EXPECT_EQ(view->text(), QStringLiteral("a1\nb2"));

    view->clearCarets();
    view->setPlainText(QStringLiteral("a\nb\nc"));
    select(view, 0, 5);
    ASSERT_TRUE(view->splitSelectionIntoLines());
    view->insertFromMimeDataForTest(&two);
    EXPECT_EQ(view->text(), QStringLiteral("a1\n2\nb1\n2\nc1\n2"));

    // A final line break makes one piece more than lines: pasted whole.
    view->clearCarets();
    view->setPlainText(QStringLiteral("a\nb\nc"));
    select(view, 0, 5);
    ASSERT_TRUE(view->splitSelectionIntoLines());
    QMimeData trailing;
    trailing.setText(QStringLiteral("1\n2\n3\n"));
    view->insertFromMimeDataForTest(&trailing);
    EXPECT_EQ(view->text(), QStringLiteral("a1\n2\n3\n\nb1\n2\n3\n\nc1\n2\n3\n"));
}

TEST_F(MultiCaret, OtherCommandsClicksAndOutsideEditsLeaveTheMode)
{
    start(QStringLiteral("one two\nthree"));
    key(view, Qt::Key_Left, Qt::ControlModifier);  // word movement
    EXPECT_FALSE(view->carets());
    EXPECT_EQ(view->cursorPosition(), 8);  // acted on the ordinary caret at the last line
    ASSERT_FALSE(reported.empty());
    EXPECT_EQ(reported.back(), std::nullopt);

    select(view, 0, 13);
    ASSERT_TRUE(view->splitSelectionIntoLines());
    EXPECT_EQ(reported.back(), std::optional<int>(2));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(60, 10));
    EXPECT_FALSE(view->carets());

    select(view, 0, 13);
    ASSERT_TRUE(view->splitSelectionIntoLines());
    view->replaceRange(0, 0, QStringLiteral("x"));
    EXPECT_FALSE(view->carets());
}

TEST_F(MultiCaret, EscapeClearsCaretsFirstThenGoesToTheWorkspace)
{
    start(QStringLiteral("a\nb"));
    int escapes = 0;
    EditorCache::escapeHandler() = [&] { ++escapes; };
    key(view, Qt::Key_Escape);
    EXPECT_FALSE(view->carets());
    EXPECT_EQ(escapes, 0);
    key(view, Qt::Key_Escape);
    EXPECT_EQ(escapes, 1);
    EditorCache::escapeHandler() = nullptr;
}

TEST_F(MultiCaret, InputMethodCommitsGoToEveryCaret)
{
    start(QStringLiteral("a\nb"));
    QInputMethodEvent compose(QStringLiteral("zhong"), {});
    QApplication::sendEvent(view, &compose);
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("中文"));
    QApplication::sendEvent(view, &commit);
    EXPECT_EQ(view->text(), QStringLiteral("a中文\nb中文"));
    ASSERT_TRUE(view->carets());
    EXPECT_EQ(*view->carets(), Carets({3, 7}));
}

// A read-only view keeps the carets and the text; a caret beyond the text
// cancels the batch instead of editing.
TEST_F(MultiCaret, ABatchThatCannotApplyChangesNothing)
{
    start(QStringLiteral("a\nb"));
    view->setReadOnly(true);
    type(view, QStringLiteral("x"));
    EXPECT_EQ(view->text(), QStringLiteral("a\nb"));
    EXPECT_TRUE(view->carets());
    view->setReadOnly(false);
    view->setCarets(Carets({1, 99}));
    type(view, QStringLiteral("x"));
    EXPECT_FALSE(view->carets());
    EXPECT_EQ(doc->text(), QStringLiteral("a\nb"));
}
