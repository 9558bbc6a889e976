// What typing does beyond inserting, with real keys: indentation, Markdown
// lists, pairs, and the undo steps ordinary typing makes.
#include "EditCommandsFixture.h"
#include "editor/UndoSteps.h"

#include <QClipboard>

namespace {
using TypingKeys = EditCommandsFixture;
}

// Enter keeps the indent and goes a level deeper after an opener of the
// format; Tab adds a level, Backspace takes one; Markdown lists and quotes
// continue, end and renumber, and Tab nests their items; openers bring
// closers where nothing follows, only those are typed over or deleted with
// them, and a selection is wrapped. \b is Backspace, \x02 Shift+Tab.
TEST_F(TypingKeys, IndentListsAndPairs)
{
    const KeysCase cases[] = {
        {"spaces kept", "a.txt", "    foo|", "\nbar", "    foo\n    bar|"},
        {"tabs kept", "b.txt", "\t\tfoo|", "\n", "\t\tfoo\n\t\t|"},
        {"a brace in plain text is only a character", "c.txt", "{|", "\n", "{\n|"},
        {"JSON array in an object, trailing blanks dropped", "e.json", "{\n  \"a\": [  |", "\n",
         "{\n  \"a\": [\n    |"},
        {"JSON between brackets, indented", "g.json", "  \"a\": [| ]", "\n1", "  \"a\": [\n    1|\n  ]"},
        {"TOML array", "h.toml", "xs = [|", "\n1,\n", "xs = [\n  1,\n  |"},
        {"TOML table header", "i.toml", "[server]|", "\n", "[server]\n|"},
        {"YAML key without value", "j.yaml", "server:|", "\nport: 1", "server:\n  port: 1|"},
        {"YAML item key", "k.yaml", "- name:|", "\n", "- name:\n    |"},
        {"YAML key with value", "l.yaml", "  key: value|", "\n", "  key: value\n  |"},
        {"YAML comment", "m.yaml", "# note:|", "\n", "# note:\n|"},
        {"Backspace from between stops", "b.md", "      |", "\b", "    |"},
        {"Backspace a two-space level in JSON", "c.json", "    |", "\b\b", "|"},
        {"Backspace one character after text", "d.md", "    ab |", "\b", "    ab|"},
        {"Tab in YAML: two spaces", "b.yaml", "|x", "\t", "  |x"},
        {"selected lines move together", "c.yaml", "«a: 1\nb: 2|", "\t\t\x02", "«  a: 1\n  b: 2|"},

        {"dash", "a.md", "- item|", "\nnext", "- item\n- next|"},
        {"number", "c.md", "9. nine|", "\n", "9. nine\n10. |"},
        {"done task opens a new one", "f.md", "- [x] done|", "\n", "- [x] done\n- [ ] |"},
        {"quote", "g.md", "> 引用|", "\n", "> 引用\n> |"},
        {"list in a quote", "h.md", "> - a|", "\n", "> - a\n> - |"},
        {"nested item", "i.md", "- a\n  - b|", "\n", "- a\n  - b\n  - |"},
        {"split in the middle", "j.md", "- ab|cd", "\n", "- ab\n- |cd"},
        {"caret before the marker", "k.md", "|- item", "\n", "\n|- item"},
        {"no marker without a blank", "l.md", "-item|", "\n", "-item\n|"},
        {"a rule is no list", "m.md", "* * *|", "\n", "* * *\n|"},
        {"not outside Markdown", "n.txt", "- item|", "\n", "- item\n|"},
        {"an empty item ends the list", "a.md", "- a\n- |", "\n", "- a\n|"},
        {"renumbered below", "a.md", "1. a|\n2. b\n3. c", "\nx", "1. a\n2. x|\n3. b\n4. c"},
        {"renumbered: nested items keep theirs", "b.md", "1. a|\n   1. sub\n2. b\n\ntext\n\n5. other", "\n",
         "1. a\n2. |\n   1. sub\n3. b\n\ntext\n\n5. other"},
        {"bullet under bullet", "a.md", "- a\n- b|", "\t", "- a\n  - b|"},
        {"and back", "b.md", "- a\n  - b|", "\x02", "- a\n- b|"},
        {"numbered: starts at 1 and the rest close up", "c.md", "1. a\n2. b|\n3. c", "\t", "1. a\n   1. b|\n2. c"},
        {"numbered back out", "d.md", "1. a\n   1. b|\n2. c", "\x02", "1. a\n2. b|\n3. c"},
        {"at the margin Shift+Tab does nothing", "e.md", "- a|", "\x02", "- a|"},
        {"ordinary text still indents", "f.md", "|text", "\t", "    |text"},

        {"JSON braces and quotes", "a.json", "|", "{\"", "{\"|\"}"},
        {"before a closing bracket", "b.txt", "f(|)", "[", "f([|])"},
        {"before a comma", "c.yaml", "a: |, b", "'", "a: '|', b"},
        {"backtick in Markdown", "d.md", "run |", "`", "run `|`"},
        {"before a word", "e.txt", "|word", "(", "(|word"},
        {"an apostrophe after a letter", "g.yaml", "k: don|", "'t", "k: don't|"},
        {"closing a string", "i.json", "\"abc|", "\"", "\"abc\"|"},
        {"an apostrophe in Markdown prose", "j.md", "|", "'", "'|"},
        {"no backtick outside Markdown", "l.txt", "|", "`", "`|"},
        {"typed over", "a.json", "|", "{\"k\":[1]}", "{\"k\":[1]}|"},
        {"a closer that was there is typed in", "b.txt", "(|)", ")", "()|)"},
        {"Backspace takes both", "c.txt", "x|", "(\b", "x|"},
        {"Backspace back to an empty pair takes both", "d.txt", "|", "(a\b\b", "|"},
        {"Backspace at an old pair takes the opener only", "e.txt", "(|)", "\b", "|)"},
        {"a selection wrapped, still selected", "a.txt", "a |word» b", "(", "a (|word») b"},
        {"quotes wrap where they do not pair", "b.txt", "a |word» b", "\"", "a \"|word»\" b"},
        {"emphasis wraps in Markdown, twice", "d.md", "a |word» b", "**", "a **|word»** b"},
    };
    for (const KeysCase& c : cases)
        run(c);
}

TEST_F(TypingKeys, TheIndentOfEachFormatComesFromTheSettings)
{
    Settings s = model->settings();
    s.indents.insert(QStringLiteral("json"), Indent{4, false});
    s.indents.insert(QStringLiteral("text"), Indent{8, true});
    model->setSettings(s);
    run({"JSON at four", "a.json", "{|}", "\n", "{\n    |\n}"});
    run({"text in tabs", "b.txt", "|x", "\t", "\t|x"});
    // A level of eight columns is one tab: Backspace takes it whole.
    run({"a tab level back", "c.txt", "\t\t|x", "\b", "\t|x"});
}

// Nesting with its renumbering, and a pair, are one undo step each; read-only
// text is left alone.
TEST_F(TypingKeys, NestingAndAPairAreOneUndoStepAndReadOnlyTextIsLeftAlone)
{
    open(QStringLiteral("g.md"), "1. a\n2. b|\n3. c");
    press(QStringLiteral("\t"));
    undo();
    EXPECT_EQ(doc->text(), QStringLiteral("1. a\n2. b\n3. c"));

    open(QStringLiteral("a.txt"), "f|");
    press(QStringLiteral("("));
    ASSERT_EQ(doc->text(), QStringLiteral("f()"));
    undo();
    EXPECT_EQ(doc->text(), QStringLiteral("f"));
    view()->setReadOnly(true);
    press(QStringLiteral("("));
    EXPECT_EQ(doc->text(), QStringLiteral("f"));
}

namespace {

using UndoStepsTest = EditCommandsFixture;
using Texts = std::vector<QString>;

}

// Typing is undone word by word and line by line; a run ends where the
// caret jumps or typing turns into deleting.
TEST_F(UndoStepsTest, TypingIsUndoneWordByWordAndARunEndsWhereTheCaretJumps)
{
    struct Case {
        const char* name;
        std::function<void()> keys;
        Texts steps;
    };
    const Case cases[] = {
        {"words and lines",
         [] {
             type(QStringLiteral("hello world"));
             key(Qt::Key_Return);
             type(QStringLiteral("second line"));
         },
         {QStringLiteral("hello world\nsecond"), QStringLiteral("hello world\n"), QStringLiteral("hello world"),
          QStringLiteral("hello"), QString()}},
        {"away and back to the same place",
         [] {
             type(QStringLiteral("abc"));
             key(Qt::Key_Left);
             key(Qt::Key_Right);
             type(QStringLiteral("def"));
         },
         {QStringLiteral("abc"), QString()}},
        {"to the line start",
         [] {
             type(QStringLiteral("one"));
             key(Qt::Key_Home);
             type(QStringLiteral("xy"));
         },
         {QStringLiteral("one"), QString()}},
        {"deleting after typing, typing after deleting",
         [] {
             type(QStringLiteral("abcd"));
             key(Qt::Key_Backspace);
             key(Qt::Key_Backspace);
             type(QStringLiteral("xy"));
         },
         {QStringLiteral("ab"), QStringLiteral("abcd"), QString()}},
        {"several spaces stay with the word before them",
         [] { type(QStringLiteral("ab   cd")); },
         {QStringLiteral("ab"), QString()}},
    };
    open(QStringLiteral("j.txt"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        view()->replaceWhole(QString());
        view()->SendScintilla(QsciScintillaBase::SCI_EMPTYUNDOBUFFER);
        c.keys();
        EXPECT_EQ(undoAll(), c.steps);
    }
}

TEST_F(UndoStepsTest, APauseEndsAStepAndQuickTypingDoesNot)
{
    open(QStringLiteral("p.txt"));
    UndoSteps* steps = view()->undoSteps();
    // About a second, as in gedit.
    EXPECT_GE(steps->pauseInterval(), 500);
    EXPECT_LE(steps->pauseInterval(), 1500);
    steps->setPauseInterval(150);
    type(QStringLiteral("abc"));
    EXPECT_TRUE(steps->pausePending());
    EXPECT_TRUE(waitUntil([&] { return !steps->pausePending(); }));
    type(QStringLiteral("def"));
    type(QStringLiteral("ghi"));  // no pause
    EXPECT_EQ(undoAll(), Texts({QStringLiteral("abc"), QString()}));
}

TEST_F(UndoStepsTest, APasteAndAReplaceAllAreOneStepEachBetweenTypedWords)
{
    open(QStringLiteral("r.txt"));
    type(QStringLiteral("start"));
    QApplication::clipboard()->setText(QStringLiteral(" pasted words\nand a line "));
    key(Qt::Key_V, Qt::ControlModifier);
    type(QStringLiteral("end"));
    key(Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_TRUE(model->find().replaceVisible());
    model->find().setQuery(QStringLiteral("a"));
    model->find().setReplaceText(QStringLiteral("A"));
    EXPECT_TRUE(waitUntil([&] { return same(model->find().matchCount(), 4); }));
    editors->existing(doc->id)->replaceEverything();
    ASSERT_EQ(doc->text(), QStringLiteral("stArt pAsted words\nAnd A line end"));
    view()->setFocus();
    EXPECT_EQ(undoAll(),
              Texts({QStringLiteral("start pasted words\nand a line end"),
                     QStringLiteral("start pasted words\nand a line "), QStringLiteral("start"), QString()}));
}
