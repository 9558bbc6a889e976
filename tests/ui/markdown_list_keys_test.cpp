// Markdown lists and quotes continued, ended, renumbered and nested, with real keys.
#include "TypingFixture.h"

namespace {

struct MarkdownListKeys : TypingFixture {};

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
