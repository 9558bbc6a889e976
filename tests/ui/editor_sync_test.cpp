// The editor's buffer and its document kept in step: positions, edits, undo,
// who owns the text and the snapshot taken of it.
#include "EditorFixture.h"
#include "core/BackupStore.h"
#include "core/PieceCopy.h"
#include "text/UnitCounts.h"
#include "views/pane/PaneStatusBar.h"

#include <QFile>
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

// Positions around astral characters, also while an input method composes
// in the text: what it shows is no part of the text's positions or bytes.
TEST_F(Sync, UTF16PositionsAroundAstralCharactersAndAComposition)
{
    // 😀 is two UTF-16 units and four UTF-8 bytes; 中 one unit, three bytes.
    const QString text = QStringLiteral("a😀b\n中😀\n");
    DocPtr d = newDoc(text);
    CodeTextView* v = editorFor(d).textView();
    // While composing, buffer bytes count the composition too; the text's
    // positions come back the same through them.
    const auto positions = [&](bool composing) {
        ASSERT_EQ(v->length(), text.size());
        const std::vector<std::pair<int, qsizetype>> boundaries = {{0, 0}, {1, 1},  {3, 5},  {4, 6},
                                                                   {5, 7}, {6, 10}, {8, 14}, {9, 15}};
        for (const auto& [unit, byte] : boundaries) {
            EXPECT_EQ(v->toUtf16(v->toByte(unit)), unit) << unit;
            if (!composing) {
                EXPECT_EQ(v->toByte(unit), byte) << unit;
            }
        }
        EXPECT_EQ(v->textIn(1, 2), QStringLiteral("😀"));
        EXPECT_EQ(v->textIn(6, 3), QStringLiteral("😀\n"));
        EXPECT_EQ(v->lineCount(), 3);
        EXPECT_EQ(v->lineStart(1), 5);
        EXPECT_EQ(v->lineEnd(1), 8);
        EXPECT_EQ(v->lineOf(8), 1);
        EXPECT_EQ(v->lineOf(9), 2);
        QByteArray bytes(text.toUtf8().size() - 1, '\0');
        v->copyBytes(1, bytes.size(), bytes.data());
        EXPECT_EQ(bytes, text.toUtf8().mid(1));
    };
    positions(false);
    v->setCursorPosition(1);
    QInputMethodEvent compose(QStringLiteral("zhong wen"), {});
    QApplication::sendEvent(v, &compose);
    ASSERT_TRUE(v->composing());
    positions(true);
    EXPECT_EQ(v->cursorPosition(), 1);
    QInputMethodEvent cancel;
    QApplication::sendEvent(v, &cancel);
    EXPECT_EQ(v->text(), text);

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
        EditorController e(d, *model, model->view());
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

namespace {
struct TextOwner : EditorFixture {};
}

// While shown, the editor's buffer is the text: the Doc keeps no copy of it
// beyond the turn of the event loop that read it.
TEST_F(TextOwner, APulledTextLastsOneTurnAndTheBufferStaysTheOwner)
{
    DocPtr d = newDoc(QStringLiteral("abc\n"));
    EditorController& e = editorFor(d);
    CodeTextView* v = e.textView();
    EXPECT_TRUE(d->textIsStale());
    EXPECT_EQ(d->text(), QStringLiteral("abc\n"));

    select(v, 1, 1);
    type(v, QStringLiteral("x"));
    EXPECT_TRUE(d->textIsStale());
    const quint64 typed = d->revision();
    EXPECT_EQ(d->text(), QStringLiteral("axbc\n"));
    EXPECT_FALSE(d->textIsStale());
    QCoreApplication::processEvents();
    EXPECT_TRUE(d->textIsStale());
    EXPECT_EQ(d->revision(), typed);  // dropping the copy is no change
    EXPECT_EQ(d->text(), v->text());
}

// Whether the text differs from the file is answered from the editor's save
// point and byte length, without pulling the text; canonically equal bytes
// of another length are confirmed clean by the snapshot writer.
TEST_F(TextOwner, DirtinessFollowsTheSavePointWithoutPullingTheText)
{
    auto opened = Doc::open(write(QStringLiteral("n.txt"), QStringLiteral("caf\u00e9 au lait\n").toUtf8()));
    ASSERT_TRUE(opened);
    DocPtr d = opened.value();
    model->appendDoc(d);
    model->setActiveID(d->id);
    CodeTextView* v = editorFor(d).textView();
    EXPECT_EQ(v->text(), QStringLiteral("caf\u00e9 au lait\n"));
    EXPECT_FALSE(d->isDirty());

    v->setCursorPosition(4);
    type(v, QStringLiteral("x"));
    EXPECT_TRUE(d->isDirty());
    key(v, Qt::Key_Backspace);  // the same bytes again, not at the save point
    EXPECT_FALSE(d->isDirty());
    type(v, QStringLiteral("yz"));
    EXPECT_TRUE(d->isDirty());
    v->undo();
    EXPECT_FALSE(d->isDirty());
    EXPECT_TRUE(d->textIsStale());  // nothing was pulled to answer

    // Saved after an edit: the save point moves with the baseline.
    type(v, QStringLiteral("!"));
    d->markSaved();
    EXPECT_FALSE(d->isDirty());
    v->undo();
    EXPECT_TRUE(d->isDirty());
    v->redo();
    EXPECT_FALSE(d->isDirty());

    // é written as e and a combining accent: longer, but the same text.
    select(v, 3, 4);
    type(v, QStringLiteral("e\u0301"));
    EXPECT_EQ(v->text(), QStringLiteral("cafe\u0301! au lait\n"));
    EXPECT_TRUE(d->isDirty());  // until a worker has compared it
    BackupStore::sync(*d, {});
    EXPECT_TRUE(waitUntil([&] { return !d->isDirty(); }));
    EXPECT_FALSE(BackupStore::exists(d->id));
    type(v, QStringLiteral("?"));
    EXPECT_TRUE(d->isDirty());
}

namespace {

struct SnapshotPieces : EditorFixture {
    // Long enough to be copied in pieces, with lines of Chinese text.
    static QString longText()
    {
        QString out;
        const QString line = QStringLiteral("分段复制的快照测试行，0123456789\n");
        while (UnitCounts::utf8Bytes(out) < Doc::pieceCopyFrom + (1 << 20))
            out += line.repeated(1000);
        return out;
    }
};

}

// Edits land before the copied part, inside it and after it while the
// editor's buffer is copied in pieces (its gap moving each time): the copy
// is the final text, never a mix.
TEST_F(SnapshotPieces, AnEditBetweenPiecesOfTheBufferGivesTheFinalText)
{
    Doc::setAnalysisEnabled(false);
    DocPtr d = newDoc(QStringLiteral("一二三四五六七八九十\n").repeated(5000));
    CodeTextView* v = editorFor(d).textView();
    for (const int at : {3, 20000, v->length() - 5}) {
        PieceCopy copy({[v] { return v->byteLength(); },
                        [v](qsizetype from, qsizetype n, char* out) { v->copyBytes(from, n, out); },
                        [v] { return v->takeEditedFrom(); }});
        int pieces = 0;
        while (!copy.step(30011)) {
            if (++pieces == 2) {
                v->setCursorPosition(at);
                type(v, QStringLiteral("改"));
            } else if (pieces == 4) {
                v->setCursorPosition(v->length() / 3);
                key(v, Qt::Key_Backspace);
            }
        }
        EXPECT_GE(pieces, 4);
        EXPECT_TRUE(copy.take() == v->utf8()) << "edit at " << at;
    }
    Doc::setAnalysisEnabled(true);
}

// After a typing pause the snapshot on disk holds the editor's text.
TEST_F(SnapshotPieces, TheSnapshotAfterAPauseIsTheEditorsText)
{
    Doc::setAnalysisEnabled(false);
    DocPtr d = newDoc(longText());
    model->watch(d);
    CodeTextView* v = editorFor(d).textView();
    v->setCursorPosition(v->length() / 2);
    type(v, QStringLiteral("停顿之前"));
    ASSERT_TRUE(waitUntil([&] { return BackupStore::exists(d->id); }, 10000));
    BackupStore::waitForWrites();
    const std::optional<DocSnapshot> s = BackupStore::load(d->id);
    ASSERT_TRUE(s);
    EXPECT_TRUE(s->text == TextCopy::decode(v->utf8()));
    model->unwatchAll();
    BackupStore::remove(d->id);
    Doc::setAnalysisEnabled(true);
}
