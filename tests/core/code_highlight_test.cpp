// Fenced code coloured by highlight.js in the script engine: tokens come back
// as classed spans, the code's text survives exactly, hostile code stays
// text, unknown languages and runaway scripts leave the block plain.
#include "plugins/CodeHighlight.h"
#include "plugins/HTMLSanitizer.h"
#include "plugins/Markdown.h"
#include "plugins/ScriptHost.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QThread>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <thread>

namespace {

// The text a browser shows for an HTML fragment without tags.
QString shownText(const QString& html)
{
    QString text = html;
    text.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
    return HTMLSanitizer::decodeReferences(text);
}

QString codeOf(const QString& preview)
{
    const QRegularExpression code(QStringLiteral("<code[^>]*>(.*)</code>"),
                                  QRegularExpression::DotMatchesEverythingOption);
    return code.match(preview).captured(1);
}

}

TEST(CodeHighlight, KnownLanguagesComeAsClassedSpansWithTheirTextIntact)
{
    const struct {
        const char* language;
        const char* code;
        const char* token;
    } samples[] = {
        {"cpp", "int main() { return 0; } // 注释 <tag> & \"q\"\n", "<span class=\"hljs-keyword\">return</span>"},
        {"python", "def f(x):\n    return '中文' # c\n", "<span class=\"hljs-keyword\">def</span>"},
        {"bash", "echo \"$HOME\" | grep x\n", "<span class=\"hljs-built_in\">echo</span>"},
        {"html", "<a href=\"x\">y</a>\n", "<span class=\"hljs-tag\">"},
    };
    for (const auto& s : samples) {
        const QString code = QString::fromUtf8(s.code);
        const QString preview = Markdown::preview(QStringLiteral("```") + QString::fromLatin1(s.language) + u'\n' + code
                                                  + QStringLiteral("```\n"));
        EXPECT_TRUE(preview.contains(QString::fromUtf8(s.token))) << s.language << ": " << preview.toStdString();
        EXPECT_EQ(shownText(codeOf(preview)), code) << s.language;
        EXPECT_TRUE(preview.contains(QStringLiteral("<code class=\"lang-") + QString::fromLatin1(s.language) + u'"'))
            << s.language;
    }
}

TEST(CodeHighlight, UnknownLanguagesNoLanguageAndOtherOutputsStayPlain)
{
    const QString unknown = Markdown::preview(QStringLiteral("```nosuchlanguage\nint <b>x</b>\n```\n"));
    EXPECT_FALSE(unknown.contains(QStringLiteral("hljs-")));
    EXPECT_TRUE(unknown.contains(QStringLiteral("int &lt;b&gt;x&lt;/b&gt;"))) << unknown.toStdString();
    const QString bare = Markdown::preview(QStringLiteral("```\nreturn 0;\n```\n"));
    EXPECT_FALSE(bare.contains(QStringLiteral("hljs-")));
    // Only the preview colours: the plain HTML (exports of the fragment, the golden tests) does not.
    EXPECT_FALSE(Markdown::html(QStringLiteral("```cpp\nreturn 0;\n```\n")).contains(QStringLiteral("hljs-")));
    // A language name that is no name is never handed to the script.
    EXPECT_TRUE(CodeHighlight::colour(QStringLiteral("c\"><img"), QStringLiteral("x")).html.isNull());
    EXPECT_TRUE(CodeHighlight::colour(QString(40, u'c'), QStringLiteral("x")).html.isNull());
    const QString note = QString::fromUtf8(CodeHighlight::tooLongNote);
    EXPECT_FALSE(unknown.contains(note));
    // Too long to colour: plain, not cut, and it says why.
    const QString huge = QStringLiteral("int x;\n").repeated(CodeHighlight::maxCode / 7 + 1);
    const QString long_ = Markdown::preview(QStringLiteral("```cpp\n") + huge + QStringLiteral("```\n"));
    EXPECT_FALSE(long_.contains(QStringLiteral("hljs-")));
    EXPECT_EQ(shownText(codeOf(long_)), huge);
    EXPECT_TRUE(long_.contains(QStringLiteral("</pre>\n<p class=\"cap\">") + note)) << long_.right(200).toStdString();
}

TEST(CodeHighlight, HostileCodeStaysTextInsideTheSpans)
{
    const char* vectors[] = {
        "```html\n<img src=x onerror=alert(1)><script>alert(1)</script>\n```\n",
        "```xml\n<svg onload=alert(1)><a href=\"javascript:alert(1)\">x</a></svg>\n```\n",
        "```markdown\n[x](javascript:alert(1)) <img src=x onerror=alert(1)>\n```\n",
        "```css\n</style><img src=x onerror=alert(1)>\n```\n",
        "```cpp\n// </span></code></pre><img src=x onerror=alert(1)>\n```\n",
        "```php\n<?php echo '<script>alert(1)</script>'; ?>\n```\n",
        "```js\nlet s = '</span><script>alert(1)</script>'; // </code>\n```\n",
    };
    for (const char* v : vectors) {
        const QString preview = Markdown::preview(QString::fromUtf8(v));
        EXPECT_TRUE(preview.contains(QStringLiteral("hljs-"))) << v;
        // Every tag in the coloured code is a span (or its end).
        const QString code = codeOf(preview);
        QRegularExpressionMatchIterator tags = QRegularExpression(QStringLiteral("<(/?)([a-zA-Z]+)")).globalMatch(code);
        while (tags.hasNext())
            EXPECT_EQ(tags.next().captured(2), QStringLiteral("span")) << v << "\n" << code.toStdString();
        const QString source = QString::fromUtf8(v).section(u'\n', 1, 1) + u'\n';
        EXPECT_EQ(shownText(code), source);
    }
}

TEST(CodeHighlight, ARunawayScriptIsInterruptedAndTheEngineServesTheNextCall)
{
    bool overran = false;
    const auto evaluate = [&overran](const char* source, std::chrono::milliseconds limit) {
        return ScriptHost::call(QStringLiteral("lorvaneEvaluate"), {QString::fromUtf8(source)}, limit, &overran);
    };
    EXPECT_FALSE(evaluate("for (;;) {}", std::chrono::milliseconds(200)));
    EXPECT_TRUE(overran);
    EXPECT_EQ(evaluate("'still' + ' here'", std::chrono::seconds(5)), QStringLiteral("still here"));
    EXPECT_FALSE(overran);
    EXPECT_FALSE(evaluate("throw new Error('x')", std::chrono::seconds(5)));
    EXPECT_FALSE(overran) << "a failing script did not run out of time";
    EXPECT_FALSE(ScriptHost::call(QStringLiteral("lorvaneNoSuchFunction"), {}, std::chrono::seconds(5)));
    // Built-ins are never called from here (the engine crashes on eval).
    EXPECT_FALSE(ScriptHost::call(QStringLiteral("eval"), {QStringLiteral("'x'")}, std::chrono::seconds(5)));
    EXPECT_TRUE(Markdown::preview(QStringLiteral("```cpp\nreturn 1;\n```\n")).contains(QStringLiteral("hljs-keyword")));
}

// The engine's departures from the language that the libraries trip over are repaired before they load.
TEST(CodeHighlight, TheEngineBehavesAsTheLibrariesExpect)
{
    const auto evaluate = [](const char* source) {
        return ScriptHost::call(QStringLiteral("lorvaneEvaluate"), {QString::fromUtf8(source)}, std::chrono::seconds(5))
            .value_or(QStringLiteral("(failed)"));
    };
    // A source rebuilds the same expression: a slash still matches a slash.
    EXPECT_EQ(evaluate("new RegExp(/a\\/b/.source).test('a/b') + ' ' + /\\/?>/.source"), QStringLiteral("true \\/?>"));
    // Unicode expressions search past the first position, letter classes included.
    EXPECT_EQ(evaluate("JSON.stringify([new RegExp('[a-z]+', 'u').exec('  href')[0], "
                       "new RegExp('[\\\\p{L}_]+', 'u').exec(' 中文x')[0]])"),
              QStringLiteral("[\"href\",\"中文x\"]"));
    // A frozen literal with a null prototype has it as its prototype, not as a key.
    EXPECT_EQ(evaluate("var o = Object.freeze({__proto__: null, a: 1}); "
                       "Object.keys(o).join() + ' ' + (Object.getPrototypeOf(o) === null)"),
              QStringLiteral("a true"));
    EXPECT_EQ(evaluate("(/x/ instanceof RegExp) + ' ' + new RegExp('b', 'g').flags"), QStringLiteral("true g"));
}

TEST(CodeHighlight, ABlockSeenBeforeIsNotColouredAgain)
{
    const QString doc = QStringLiteral("# t\n\n```rust\nfn main() { let x = 1; }\n```\n\n```go\nfunc f() {}\n```\n");
    const QString first = Markdown::preview(doc);
    const quint64 runs = CodeHighlight::scriptRuns();
    // A keystroke outside the blocks: both come from the cache.
    const QString again = Markdown::preview(doc + QStringLiteral("\nmore text\n"));
    EXPECT_EQ(CodeHighlight::scriptRuns(), runs);
    EXPECT_TRUE(again.startsWith(first.left(first.size() - 6)));
    // An edit inside one block runs the script for that block alone.
    Markdown::preview(QString(doc).replace(QStringLiteral("let x = 1"), QStringLiteral("let x = 2")));
    EXPECT_EQ(CodeHighlight::scriptRuns(), runs + 1);
}

// A process whose engine is still inside an expression ends without the
// exit-time leak check: that engine's memory is given up on purpose.
[[noreturn]] void endProcess(int code)
{
    std::fflush(nullptr);
    std::_Exit(code);
}

// The engine checks for interruption between script steps, never inside a
// regular expression: a call stuck in one is abandoned with its engine, and
// the next call gets a fresh one at once. In a process of its own, as the
// abandoned engine outlives the test.
TEST(CodeHighlight, ACallStuckInsideARegularExpressionIsAbandoned)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            QElapsedTimer clock;
            clock.start();
            // highlight.js takes over half a minute on this, all of it in one expression.
            const QString brackets = QString(16000, u'[') + QString(16000, u']');
            if (ScriptHost::call(QStringLiteral("lorvaneHighlight"), {QStringLiteral("markdown"), brackets},
                                 std::chrono::milliseconds(100)))
                endProcess(2);
            if (clock.elapsed() >= 3000)
                endProcess(3);
            if (ScriptHost::call(QStringLiteral("lorvaneEvaluate"), {QStringLiteral("'after'")},
                                 std::chrono::seconds(5))
                != QStringLiteral("after"))
                endProcess(4);
            // The same block in a document: plain, with the note, in well under a second or two.
            clock.restart();
            const QString preview = Markdown::preview(QStringLiteral("```markdown\n") + brackets
                                                      + QStringLiteral("\n```\n"));
            if (preview.contains(QStringLiteral("hljs-"))
                || !preview.contains(QString::fromUtf8(CodeHighlight::tooLongNote)))
                endProcess(6);
            endProcess(clock.elapsed() < 3000 ? 0 : 5);
        },
        ::testing::ExitedWithCode(0), "");
}

// Run in a process of its own: stopping is for good. Quitting must not wait
// for a script, whatever it is doing.
TEST(CodeHighlight, StoppingSendsAWaitingCallerBackAtOnce)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            const QString brackets = QString(16000, u'[') + QString(16000, u']');
            // The scripts loaded first: the caller is inside the expression when the program ends.
            if (!ScriptHost::call(QStringLiteral("lorvaneEvaluate"), {QStringLiteral("'x'")}, std::chrono::seconds(5)))
                endProcess(4);
            std::atomic<qint64> returnedAt{-1};
            QElapsedTimer clock;
            clock.start();
            std::thread caller([&] {
                const auto r = ScriptHost::call(QStringLiteral("lorvaneHighlight"),
                                                {QStringLiteral("markdown"), brackets}, std::chrono::seconds(60));
                returnedAt = r ? -2 : clock.elapsed();
            });
            QThread::msleep(300);
            const qint64 stoppedAt = clock.elapsed();
            ScriptHost::stop();
            caller.join();
            if (returnedAt < 0 || returnedAt - stoppedAt > 1000)
                endProcess(2);
            const bool later = ScriptHost::call(QStringLiteral("lorvaneEvaluate"), {QStringLiteral("'x'")},
                                                std::chrono::seconds(5))
                                   .has_value();
            endProcess(later ? 3 : 0);
        },
        ::testing::ExitedWithCode(0), "");
}
