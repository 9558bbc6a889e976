#include "app/selftest/SelfTests.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

// Captures what the suite prints and restores a clean state afterwards.
class SelfTestRunner : public ::testing::Test {
protected:
    QStringList lines;
    void SetUp() override
    {
        SelfTests::reset();
        SelfTests::setSink([this](const QString& l) { lines << l; });
    }
    void TearDown() override
    {
        SelfTests::reset();
        SelfTests::setSink([](const QString&) {});
    }
};

}

TEST_F(SelfTestRunner, FailingCheckPrintsItsLabelOnceCountsOnceAndFailsTheRun)
{
    const std::vector<SelfTests::Group> groups = {
        {"good", [] { SelfTests::check(true, "✗ 好 "); }},
        {"bad",
         [] {
             SelfTests::check(false, "✗ 坏 ", QStringLiteral("gbk"));
             SelfTests::check(true, "✗ 之后仍运行 ");
         }},
    };
    EXPECT_FALSE(SelfTests::run(groups));
    EXPECT_EQ(SelfTests::passed(), 2);
    EXPECT_EQ(SelfTests::failed(), 1);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QStringLiteral("✗ 坏 gbk"));
    EXPECT_EQ(lines[1], QStringLiteral("✗ 单元测试：2 通过，1 失败"));
}

TEST_F(SelfTestRunner, EveryBuiltInGroupPasses)
{
    EXPECT_TRUE(SelfTests::run());
    // A passing run prints only its summary.
    ASSERT_EQ(lines.size(), 1) << lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("✓ 单元测试：%1 通过，0 失败").arg(SelfTests::passed()));
    EXPECT_GT(SelfTests::passed(), 20);
}
