// What typing does beyond inserting, with real keys: indentation, Markdown
// lists, pairs, and the undo steps ordinary typing makes.
#include "TypingFixture.h"
#include "editor/UndoSteps.h"

#include <QClipboard>

namespace {
using IndentKeys = TypingFixture;
using MarkdownListKeys = TypingFixture;
using PairKeys = TypingFixture;
}

TEST_F(IndentKeys, EnterKeepsTheIndentAndGoesALevelDeeperAfterAnOpener)
{
    const KeysCase cases[] = {
        {"spaces kept", "a.txt", at("    foo^"), "\nbar", at("    foo\n    bar^")},
        {"tabs kept", "b.txt", at("\t\tfoo^"), "\n", at("\t\tfoo\n\t\t^")},
        {"a brace in plain text is only a character", "c.txt", at("{^"), "\n", at("{\n^")},
        {"JSON object", "d.json", at("{^"), "\n", at("{\n  ^")},
        {"JSON array in an object, trailing blanks dropped", "e.json", at("{\n  \"a\": [  ^"), "\n",
         at("{\n  \"a\": [\n    ^")},
        {"JSON between braces", "f.json", at("{^}"), "\n", at("{\n  ^\n}")},
        {"JSON between brackets, indented", "g.json", at("  \"a\": [^ ]"), "\n1", at("  \"a\": [\n    1^\n  ]")},
        {"TOML array", "h.toml", at("xs = [^"), "\n1,\n", at("xs = [\n  1,\n  ^")},
        {"TOML table header", "i.toml", at("[server]^"), "\n", at("[server]\n^")},
        {"YAML key without value", "j.yaml", at("server:^"), "\nport: 1", at("server:\n  port: 1^")},
        {"YAML item key", "k.yaml", at("- name:^"), "\n", at("- name:\n    ^")},
        {"YAML key with value", "l.yaml", at("  key: value^"), "\n", at("  key: value\n  ^")},
        {"YAML comment", "m.yaml", at("# note:^"), "\n", at("# note:\n^")},
    };
    for (const KeysCase& c : cases)
        run(c);
}

TEST_F(IndentKeys, BackspaceInLeadingBlanksRemovesALevel)
{
    const KeysCase cases[] = {
        {"to the previous stop", "a.md", at("        ^x"), "\b", at("    ^x")},
        {"from between stops", "b.md", at("      ^"), "\b", at("    ^")},
        {"two-space level in JSON", "c.json", at("    ^"), "\b\b", at("^")},
        {"one character after text", "d.md", at("    ab ^"), "\b", at("    ab^")},
    };
    for (const KeysCase& c : cases)
        run(c);
}

TEST_F(IndentKeys, TabIndentsByTheFormatsLevelAndSelectedLinesTogether)
{
    run({"Markdown: four spaces", "a.md", at("^x"), "\t", at("    ^x")});
    run({"YAML: two spaces", "b.yaml", at("^x"), "\t", at("  ^x")});

    open(QStringLiteral("c.yaml"), QStringLiteral("a: 1\nb: 2\nc: 3"));
    view()->setSelection(0, view()->length());
    press(QStringLiteral("\t"));
    EXPECT_EQ(doc->text(), QStringLiteral("  a: 1\n  b: 2\n  c: 3"));
    press(QStringLiteral("\x02\x02"));
    EXPECT_EQ(doc->text(), QStringLiteral("a: 1\nb: 2\nc: 3"));
}

TEST_F(IndentKeys, TheIndentOfEachFormatComesFromTheSettings)
{
    Settings s = model->settings();
    s.indents.insert(QStringLiteral("json"), Indent{4, false});
    s.indents.insert(QStringLiteral("text"), Indent{8, true});
    model->setSettings(s);
    run({"JSON at four", "a.json", at("{^}"), "\n", at("{\n    ^\n}")});
    run({"text in tabs", "b.txt", at("^x"), "\t", at("\t^x")});
    // A level of eight columns is one tab: Backspace takes it whole.
    run({"a tab level back", "c.txt", at("\t\t^x"), "\b", at("\t^x")});
    // Formats the user left alone keep their defaults.
    run({"YAML untouched", "d.yaml", at("k:^"), "\n", at("k:\n  ^")});
}

TEST_F(MarkdownListKeys, EnterContinuesEachKindOfItem)
{
    const KeysCase cases[] = {
        {"dash", "a.md", at("- item^"), "\nnext", at("- item\n- next^")},
        {"star and plus", "b.md", at("* a\n+ b^"), "\n", at("* a\n+ b\n+ ^")},
        {"number", "c.md", at("9. nine^"), "\n", at("9. nine\n10. ^")},
        {"number with a parenthesis", "d.md", at("1) one^"), "\n", at("1) one\n2) ^")},
        {"open task", "e.md", at("- [ ] todo^"), "\n", at("- [ ] todo\n- [ ] ^")},
        {"done task opens a new one", "f.md", at("- [x] done^"), "\n", at("- [x] done\n- [ ] ^")},
        {"quote", "g.md", at("> 引用^"), "\n", at("> 引用\n> ^")},
        {"list in a quote", "h.md", at("> - a^"), "\n", at("> - a\n> - ^")},
        {"nested item", "i.md", at("- a\n  - b^"), "\n", at("- a\n  - b\n  - ^")},
        {"split in the middle", "j.md", at("- ab^cd"), "\n", at("- ab\n- ^cd")},
        {"caret before the marker", "k.md", at("^- item"), "\n", at("\n^- item")},
        {"no marker without a blank", "l.md", at("-item^"), "\n", at("-item\n^")},
        {"a rule is no list", "m.md", at("* * *^"), "\n", at("* * *\n^")},
        {"not outside Markdown", "n.txt", at("- item^"), "\n", at("- item\n^")},
    };
    for (const KeysCase& c : cases)
        run(c);
}

TEST_F(MarkdownListKeys, EnterOnAnEmptyItemEndsTheList)
{
    const KeysCase cases[] = {
        {"dash", "a.md", at("- a\n- ^"), "\n", at("- a\n^")},
        {"task", "b.md", at("- [ ] a\n- [ ] ^"), "\n", at("- [ ] a\n^")},
        {"quote", "c.md", at("> a\n> ^"), "\n", at("> a\n^")},
        {"then an ordinary line", "d.md", at("1. a\n2. ^"), "\n\nb", at("1. a\n\nb^")},
    };
    for (const KeysCase& c : cases)
        run(c);
}

TEST_F(MarkdownListKeys, ANewNumberedItemRenumbersTheItemsBelow)
{
    const KeysCase cases[] = {
        {"one level", "a.md", at("1. a^\n2. b\n3. c"), "\nx", at("1. a\n2. x^\n3. b\n4. c")},
        {"nested items keep theirs", "b.md", at("1. a^\n   1. sub\n2. b\n\ntext\n\n5. other"), "\n",
         at("1. a\n2. ^\n   1. sub\n3. b\n\ntext\n\n5. other")},
        {"a list starting at 3", "c.md", at("3. a^\n4. b"), "\n", at("3. a\n4. ^\n5. b")},
    };
    for (const KeysCase& c : cases)
        run(c);
}

TEST_F(MarkdownListKeys, TabNestsAnItemAndShiftTabMovesItBack)
{
    const KeysCase cases[] = {
        {"bullet under bullet", "a.md", at("- a\n- b^"), "\t", at("- a\n  - b^")},
        {"and back", "b.md", at("- a\n  - b^"), "\x02", at("- a\n- b^")},
        {"numbered: starts at 1 and the rest close up", "c.md", at("1. a\n2. b^\n3. c"), "\t",
         at("1. a\n   1. b^\n2. c")},
        {"numbered back out", "d.md", at("1. a\n   1. b^\n2. c"), "\x02", at("1. a\n2. b^\n3. c")},
        {"at the margin Shift+Tab does nothing", "e.md", at("- a^"), "\x02", at("- a^")},
        {"ordinary text still indents", "f.md", at("^text"), "\t", at("    ^text")},
    };
    for (const KeysCase& c : cases)
        run(c);
    // Nesting and its renumbering are one undo step.
    open(QStringLiteral("g.md"), at("1. a\n2. b^\n3. c"));
    press(QStringLiteral("\t"));
    undo();
    EXPECT_EQ(doc->text(), QStringLiteral("1. a\n2. b\n3. c"));
}

TEST_F(PairKeys, OpenersBringTheirClosersWhereNothingFollows)
{
    const KeysCase cases[] = {
        {"JSON braces and quotes", "a.json", at("^"), "{\"", at("{\"^\"}")},
        {"before a closing bracket", "b.txt", at("f(^)"), "[", at("f([^])")},
        {"before a comma", "c.yaml", at("a: ^, b"), "'", at("a: '^', b")},
        {"backtick in Markdown", "d.md", at("run ^"), "`", at("run `^`")},
        {"before a word", "e.txt", at("^word"), "(", at("(^word")},
        {"before Chinese text", "f.md", at("^中文"), "(", at("(^中文")},
        {"an apostrophe after a letter", "g.yaml", at("k: don^"), "'t", at("k: don't^")},
        {"a quote after a Chinese character", "h.toml", at("k = 中^"), "\"", at("k = 中\"^")},
        {"closing a string", "i.json", at("\"abc^"), "\"", at("\"abc\"^")},
        {"an apostrophe in Markdown prose", "j.md", at("^"), "'", at("'^")},
        {"a quote in plain text", "k.txt", at("^"), "\"", at("\"^")},
        {"no backtick outside Markdown", "l.txt", at("^"), "`", at("`^")},
    };
    for (const KeysCase& c : cases)
        run(c);
}

TEST_F(PairKeys, OnlyClosersTheEditorPutInAreTypedOverOrDeletedWithTheOpener)
{
    const KeysCase cases[] = {
        {"typed over", "a.json", at("^"), "{\"k\":[1]}", at("{\"k\":[1]}^")},
        {"a closer that was there is typed in", "b.txt", at("(^)"), ")", at("()^)")},
        {"Backspace takes both", "c.txt", at("x^"), "(\b", at("x^")},
        {"Backspace back to an empty pair takes both", "d.txt", at("^"), "(a\b\b", at("^")},
        {"Backspace at an old pair takes the opener only", "e.txt", at("(^)"), "\b", at("^)")},
    };
    for (const KeysCase& c : cases)
        run(c);
}

TEST_F(PairKeys, ASelectionIsWrappedAndStaysSelected)
{
    struct Wrap {
        const char* name;
        QString file;
        QString keys;
        QString expected;
    };
    const Wrap cases[] = {
        {"parentheses", "a.txt", "(", "a (word) b"},
        {"quotes where quotes do not pair", "b.txt", "\"", "a \"word\" b"},
        {"emphasis in Markdown", "c.md", "*", "a *word* b"},
        {"twice", "d.md", "**", "a **word** b"},
    };
    for (const Wrap& c : cases) {
        SCOPED_TRACE(c.name);
        open(c.file, QStringLiteral("a word b"));
        view()->setSelection(6, 2);  // selected backwards
        press(c.keys);
        EXPECT_EQ(doc->text(), c.expected);
        const int inner = int(c.expected.indexOf(u'w'));
        EXPECT_EQ(view()->anchorPosition(), inner + 4);
        EXPECT_EQ(view()->cursorPosition(), inner);
    }
}

TEST_F(PairKeys, APairIsOneUndoStepAndReadOnlyTextIsLeftAlone)
{
    open(QStringLiteral("a.txt"), at("f^"));
    press(QStringLiteral("("));
    ASSERT_EQ(doc->text(), QStringLiteral("f()"));
    undo();
    EXPECT_EQ(doc->text(), QStringLiteral("f"));

    view()->setReadOnly(true);
    press(QStringLiteral("("));
    EXPECT_EQ(doc->text(), QStringLiteral("f"));
}

namespace {

using UndoStepsTest = TypingFixture;
using Texts = std::vector<QString>;

}

TEST_F(UndoStepsTest, TypingIsUndoneWordByWordAndLineByLine)
{
    open(QStringLiteral("u.txt"));
    type(QStringLiteral("hello world foo bar"));
    key(Qt::Key_Return);
    type(QStringLiteral("second line"));
    ASSERT_EQ(doc->text(), QStringLiteral("hello world foo bar\nsecond line"));
    EXPECT_EQ(undoAll(),
              Texts({QStringLiteral("hello world foo bar\nsecond"), QStringLiteral("hello world foo bar\n"),
                     QStringLiteral("hello world foo bar"), QStringLiteral("hello world foo"),
                     QStringLiteral("hello world"), QStringLiteral("hello"), QString()}));
    // Redo walks the same steps forward.
    key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(doc->text(), QStringLiteral("hello world"));
}

TEST_F(UndoStepsTest, ARunEndsWhereTheCaretJumpsOrTypingTurnsIntoDeleting)
{
    struct Case {
        const char* name;
        std::function<void()> keys;
        Texts steps;
    };
    const Case cases[] = {
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
