#include "EditorFixture.h"
#include "core/BackupStore.h"

#include <QFile>

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
