#include "EditorFixture.h"
#include "core/BackupStore.h"
#include "core/PieceCopy.h"
#include "text/UnitCounts.h"

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
