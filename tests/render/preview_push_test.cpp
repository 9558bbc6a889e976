// The scripts that carry a preview fragment into the page: an exact string
// literal, big ones built on a worker, and only the newest one coming back.
#include "WaitUntil.h"
#include "render/PreviewPush.h"
#include "render/PreviewScript.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

// Reads a literal back as JSON, which takes the same escapes.
QString readBack(const QString& literal)
{
    QJsonParseError error{};
    const QJsonArray a = QJsonDocument::fromJson(QStringLiteral("[%1]").arg(literal).toUtf8(), &error).array();
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    return a.isEmpty() ? QString() : a[0].toString();
}

QString literal(const QString& text)
{
    QString out;
    EXPECT_TRUE(PreviewScript::appendLiteral(out, text));
    return out;
}

// A fragment past the size built on the spot, its words numbered.
QString bigFragment(const QString& word)
{
    QString out;
    for (int i = 0; out.size() <= PreviewPush::workerChars * 4; ++i)
        out += QStringLiteral("<p>%1 %2</p>").arg(word).arg(i);
    return out;
}

// Positive evidence that every earlier result has had its turn: the worker
// takes one request at a time, so a marker's result comes after theirs.
void settle(PreviewPush& push, QSignalSpy& ready)
{
    const quint64 mark = push.request(bigFragment(QStringLiteral("MARK")));
    ASSERT_TRUE(waitUntil([&] { return !ready.isEmpty() && ready.last()[0].toULongLong() == mark; }));
    ready.removeLast();
}

}

TEST(PreviewScript, LiteralsGiveBackEveryTextExactly)
{
    const QString hostile = QStringLiteral("\"'\\\n\r\t</script><script>alert(1)</script>\u2028\u2029中") + QChar(0)
        + QChar(0x1f) + QChar(0x7f) + QStringLiteral("😀 end");
    const QString l = literal(hostile);
    EXPECT_EQ(readBack(l), hostile);
    // Nothing in it ends a line of script.
    EXPECT_FALSE(l.contains(QLatin1Char('\n')) || l.contains(QChar(0x2028)) || l.contains(QChar(0x2029)));
    EXPECT_EQ(literal(QString()), QStringLiteral("\"\""));
    EXPECT_EQ(literal(QStringLiteral("a\"b")), QStringLiteral("\"a\\\"b\""));

    // A surrogate without its partner, anywhere, reads back as U+FFFD; pairs stay.
    QString lone = QStringLiteral("x");
    lone += QChar(0xd83d);
    lone += QStringLiteral("y");
    lone += QChar(0xde00);
    lone += QStringLiteral("😀");
    lone += QChar(0xd83d);
    EXPECT_EQ(readBack(literal(lone)), QStringLiteral("x\ufffdy\ufffd😀\ufffd"));
}

TEST(PreviewScript, ContentScriptCarriesTheFragmentAndStopsWhenAsked)
{
    const QString html = QStringLiteral("<p class=\"a\">第一段\\</p>");
    const QString script = PreviewScript::content(html);
    const QString head = QStringLiteral("document.getElementById('c').innerHTML=");
    ASSERT_TRUE(script.startsWith(head));
    const qsizetype end = script.indexOf(QLatin1String(";if(window.lorvaneReset)"));
    ASSERT_GT(end, head.size());
    EXPECT_EQ(readBack(script.mid(head.size(), end - head.size())), html);

    // Asked now and then, not for every character; a yes ends it empty.
    const QString big(qsizetype(3) << 20, QLatin1Char('x'));
    int asked = 0;
    EXPECT_TRUE(PreviewScript::content(big, [&] { return ++asked == 2; }).isEmpty());
    EXPECT_EQ(asked, 2);
    asked = 0;
    EXPECT_EQ(PreviewScript::content(big, [&] { return ++asked > 100; }).size(),
              head.size() + big.size() + 2
                  + QStringLiteral(";if(window.lorvaneReset)lorvaneReset();"
                                   "for(const i of document.images)i.decoding='async';")
                        .size());
    EXPECT_EQ(asked, 2);
}

TEST(PreviewPush, SmallFragmentsComeBackAtOnceBigOnesLater)
{
    PreviewPush push;
    QSignalSpy ready(&push, &PreviewPush::ready);
    const quint64 small = push.request(QStringLiteral("<p>small</p>"));
    ASSERT_EQ(ready.size(), 1);
    EXPECT_EQ(ready[0][0].toULongLong(), small);
    EXPECT_TRUE(ready[0][1].toString().contains(QLatin1String("<p>small</p>")));
    EXPECT_FALSE(push.building());

    const QString big = bigFragment(QStringLiteral("BIG"));
    const quint64 ticket = push.request(big);
    EXPECT_GT(ticket, small);
    // Built on the worker: nothing yet, in this turn.
    EXPECT_EQ(ready.size(), 1);
    EXPECT_TRUE(push.building());
    ASSERT_TRUE(waitUntil([&] { return ready.size() == 2; }));
    EXPECT_EQ(ready[1][0].toULongLong(), ticket);
    EXPECT_EQ(ready[1][1].toString(), PreviewScript::content(big));
    EXPECT_FALSE(push.building());
}

TEST(PreviewPush, AnOlderRequestStillUnderWayNeverComesBack)
{
    PreviewPush push;
    QSignalSpy ready(&push, &PreviewPush::ready);
    // Two big ones: only the second.
    push.request(bigFragment(QStringLiteral("OLD")));
    const quint64 second = push.request(bigFragment(QStringLiteral("NEW")));
    ASSERT_TRUE(waitUntil([&] { return !ready.isEmpty(); }));
    settle(push, ready);
    ASSERT_EQ(ready.size(), 1);
    EXPECT_EQ(ready[0][0].toULongLong(), second);
    EXPECT_TRUE(ready[0][1].toString().contains(QLatin1String("NEW 1")));

    // A big one done on the worker while this thread was busy, then a small
    // one: the small one at once, and the big one's result, already waiting
    // in the queue, never.
    ready.clear();
    push.request(bigFragment(QStringLiteral("OLD")));
    QThread::msleep(500);
    const quint64 small = push.request(QStringLiteral("<p>small</p>"));
    settle(push, ready);
    ASSERT_EQ(ready.size(), 1);
    EXPECT_EQ(ready[0][0].toULongLong(), small);

    // Dropped: nothing comes back at all.
    ready.clear();
    push.request(bigFragment(QStringLiteral("OLD")));
    push.drop();
    EXPECT_FALSE(push.building());
    settle(push, ready);
    EXPECT_TRUE(ready.isEmpty());
}
