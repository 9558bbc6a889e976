#include "EditorFixture.h"
#include "views/pane/PaneStatusBar.h"

#include <QInputMethodEvent>
#include <QMimeData>

namespace {
struct Sync : EditorFixture {
    // The view's own length count, the buffer and the Doc agree.
    static void expectInStep(CodeTextView* v, const DocPtr& d, const QString& expected)
    {
        EXPECT_EQ(v->text(), expected);
        EXPECT_EQ(v->length(), expected.size());
        EXPECT_EQ(d->text(), expected);
    }
    // Text as an input method commits it (a key event carries no astral
    // character).
    static void commit(CodeTextView* v, const QString& text)
    {
        QInputMethodEvent e;
        e.setCommitString(text);
        QApplication::sendEvent(v, &e);
    }
};
}

TEST_F(Sync, UTF16PositionsAroundAstralCharacters)
{
    // 😀 is two UTF-16 units and four UTF-8 bytes; 中 one unit, three bytes.
    const QString text = QStringLiteral("a😀b\n中😀\n");
    DocPtr d = newDoc(text);
    CodeTextView* v = editorFor(d).textView();
    ASSERT_EQ(v->length(), text.size());
    const std::vector<std::pair<int, qsizetype>> boundaries = {{0, 0}, {1, 1},  {3, 5},  {4, 6},
                                                               {5, 7}, {6, 10}, {8, 14}, {9, 15}};
    for (const auto& [unit, byte] : boundaries) {
        EXPECT_EQ(v->toByte(unit), byte) << unit;
        EXPECT_EQ(v->toUtf16(byte), unit) << byte;
    }
    EXPECT_EQ(v->textIn(1, 2), QStringLiteral("😀"));
    EXPECT_EQ(v->textIn(6, 3), QStringLiteral("😀\n"));
    EXPECT_EQ(v->lineCount(), 3);
    EXPECT_EQ(v->lineStart(1), 5);
    EXPECT_EQ(v->lineEnd(1), 8);
    EXPECT_EQ(v->lineOf(8), 1);
    EXPECT_EQ(v->lineOf(9), 2);

    v->setSelection(3, 3);
    EXPECT_EQ(v->cursorPosition(), 3);
    EXPECT_EQ(PaneStatusBar::caretReadout(v->caretPlace(), std::nullopt), QStringLiteral("行 1，列 4"));
    v->setSelection(1, 8);
    EXPECT_EQ(PaneStatusBar::caretReadout(v->caretPlace(), std::nullopt),
              QStringLiteral("行 1，列 2（已选 2 行 6 字符）"));
    v->setSelection(9, 9);  // after the final line feed
    EXPECT_EQ(PaneStatusBar::caretReadout(v->caretPlace(), std::nullopt), QStringLiteral("行 3，列 1"));

    // Backspace after the emoji takes it whole.
    v->setSelection(8, 8);
    key(v, Qt::Key_Backspace);
    expectInStep(v, d, QStringLiteral("a😀b\n中\n"));
    EXPECT_EQ(v->cursorPosition(), 6);
}

TEST_F(Sync, TextEntersTheBufferWithoutCarriageReturns)
{
    DocPtr d = newDoc(QStringLiteral("ab"));
    CodeTextView* v = editorFor(d).textView();
    v->setSelection(1, 1);
    QMimeData clip;
    clip.setText(QStringLiteral("x\r\ny\rz"));
    v->insertFromMimeDataForTest(&clip);
    expectInStep(v, d, QStringLiteral("ax\ny\nzb"));
    key(v, Qt::Key_Return);
    expectInStep(v, d, QStringLiteral("ax\ny\nz\nb"));
    EXPECT_EQ(v->lineCount(), 4);
    v->undo();
    v->undo();
    expectInStep(v, d, QStringLiteral("ab"));
    // The keys of the Edit menu reach the editor itself.
    key(v, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    expectInStep(v, d, QStringLiteral("ax\ny\nzb"));
    key(v, Qt::Key_Z, Qt::ControlModifier);
    expectInStep(v, d, QStringLiteral("ab"));
}

// Each step checks the delta bookkeeping in both notification modes: all
// notifications (small texts) and the "before" ones only (large texts).
class SyncModes : public Sync, public ::testing::WithParamInterface<bool> {};

TEST_P(SyncModes, EditsUndoRedoAndCaretBatchesKeepTheDocInStep)
{
    const bool large = GetParam();
    QString tail;
    if (large)
        while (tail.size() < CodeTextView::quietThreshold)
            tail += QStringLiteral("\n填充 filler 😀 line");
    const QString start = QStringLiteral("一\ntwo\n😀three") + tail;
    DocPtr d = newDoc(start);
    EditorController& e = editorFor(d);
    CodeTextView* v = e.textView();
    const long mask = v->SendScintilla(QsciScintillaBase::SCI_GETMODEVENTMASK);
    EXPECT_EQ(mask == long(QsciScintillaBase::SC_MODEVENTMASKALL), !large);

    v->setSelection(1, 1);
    commit(v, QStringLiteral("中😀"));
    expectInStep(v, d, QStringLiteral("一中😀\ntwo\n😀three") + tail);

    v->setSelection(0, 6);  // across a line break
    key(v, Qt::Key_Delete);
    expectInStep(v, d, QStringLiteral("wo\n😀three") + tail);

    v->undo();
    expectInStep(v, d, QStringLiteral("一中😀\ntwo\n😀three") + tail);
    v->undo();
    expectInStep(v, d, start);
    v->redo();
    expectInStep(v, d, QStringLiteral("一中😀\ntwo\n😀three") + tail);

    // A caret batch over three lines is one undo step.
    v->setSelection(0, v->lineEnd(2));
    ASSERT_TRUE(v->splitSelectionIntoLines());
    type(v, QStringLiteral("é"));
    key(v, Qt::Key_Backspace);
    key(v, Qt::Key_Backspace);
    expectInStep(v, d, QStringLiteral("一中\ntw\n😀thre") + tail);
    v->undo();
    expectInStep(v, d, QStringLiteral("一中😀\ntwo\n😀three") + tail);
    v->undo();
    expectInStep(v, d, QStringLiteral("一中😀é\ntwoé\n😀threeé") + tail);
    v->redo();
    v->redo();
    expectInStep(v, d, QStringLiteral("一中\ntw\n😀thre") + tail);
}

INSTANTIATE_TEST_SUITE_P(Editor, SyncModes, ::testing::Bool());

TEST_F(Sync, AWorkspaceReplacementIsOneUndoStepAndDetachingKeepsTheText)
{
    DocPtr d = newDoc(QStringLiteral("abc"));
    {
        EditorController e(d, *model);
        CodeTextView* v = e.textView();
        d->setText(QStringLiteral("x😀y"));
        expectInStep(v, d, QStringLiteral("x😀y"));
        v->undo();
        expectInStep(v, d, QStringLiteral("abc"));
        v->redo();
        expectInStep(v, d, QStringLiteral("x😀y"));
        v->setSelection(3, 3);
        type(v, QStringLiteral("!"));
        EXPECT_TRUE(d->textIsStale());
    }
    // The editor went away: its last text stayed with the Doc.
    EXPECT_FALSE(d->textIsStale());
    EXPECT_EQ(d->text(), QStringLiteral("x😀!y"));
}

TEST_F(Sync, AutomaticNamingReadsOnlyTheLeadingLinesOfTheLiveText)
{
    // Fifty non-empty lines without a letter, empty lines between them,
    // then words that naming must not reach.
    QString text = QStringLiteral("\n\n");
    for (int i = 0; i < Doc::titleLines; ++i)
        text += QStringLiteral("-\n\n");
    text += QStringLiteral("late words\n");
    DocPtr d = newDoc(text);
    d->setAutoExt(QStringLiteral("md"));
    EditorController& e = editorFor(d);
    CodeTextView* v = e.textView();

    select(v, v->length(), v->length());
    type(v, QStringLiteral("!"));
    EXPECT_EQ(d->name(), QStringLiteral("未命名.md"));
    EXPECT_TRUE(d->textIsStale());

    select(v, 3, 3);  // after the first "-"
    type(v, QStringLiteral("周报: 1"));
    EXPECT_EQ(d->name(), QStringLiteral("周报- 1.md"));
    EXPECT_TRUE(d->textIsStale());
    EXPECT_EQ(Doc::title(d->text()), QStringLiteral("周报- 1"));
}
