#include "WakeCounter.h"
#include "WindowFixture.h"
#include "editor/CaretBlinkRest.h"

namespace {
struct Wake : WindowFixture {
    WakeCounter counter;
    // Handlers the program's own signals wake for one key, including what
    // the key's own turn of the event loop sets off.
    int wokenBy(int k)
    {
        focused();
        counter.reset();
        key(k);
        nextTurn();
        return counter.woken();
    }
};
}

// The commonest events reach only what shows their result: a caret step the
// status bar's read-out; a typed character that document's editor, snapshot
// and read-out, plus its unsaved mark the first time. The lists, menus and
// bars of the rest of the window sleep through both.
TEST_F(Wake, ACaretStepAndAKeystrokeWakeOnlyWhatShowsThem)
{
    open(QStringLiteral("b.txt"), "second\n");
    open(QStringLiteral("c.md"), "# third\n");
    const DocPtr d = open(QStringLiteral("a.txt"), "alpha beta\ngamma\n");
    ASSERT_TRUE(editorHasFocus());

    const int caret = wokenBy(Qt::Key_Right);
    EXPECT_LE(caret, 1) << counter.log().toStdString();
    const int first = wokenBy(Qt::Key_X);
    EXPECT_LE(first, 6) << counter.log().toStdString();
    const int next = wokenBy(Qt::Key_Y);
    EXPECT_LE(next, 3) << counter.log().toStdString();
    EXPECT_EQ(d->text(), QStringLiteral("axylpha beta\ngamma\n"));
    std::printf("woken: caret step %d, first keystroke %d, next keystroke %d\n", caret, first, next);
}

namespace {

using CaretRest = WindowFixture;

long caretPeriod(CodeTextView* v) { return v->SendScintilla(QsciScintillaBase::SCI_GETCARETPERIOD); }

}

TEST_F(CaretRest, TheCaretStopsBlinkingAtRestAndBlinksAgainWithTheNextKey)
{
    const DocPtr doc = open(QStringLiteral("rest.md"), "# 标题\n");
    ASSERT_TRUE(editorHasFocus());
    CodeTextView* v = view(doc);
    auto* rest = v->findChild<CaretBlinkRest*>();
    ASSERT_TRUE(rest);
    const long blinking = caretPeriod(v);
    EXPECT_GT(blinking, 0);
    EXPECT_FALSE(rest->resting());

    rest->setRestInterval(50);
    EXPECT_TRUE(waitUntil([&] { return rest->resting(); }));
    EXPECT_EQ(caretPeriod(v), 0);

    key(Qt::Key_End);
    type(QStringLiteral("x"));
    EXPECT_FALSE(rest->resting());
    EXPECT_EQ(caretPeriod(v), blinking);
    EXPECT_EQ(v->text(), QStringLiteral("# 标题x\n"));
}
