// Editing commands from the keyboard: line commands, comments, occurrences and
// Markdown markup, at one caret or several.
#include "EditCommandsFixture.h"

#include <QClipboard>

namespace {

struct LineCommandsTest : EditCommandsFixture {};

struct Case {
    const char* what;
    Press press;
    QString before, after;
};

constexpr auto ctrl = Qt::ControlModifier;
constexpr auto alt = Qt::AltModifier;
const Qt::KeyboardModifiers ctrlShift = Qt::ControlModifier | Qt::ShiftModifier;

// Every case: the keys give the text and selections after, and one undo
// gives back the text before.
void runCases(LineCommandsTest& t, const QString& file, const std::vector<Case>& cases)
{
    t.open(file);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        t.load(c.before);
        WindowFixture::key(c.press.key, c.press.mods);
        EXPECT_EQ(t.marked(), c.after);
        EXPECT_EQ(t.doc->text(), LineCommandsTest::plainOf(c.after));
        if (LineCommandsTest::plainOf(c.after) != LineCommandsTest::plainOf(c.before)) {
            WindowFixture::key(Qt::Key_Z, Qt::ControlModifier);
            EXPECT_EQ(t.view()->text(), LineCommandsTest::plainOf(c.before)) << "one undo step";
        }
    }
}

}

TEST_F(LineCommandsTest, DuplicateMoveDeleteAndJoinActAtEveryCaret)
{
    const Press dup{Qt::Key_D, ctrlShift}, up{Qt::Key_Up, alt}, down{Qt::Key_Down, alt}, del{Qt::Key_K, ctrlShift},
        join{Qt::Key_J, ctrl};
    runCases(*this, QStringLiteral("lines.txt"),
             {
                 {"duplicate: the caret goes with the copy below", dup, "ab|c\nd", "abc\nab|c\nd"},
                 {"duplicate a selection over two lines", dup, "a«b\nc|d\ne", "ab\ncd\na«b\nc|d\ne"},
                 {"duplicate: whole lines end before the next line", dup, "«a\nb\n|c", "a\nb\n«a\nb\n|c"},
                 {"duplicate at two carets", dup, "a|\nb\nc|", "a\na|\nb\nc\nc|"},
                 {"move up swaps with the line above", up, "one\ntw|o\nthree", "tw|o\none\nthree"},
                 {"move down keeps the selection", down, "«on|e\ntwo\n3", "two\n«on|e\n3"},
                 {"move down the last line: nothing", down, "a\nb|", "a\nb|"},
                 {"move two carets' lines together", down, "a|\nb|\nc\nd", "c\na|\nb|\nd"},
                 {"move lines far apart", up, "a\nb|\nc\nd|", "b|\na\nd|\nc"},
                 {"delete keeps the column on the next line", del, "abc\nde|f\nghi", "abc\ngh|i"},
                 {"delete a short line before a long one", del, "a|\nlong", "l|ong"},
                 {"delete the last line", del, "first\nla|st", "fi|rst"},
                 {"delete the only line", del, "on|ly", "|"},
                 {"delete lines at two carets", del, "|1\n2\n|3\n4", "|2\n|4"},
                 {"join with the next line drops its indent", join, "ab|c\n    def", "abc| def"},
                 {"join the lines of a selection", join, "«a\n  b\n  c|\nd", "«a b c|\nd"},
                 {"join: no doubled space", join, "a |\nb", "a |b"},
                 {"join an empty line", join, "a|\n\nb", "a|\nb"},
                 {"join on the last line: nothing", join, "a\nb|", "a\nb|"},
                 {"join at two carets", join, "a|\nb\nc|\nd", "a| b\nc| d"},
             });
}

TEST_F(LineCommandsTest, CommentToggleUsesEachFormatsSyntax)
{
    const Press toggle{Qt::Key_Slash, ctrl};
    struct Format {
        QString file;
        std::vector<Case> cases;
    };
    const std::vector<Format> formats{
        {QStringLiteral("c.yaml"),
         {
             {"comment the caret's line", toggle, "a: |1\nb: 2", "# a: |1\nb: 2"},
             {"uncomment it again", toggle, "# a: |1\nb: 2", "a: |1\nb: 2"},
             {"lines at their common indent, blank lines left", toggle, "x:\n«  a: 1\n\n    b: 2\n|c: 3",
              "x:\n«  # a: 1\n\n  #   b: 2\n|c: 3"},
             {"all commented: uncommented", toggle, "«  # a\n  #b|", "«  a\n  b|"},
             {"some commented: all commented", toggle, "«# a\nb|", "«# # a\n# b|"},
             {"at two carets", toggle, "a|\nb\nc|", "# a|\nb\n# c|"},
         }},
        {QStringLiteral("c.puml"), {{"quote in PlantUML", toggle, "A -> |B", "' A -> |B"}}},
        {QStringLiteral("c.md"),
         {
             {"Markdown wraps the line", toggle, "  te|xt", "  <!-- te|xt -->"},
             {"and unwraps it", toggle, "<!-- te|xt -->", "te|xt"},
             {"a block of lines in one comment", toggle, "«a\nb|\nc", "«<!-- a\nb| -->\nc"},
         }},
    };
    for (const Format& f : formats) {
        SCOPED_TRACE(f.file.toStdString());
        runCases(*this, f.file, f.cases);
    }
}

TEST_F(LineCommandsTest, AFormatWithoutCommentsSaysSoAndChangesNothing)
{
    open(QStringLiteral("c.json"), QStringLiteral("{\"a\": |1}"));
    key(Qt::Key_Slash, Qt::ControlModifier);
    EXPECT_EQ(marked(), QStringLiteral("{\"a\": |1}"));
    ASSERT_TRUE(model->toast());
    EXPECT_TRUE(model->toast()->startsWith(QStringLiteral("JSON"))) << model->toast()->toStdString();
    EXPECT_TRUE(model->toast()->contains(QStringLiteral("没有注释"))) << model->toast()->toStdString();
    EXPECT_FALSE(view()->canUndo());
}

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

namespace {

struct MarkdownCommandsTest : EditCommandsFixture {};

}

TEST_F(MarkdownCommandsTest, BoldAndItalicWrapOrUnwrap)
{
    struct Case {
        const char* what;
        Qt::Key key;
        QString before, after;
    };
    const std::vector<Case> cases{
        {"the word at the caret", Qt::Key_B, "a bo|ld b", "a **«bold|** b"},
        {"unwrap around the selection", Qt::Key_B, "**«bold|**", "«bold|"},
        {"unwrap inside the selection", Qt::Key_B, "«**bold**|", "«bold|"},
        {"an empty pair between words", Qt::Key_B, "a | b", "a **|** b"},
        {"an empty pair goes away again", Qt::Key_B, "a **|** b", "a | b"},
        {"italic", Qt::Key_I, "«it|", "*«it|*"},
        {"italic inside bold", Qt::Key_I, "**«b|**", "***«b|***"},
        {"italic out of bold italic", Qt::Key_I, "***«b|***", "**«b|**"},
        {"bold out of bold italic", Qt::Key_B, "***«b|***", "*«b|*"},
        {"at every caret", Qt::Key_B, "«x| «y|", "**«x|** **«y|**"},
    };
    open(QStringLiteral("m.md"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        load(c.before);
        key(c.key, Qt::ControlModifier);
        EXPECT_EQ(marked(), c.after);
        key(Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(doc->text(), plainOf(c.before)) << "one undo step";
    }
}

TEST_F(MarkdownCommandsTest, CtrlKMakesALinkWithTheClipboardsAddress)
{
    struct Case {
        const char* what;
        QString clipboard, before, after;
    };
    const std::vector<Case> cases{
        {"no address: the caret waits for one", "plain words", "see «docs|", "see [docs](|)"},
        {"an address from the clipboard", " https://example.com/a?b=1 ", "«docs|",
         "[docs](https://example.com/a?b=1)|"},
        {"the word at the caret", "", "li|nk", "[link](|)"},
        {"nothing selected: the text goes between the brackets", "www.example.com", "a | b",
         "a [|](www.example.com) b"},
        {"a sentence is no address", "https://x.org and more", "«t|", "[t](|)"},
    };
    open(QStringLiteral("l.md"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QApplication::clipboard()->setText(c.clipboard);
        load(c.before);
        key(Qt::Key_K, Qt::ControlModifier);
        EXPECT_EQ(marked(), c.after);
    }
}

// The Edit menu offers the line commands everywhere and the Markdown ones only
// in Markdown; their keys act only where the user types.
TEST_F(MarkdownCommandsTest, OtherFormatsGreyThemOutAndIgnoreTheKeys)
{
    for (const auto& [file, on] : {std::pair{"n.txt", false}, {"n.md", true}}) {
        SCOPED_TRACE(file);
        open(QString::fromLatin1(file), QStringLiteral("wo|rd"));
        EXPECT_TRUE(menuAction(QStringLiteral("复制行"))->isEnabled());
        for (const char* title : {"加粗", "斜体", "插入链接"})
            EXPECT_EQ(menuAction(QString::fromUtf8(title))->isEnabled(), on) << title;
        key(Qt::Key_B, Qt::ControlModifier);
        EXPECT_EQ(doc->text() != QStringLiteral("word"), on);
    }
    // From the file list the keys change nothing.
    view()->clearFocus();
    key(Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(doc->text(), QStringLiteral("**word**"));
}
