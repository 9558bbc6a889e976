// Enter, Tab and Backspace and the indentation of each format, with real keys.
#include "TypingFixture.h"

namespace {

struct IndentKeys : TypingFixture {};

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
    view->setSelection(0, view->length());
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
