// Selecting the same text again and again (Ctrl+D, Ctrl+F2) and editing at
// every selection, from the keyboard.
#include "EditCommandsFixture.h"

#include <QClipboard>

namespace {

struct OccurrenceTest : EditCommandsFixture {};

}

TEST_F(OccurrenceTest, CtrlDPicksTheWordThenAddsTheNextOccurrence)
{
    struct Case {
        const char* what;
        QString before;
        std::vector<QString> after;  // after each Ctrl+D
    };
    const std::vector<Case> cases{
        {"whole words only after picking the word",
         "foo| bar foobar\nfoo baz foo",
         {"«foo| bar foobar\nfoo baz foo", "«foo| bar foobar\n«foo| baz foo", "«foo| bar foobar\n«foo| baz «foo|"}},
        {"the search wraps to the start", "a foo\nfo|o", {"a foo\n«foo|", "a «foo|\n«foo|"}},
        {"a selection made by hand matches inside words", "«fo|o foobar", {"«fo|o «fo|obar"}},
        {"a backwards selection keeps its direction", "|foo»-foo", {"|foo»-«foo|"}},
        {"plain carets each take their word", "ab|\ncd|", {"«ab|\n«cd|"}},
        {"between words nothing happens", "a  |  b", {"a  |  b"}},
        {"Chinese words stop at punctuation", "你好|，你好！", {"«你好|，你好！", "«你好|，«你好|！"}},
    };
    open(QStringLiteral("o.txt"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        load(c.before);
        for (const QString& after : c.after) {
            key(Qt::Key_D, Qt::ControlModifier);
            EXPECT_EQ(marked(), after);
        }
        EXPECT_EQ(doc->text(), plainOf(c.before)) << "selecting changes no text";
    }
}

TEST_F(OccurrenceTest, EverySelectionIsEditedAsOneStepAndEscapeLeavesOne)
{
    open(QStringLiteral("e.txt"), QStringLiteral("foo| = foo + foo;"));
    for (int i = 0; i < 3; ++i)
        key(Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(marked(), QStringLiteral("«foo| = «foo| + «foo|;"));
    EXPECT_EQ(model->multiCaretCount(), std::optional<int>(3));
    key(Qt::Key_D, Qt::ControlModifier);
    ASSERT_TRUE(model->toast());
    EXPECT_TRUE(model->toast()->contains(QStringLiteral("全部 3 处"))) << model->toast()->toStdString();

    // Copy takes each selection on a line; typing replaces them all.
    key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("foo\nfoo\nfoo"));
    type(QStringLiteral("ab"));
    EXPECT_EQ(marked(), QStringLiteral("ab| = ab| + ab|;"));
    key(Qt::Key_Backspace);
    EXPECT_EQ(marked(), QStringLiteral("a| = a| + a|;"));
    key(Qt::Key_Z, Qt::ControlModifier);
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(doc->text(), QStringLiteral("foo = foo + foo;"));

    // Escape keeps the ordinary caret only.
    load(QStringLiteral("x| x x"));
    key(Qt::Key_D, Qt::ControlModifier);
    key(Qt::Key_D, Qt::ControlModifier);
    key(Qt::Key_Escape);
    EXPECT_FALSE(view()->carets());
    EXPECT_EQ(model->multiCaretCount(), std::nullopt);
    type(QStringLiteral("y"));
    EXPECT_EQ(doc->text(), QStringLiteral("x y x")) << "only the last selection is left";

    // Arrows collapse each selection to the side they point to.
    load(QStringLiteral("«ab| «ab|"));
    key(Qt::Key_Left);
    EXPECT_EQ(marked(), QStringLiteral("|ab |ab"));
}

TEST_F(OccurrenceTest, CtrlF2SelectsEveryOccurrenceAtOnce)
{
    struct Case {
        const char* what;
        QString before, after;
        int count;
    };
    const std::vector<Case> cases{
        {"the word at the caret, whole words", "fo|o x foo foobar foo", "«foo| x «foo| foobar «foo|", 3},
        {"the selected text anywhere", "«ba|r rebar", "«ba|r re«ba|r", 2},
        {"a single occurrence stays the ordinary selection", "on|ly", "«only|", 1},
    };
    open(QStringLiteral("a.txt"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        load(c.before);
        key(Qt::Key_F2, Qt::ControlModifier);
        EXPECT_EQ(marked(), c.after);
        EXPECT_EQ(view()->carets().has_value(), c.count > 1);
    }
    type(QStringLiteral("z"));
    EXPECT_EQ(doc->text(), QStringLiteral("z"));
}
