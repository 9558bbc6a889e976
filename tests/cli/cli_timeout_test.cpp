#include "CommandLineRun.h"

#include <QFileInfo>

namespace {

// Enough diagrams and formulas that drawing them takes well over a second.
QByteArray heavyMarkdown()
{
    QByteArray md = "# 很多图表\n\n";
    for (int i = 0; i < 400; ++i)
        md += "```mermaid\ngraph TD\n  A" + QByteArray::number(i) + "[开始] --> B{判断} --> C[结束]\n```\n\n"
            + "$$\\sum_{k=1}^{" + QByteArray::number(i) + "} \\frac{k^2}{\\sqrt{k+1}}$$\n\n";
    return md;
}

struct Export {
    const char* what;
    QString option;
    QString output;  // empty: standard output
};

}

TEST_F(CommandLineTest, ExportsStopAtTheirTimeLimitWithAMessageAndWriteNothing)
{
    const QString heavy = write(QStringLiteral("heavy.md"), heavyMarkdown());
    const QString small = write(QStringLiteral("small.md"), "# 小\n\n```mermaid\ngraph TD\n  A --> B\n```\n");
    const Export exports[] = {
        {"HTML to standard output", QStringLiteral("--export-html"), QString()},
        {"HTML to a file", QStringLiteral("--export-html"), dir.filePath(QStringLiteral("out.html"))},
        {"PDF", QStringLiteral("--export-pdf"), dir.filePath(QStringLiteral("out.pdf"))},
    };
    for (const Export& e : exports) {
        SCOPED_TRACE(e.what);
        QStringList args{e.option, heavy, QStringLiteral("--timeout"), QStringLiteral("1")};
        if (!e.output.isEmpty())
            args << QStringLiteral("-o") << e.output;
        const Outcome stopped = run(args);
        EXPECT_EQ(stopped.status, 1) << stopped.err.toStdString();
        EXPECT_TRUE(stopped.err.contains(QStringLiteral("超时"))) << stopped.err.toStdString();
        EXPECT_TRUE(stopped.out.isEmpty());
        if (!e.output.isEmpty()) {
            EXPECT_FALSE(QFileInfo::exists(e.output));
        }

        // The default limit lets an ordinary document through.
        QStringList normal{e.option, small};
        if (!e.output.isEmpty())
            normal << QStringLiteral("-o") << e.output;
        const Outcome done = run(normal);
        EXPECT_EQ(done.status, 0) << done.err.toStdString();
        EXPECT_TRUE(e.output.isEmpty() ? done.out.contains(QStringLiteral("<svg")) : QFileInfo(e.output).size() > 0);
        if (!e.output.isEmpty())
            QFile::remove(e.output);
    }
}

TEST_F(CommandLineTest, TimeLimitTakesOnlyAPositiveNumberOfSecondsAndOnlyForExports)
{
    const QString md = write(QStringLiteral("a.md"), "# a\n");
    const struct {
        QStringList args;
        const char* expected;
    } cases[] = {
        {{QStringLiteral("--export-html"), md, QStringLiteral("--timeout"), QStringLiteral("0")}, "--timeout 后面需要"},
        {{QStringLiteral("--export-html"), md, QStringLiteral("--timeout"), QStringLiteral("一分钟")},
         "--timeout 后面需要"},
        {{QStringLiteral("--export-html"), md, QStringLiteral("--timeout")}, "--timeout 后面需要"},
        {{QStringLiteral("--check"), md, QStringLiteral("--timeout"), QStringLiteral("5")}, "只能与 --export-html"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const Outcome r = run(c.args);
        EXPECT_EQ(r.status, 2);
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.expected))) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
    // A generous limit is no obstacle.
    const Outcome ok = run({QStringLiteral("--export-html"), md, QStringLiteral("--timeout"), QStringLiteral("90.5")});
    EXPECT_EQ(ok.status, 0) << ok.err.toStdString();
}
