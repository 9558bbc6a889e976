#include "CommandLineRun.h"

#include <QRegularExpression>

TEST_F(CommandLineTest, HelpManPageUnknownOptionsAndSelfTests)
{
    Outcome r = run({QStringLiteral("--help")});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.contains(QStringLiteral("--check")));
    EXPECT_TRUE(r.out.contains(QStringLiteral("--export-html")));
    EXPECT_TRUE(r.out.contains(QStringLiteral("--version")));
    // The man page is written from the help text; every option listed there is documented.
    QFile man(QStringLiteral(LORVANE_MAN_PAGE));
    ASSERT_TRUE(man.open(QIODevice::ReadOnly));
    const QString page = QString::fromUtf8(man.readAll());
    const QRegularExpression option(QStringLiteral("--[a-z][a-z-]*"));
    int seen = 0;
    for (auto it = option.globalMatch(r.out); it.hasNext(); ++seen) {
        QString o = it.next().captured();
        EXPECT_TRUE(page.contains(o.replace(QLatin1Char('-'), QStringLiteral("\\-")))) << o.toStdString();
    }
    EXPECT_GE(seen, 5);

    // The version comes from the build, and needs no display.
    r = run({QStringLiteral("--version")});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.section(QLatin1Char('\n'), 0, 0), QStringLiteral("lorvane " LORVANE_VERSION));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^lorvane \\d+\\.\\d+\\.\\d+\n")).match(r.out).hasMatch())
        << r.out.toStdString();

    for (const QString& bad : {QStringLiteral("--frobnicate"), QStringLiteral("--unitx"), QStringLiteral("-unit")}) {
        r = run({bad});
        EXPECT_EQ(r.status, 2) << bad.toStdString();
        EXPECT_TRUE(r.err.contains(QStringLiteral("未知选项"))) << r.err.toStdString();
    }

    // The exact argument, at any position, runs the built-in suite headless.
    r = run({QStringLiteral("some.md"), QStringLiteral("--unit")});
    EXPECT_EQ(r.status, 0) << r.out.toStdString();
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("✓ 单元测试：")));
    EXPECT_EQ(r.out.count(QLatin1Char('\n')), 1) << r.out.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
}
