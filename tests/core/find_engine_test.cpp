#include "text/FindEngine.h"

#include <QStringList>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace {

FindOptions plain(const QString& q) { return {q, false, false, false}; }
FindOptions regexOf(const QString& q) { return {q, false, false, true}; }

QStringList found(const FindOptions& o, const QString& text)
{
    QStringList out;
    for (const TextRange& r : FindEngine::regex(o).matches(text))
        out << text.mid(r.start, r.length);
    return out;
}

QString replaced(const FindOptions& o, const QString& replacement, const QString& text)
{
    return FindEngine::regex(o).replaceAll(text, FindEngine::replaceTemplate(replacement, o.useRegex));
}

}

TEST(FindEngine, UnescapeTurnsTypedEscapesIntoCharacters)
{
    // a \n b \t c \\ n : the escaped backslash does not pair with the n.
    EXPECT_EQ(FindEngine::unescape(QStringLiteral("a\\nb\\tc\\\\n")), QStringLiteral("a\nb\tc\\n"));
    EXPECT_EQ(FindEngine::unescape(QStringLiteral("\\r\\q")), QStringLiteral("\r\\q"));
    EXPECT_EQ(FindEngine::unescape(QStringLiteral("end\\")), QStringLiteral("end\\"));
    EXPECT_EQ(FindEngine::unescape(QString()), QString());
}

TEST(FindEngine, PlainModeIsLiteralAfterEscapes)
{
    const QString text = QStringLiteral("a.b axb A.B");
    EXPECT_EQ(found(plain(QStringLiteral("a.b")), text), QStringList({"a.b", "A.B"}));
    EXPECT_EQ(found(regexOf(QStringLiteral("a.b")), text), QStringList({"a.b", "axb", "A.B"}));

    // "\n" typed in plain mode finds every line feed; replacing it with
    // nothing joins the lines.
    EXPECT_EQ(found(plain(QStringLiteral("\\n")), QStringLiteral("x\ny\nz")).size(), 2);
    EXPECT_EQ(replaced(plain(QStringLiteral("\\n")), QString(), QStringLiteral("x\ny\nz")), QStringLiteral("xyz"));

    // An unknown escape stays two characters.
    EXPECT_EQ(found(plain(QStringLiteral("\\q")), QStringLiteral("a\\qb q")), QStringList({"\\q"}));

    // Every metacharacter is quoted, including a literal \E.
    const QString meta = QStringLiteral("^$.|?*+()[]{}\\E#- /");
    EXPECT_EQ(found({meta + QStringLiteral("x"), true, false, false}, QStringLiteral("p") + meta + QStringLiteral("x")),
              QStringList({meta + QStringLiteral("x")}));
}

TEST(FindEngine, CaseWholeWordAndLines)
{
    EXPECT_EQ(found({QStringLiteral("Cat"), true, false, false}, QStringLiteral("cat Cat")), QStringList({"Cat"}));
    EXPECT_EQ(found({QStringLiteral("cat"), false, true, false}, QStringLiteral("cat concatenate cat.")),
              QStringList({"cat", "cat"}));
    // Whole word keeps the query's own group numbers.
    FindOptions ww{QStringLiteral("(\\w)at"), false, true, true};
    EXPECT_EQ(replaced(ww, QStringLiteral("[$1]"), QStringLiteral("cat bat scatter")),
              QStringLiteral("[c] [b] scatter"));
    // Anchors work per line; the dot does not cross line feeds.
    EXPECT_EQ(found(regexOf(QStringLiteral("^\\w+$")), QStringLiteral("one\ntwo\n")), QStringList({"one", "two"}));
    EXPECT_EQ(found(regexOf(QStringLiteral("e.t")), QStringLiteral("e\nt")), QStringList());
}

TEST(FindEngine, EmptyMatchesAreIgnoredEverywhere)
{
    EXPECT_TRUE(FindEngine::regex(regexOf(QStringLiteral("^"))).matches(QStringLiteral("a\nb")).empty());
    // Replacing never touches empty matches either.
    EXPECT_EQ(replaced(regexOf(QStringLiteral("x*")), QStringLiteral("-"), QStringLiteral("axxb")),
              QStringLiteral("a-b"));
    EXPECT_EQ(replaced(regexOf(QStringLiteral("^")), QStringLiteral("-"), QStringLiteral("a\nb")),
              QStringLiteral("a\nb"));
}

TEST(FindEngine, TemplatesExpandGroupsOnlyInRegexMode)
{
    const QString text = QStringLiteral("key=1 key=22");
    EXPECT_EQ(replaced(regexOf(QStringLiteral("key=(\\d+)")), QStringLiteral("[$1]"), text),
              QStringLiteral("[1] [22]"));
    EXPECT_EQ(replaced(plain(QStringLiteral("key=1")), QStringLiteral("[$1]"), text), QStringLiteral("[$1] key=22"));
    // A backslash typed twice stays one literal backslash in regex mode.
    EXPECT_EQ(replaced(regexOf(QStringLiteral("=")), QStringLiteral("\\\\"), QStringLiteral("a=b")),
              QStringLiteral("a\\b"));
    // Escapes in the replacement become characters in both modes.
    EXPECT_EQ(replaced(plain(QStringLiteral(" ")), QStringLiteral("\\n"), QStringLiteral("a b")),
              QStringLiteral("a\nb"));
    EXPECT_EQ(replaced(regexOf(QStringLiteral(" ")), QStringLiteral("\\t"), QStringLiteral("a b")),
              QStringLiteral("a\tb"));
    // Group numbers beyond the groups of the pattern stop at the last digit that names one.
    EXPECT_EQ(replaced(regexOf(QStringLiteral("(a)")), QStringLiteral("$12"), QStringLiteral("a")),
              QStringLiteral("a2"));
}

TEST(FindEngine, StatesOfTheExpression)
{
    EXPECT_EQ(FindEngine::regex(plain(QString())).state(), FindExpression::State::empty);
    EXPECT_EQ(FindEngine::regex(regexOf(QStringLiteral("(ab"))).state(), FindExpression::State::invalid);
    EXPECT_TRUE(FindEngine::regex(regexOf(QStringLiteral("(ab"))).matches(QStringLiteral("(ab")).empty());
    EXPECT_EQ(FindEngine::regex(regexOf(QStringLiteral("(ab"))).replaceAll(QStringLiteral("(ab"), QStringLiteral("x")),
              QStringLiteral("(ab"));
    // The same query in plain mode is fine.
    EXPECT_TRUE(FindEngine::regex(plain(QStringLiteral("(ab"))).isReady());
    // Surrogate pairs and CJK are matched as whole units.
    EXPECT_EQ(found(plain(QStringLiteral("😀中")), QStringLiteral("a😀中b")), QStringList({"😀中"}));
}

TEST(FindEngine, AStopFlagEndsALongSearchEarly)
{
    // One long find whose only match is at the very end: only ICU's
    // progress callback can end it early.
    const QString text = QString(8 << 20, QLatin1Char('a')) + QLatin1Char('1');
    std::atomic<bool> stop{false};
    FindExpression slow = FindEngine::regex(regexOf(QStringLiteral("\\p{L}{40}\\d")));
    slow.stopWhen(&stop);
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        stop = true;
    });
    EXPECT_TRUE(slow.matches(text).empty());
    stopper.join();

    // Between matches the flag is looked at as well; unset, everything is found.
    FindExpression each = FindEngine::regex(plain(QStringLiteral("a")));
    each.stopWhen(&stop);
    EXPECT_TRUE(each.matches(text.left(1000)).empty());
    EXPECT_TRUE(each.replacements(text.left(1000), QStringLiteral("b")).empty());
    stop = false;
    EXPECT_EQ(each.matches(text.left(1000)).size(), 1000u);
    FindExpression moved = std::move(each);
    stop = true;
    EXPECT_TRUE(moved.matches(text.left(1000)).empty());
}
