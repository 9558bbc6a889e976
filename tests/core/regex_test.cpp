#include "plugins/Regex.h"

#include <gtest/gtest.h>
#include <thread>

TEST(Regex, FirstMatchGroups)
{
    const auto m = Regex::firstMatch(QStringLiteral("key: 中文"), QStringLiteral("^(\\w+):\\s*(x)?(.*)$"));
    ASSERT_TRUE(m);
    EXPECT_EQ(*m, (QStringList{QStringLiteral("key: 中文"), QStringLiteral("key"), QString(), QStringLiteral("中文")}));
    EXPECT_FALSE(Regex::firstMatch(QStringLiteral("abc"), QStringLiteral("\\d")));
    EXPECT_FALSE(Regex::firstMatch(QStringLiteral("abc"), QStringLiteral("(unclosed")));
    EXPECT_TRUE(Regex::reMatches(QStringLiteral("ABC"), QStringLiteral("(?i)abc")));
    EXPECT_FALSE(Regex::reMatches(QStringLiteral("abc"), QStringLiteral("[")));
}

TEST(Regex, ReplaceAllMatchesLeftToRight)
{
    auto upper = [](const QStringList& g) { return QLatin1Char('<') + g[1].toUpper() + QLatin1Char('>'); };
    EXPECT_EQ(Regex::reReplace(QStringLiteral("a1 b2 😀c3"), QStringLiteral("([a-z])\\d"), upper),
              QStringLiteral("<A> <B> 😀<C>"));
    EXPECT_EQ(Regex::reReplace(QStringLiteral("keep"), QStringLiteral("(bad"), upper), QStringLiteral("keep"));
    EXPECT_EQ(Regex::reReplace(QStringLiteral("none"), QStringLiteral("\\d"), upper), QStringLiteral("none"));
    // Empty matches advance instead of looping.
    EXPECT_EQ(Regex::reReplace(QStringLiteral("ab"), QStringLiteral("x*"),
                               [](const QStringList&) { return QStringLiteral("-"); }),
              QStringLiteral("-a-b-"));
}

TEST(Regex, CachedPatternsGiveTheSameResultsAcrossThreadsAndTexts)
{
    const QString pattern = QStringLiteral("(\\d+)");
    auto sum = [&](const QString& text) {
        return Regex::reReplace(text, pattern, [](const QStringList& g) { return QString::number(g[1].toInt() * 2); });
    };
    EXPECT_EQ(sum(QStringLiteral("1 2 3")), QStringLiteral("2 4 6"));
    EXPECT_EQ(sum(QStringLiteral("10")), QStringLiteral("20"));
    std::vector<std::thread> ts;
    std::atomic<int> bad{0};
    for (int t = 0; t < 4; ++t)
        ts.emplace_back([&, t] {
            for (int i = 0; i < 200; ++i)
                if (sum(QString::number(t * 1000 + i)) != QString::number((t * 1000 + i) * 2))
                    ++bad;
        });
    for (auto& t : ts)
        t.join();
    EXPECT_EQ(bad.load(), 0);
}
