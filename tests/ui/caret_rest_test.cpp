// A window at rest repaints nothing: the caret stops blinking after a while
// without input and blinks again with the next key.
#include "editor/CaretBlinkRest.h"

#include "WindowFixture.h"

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
