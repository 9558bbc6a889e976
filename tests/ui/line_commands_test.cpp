// Line commands from the keyboard: duplicate, move, delete and join lines,
// and comment toggling in each format, at one caret or several.
#include "EditCommandsFixture.h"

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
                 {"move up the first line: nothing", up, "a|\nb", "a|\nb"},
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
        {QStringLiteral("c.toml"), {{"hash in TOML", toggle, "k = |1", "# k = |1"}}},
        {QStringLiteral("c.puml"), {{"quote in PlantUML", toggle, "A -> |B", "' A -> |B"}}},
        {QStringLiteral("c.txt"), {{"hash in plain text", toggle, "note|", "# note|"}}},
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

TEST_F(LineCommandsTest, FormatsWithoutCommentsSaySoAndChangeNothing)
{
    for (const auto& [file, text, name] : {std::tuple{"c.json", "{\"a\": |1}", "JSON"}, {"c.csv", "a,|b", "CSV"}}) {
        SCOPED_TRACE(file);
        open(QString::fromLatin1(file), QString::fromUtf8(text));
        key(Qt::Key_Slash, Qt::ControlModifier);
        EXPECT_EQ(marked(), QString::fromUtf8(text));
        ASSERT_TRUE(model->toast());
        EXPECT_TRUE(model->toast()->startsWith(QString::fromLatin1(name))) << model->toast()->toStdString();
        EXPECT_TRUE(model->toast()->contains(QStringLiteral("没有注释"))) << model->toast()->toStdString();
        EXPECT_FALSE(view()->canUndo());
    }
}

TEST_F(LineCommandsTest, CommandsAreListedInTheEditMenuWithTheirKeys)
{
    open(QStringLiteral("m.txt"), QStringLiteral("x|"));
    QMenu* edit = nullptr;
    for (QAction* m : window->menuBar()->actions())
        if (m->text() == QStringLiteral("编辑(&E)"))
            edit = m->menu();
    ASSERT_TRUE(edit);
    QMap<QString, QAction*> byTitle;
    for (QAction* a : edit->actions())
        byTitle[a->text()] = a;
    const std::vector<std::pair<QString, QString>> expected{
        {"切换注释", "Ctrl+/"},         {"复制行", "Ctrl+Shift+D"},    {"上移行", "Alt+Up"},
        {"下移行", "Alt+Down"},         {"删除行", "Ctrl+Shift+K"},    {"合并行", "Ctrl+J"},
        {"选择下一个相同项", "Ctrl+D"}, {"选择全部相同项", "Ctrl+F2"},
    };
    for (const auto& [title, keys] : expected) {
        SCOPED_TRACE(title.toStdString());
        ASSERT_TRUE(byTitle.contains(title));
        EXPECT_EQ(byTitle[title]->shortcut().toString(QKeySequence::PortableText), keys);
        EXPECT_TRUE(byTitle[title]->isEnabled());
    }
    // The keys act only where the user types: from the file list they change nothing.
    window->findChild<QWidget*>(QStringLiteral("editor"))->clearFocus();
    key(Qt::Key_D, ctrlShift);
    EXPECT_EQ(doc->text(), QStringLiteral("x"));
}
