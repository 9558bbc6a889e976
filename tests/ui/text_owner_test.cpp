#include "EditorFixture.h"

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
