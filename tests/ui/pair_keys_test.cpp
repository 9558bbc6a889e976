// Brackets and quotes typed in pairs, stepped over and deleted together, with real keys.
#include "TypingFixture.h"

namespace {

struct PairKeys : TypingFixture {};

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
        view->setSelection(6, 2);  // selected backwards
        press(c.keys);
        EXPECT_EQ(doc->text(), c.expected);
        const int inner = int(c.expected.indexOf(u'w'));
        EXPECT_EQ(view->anchorPosition(), inner + 4);
        EXPECT_EQ(view->cursorPosition(), inner);
    }
}

TEST_F(PairKeys, APairIsOneUndoStepAndReadOnlyTextIsLeftAlone)
{
    open(QStringLiteral("a.txt"), at("f^"));
    press(QStringLiteral("("));
    ASSERT_EQ(doc->text(), QStringLiteral("f()"));
    undo();
    EXPECT_EQ(doc->text(), QStringLiteral("f"));

    view->setReadOnly(true);
    press(QStringLiteral("("));
    EXPECT_EQ(doc->text(), QStringLiteral("f"));
}
