// A window at rest repaints nothing: the caret stops blinking after a while
// without input and blinks again with the next key.
#include "editor/CaretBlinkRest.h"
#include "editor/CodeTextView.h"

#include "WaitUntil.h"
#include "WindowFixture.h"

namespace {

struct CaretRest : WindowFixture {};

long caretPeriod(CodeTextView* v) { return v->SendScintilla(QsciScintillaBase::SCI_GETCARETPERIOD); }

}

TEST_F(CaretRest, TheCaretStopsBlinkingAtRestAndBlinksAgainWithTheNextKey)
{
    const QString path = write(QStringLiteral("rest.md"), "# 标题\n");
    window->openFiles({path});
    QWidget* f = focused();
    auto* view = qobject_cast<CodeTextView*>(f);
    if (!view && f)
        view = qobject_cast<CodeTextView*>(f->parentWidget());
    ASSERT_TRUE(view) << "the opened document's editor has the keyboard";
    auto* rest = view->findChild<CaretBlinkRest*>();
    ASSERT_TRUE(rest);
    const long blinking = caretPeriod(view);
    EXPECT_GT(blinking, 0);
    EXPECT_FALSE(rest->resting());

    rest->setRestInterval(50);
    EXPECT_TRUE(waitUntil([&] { return rest->resting(); }));
    EXPECT_EQ(caretPeriod(view), 0);

    key(Qt::Key_End);
    type(QStringLiteral("x"));
    EXPECT_FALSE(rest->resting());
    EXPECT_EQ(caretPeriod(view), blinking);
    EXPECT_EQ(view->text(), QStringLiteral("# 标题x\n"));
}
