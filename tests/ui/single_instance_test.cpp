#include "views/window/SingleInstance.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QUuid>
#include <future>
#include <gtest/gtest.h>

TEST(SingleInstance, ASecondStartHandsItsFilesOver)
{
    const QString key = QStringLiteral("lorvane-test-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    EXPECT_FALSE(SingleInstance(key).forward({QStringLiteral("/tmp/x")}));  // nobody is running

    SingleInstance running(key);
    QStringList received;
    ASSERT_TRUE(running.listen([&](const QStringList& files) { received = files; }));
    auto second = std::async(std::launch::async, [key] {
        return SingleInstance(key).forward({QStringLiteral("/tmp/带 空格.md"), QStringLiteral("/tmp/b.json")});
    });
    QElapsedTimer t;
    t.start();
    while (second.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready && t.elapsed() < 5000)
        QCoreApplication::processEvents();
    ASSERT_EQ(second.wait_for(std::chrono::seconds(0)), std::future_status::ready);
    EXPECT_TRUE(second.get());
    EXPECT_EQ(received, QStringList({QStringLiteral("/tmp/带 空格.md"), QStringLiteral("/tmp/b.json")}));
}
