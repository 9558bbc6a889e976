#include "CommandLineRun.h"
#include "text/TextEncoding.h"

TEST_F(CommandLineTest, CheckPrintsOneLinePerDiagnosticAndExitsByResult)
{
    const QString json = write(QStringLiteral("a.json"), "{\n  \"a\": 1,\n}\n");
    const QString yaml = write(QStringLiteral("b.yaml"), "a: 1\na: 2\n");
    const QString clean = write(QStringLiteral("c.json"), "{\"a\": [1, 2]}\n");
    const QString plain = write(QStringLiteral("notes.txt"), "anything {,\n");

    Outcome r = run({QStringLiteral("--check"), json});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, json + QStringLiteral(":3: 第 1 列：末尾多余的逗号\n"));

    r = run({QStringLiteral("--check"), yaml});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, yaml + QStringLiteral(":2: 重复的键 a\n"));

    r = run({QStringLiteral("--check"), clean, plain});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());

    // Every file is checked even after a failing one; a read error wins.
    r = run({QStringLiteral("--check"), json, dir.filePath(QStringLiteral("missing.json")), clean});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.out.startsWith(json + QStringLiteral(":3:")));
    EXPECT_TRUE(r.err.contains(QStringLiteral("无法打开 missing.json"))) << r.err.toStdString();
}

TEST_F(CommandLineTest, ExportKeepsChineseOfAGBKCSVAndWritesTheOutputFile)
{
    const QByteArray gbk =
        TextEncoding(TextEncoding::gbk).encode(QStringLiteral("城市,人口\n北京,2189\n上海,2487\n")).value();
    const QString csv = write(QStringLiteral("cities.csv"), gbk);
    const QString out = dir.filePath(QStringLiteral("cities.html"));
    Outcome r = run({QStringLiteral("--export-html"), csv, QStringLiteral("-o"), out});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    QFile f(out);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(f.readAll());
    EXPECT_TRUE(html.startsWith(QStringLiteral("<!DOCTYPE html>"), Qt::CaseInsensitive));
    EXPECT_TRUE(html.contains(QStringLiteral("北京")));
    EXPECT_TRUE(html.contains(QStringLiteral("人口")));
    EXPECT_FALSE(html.contains(QStringLiteral("<script"), Qt::CaseInsensitive));
}

TEST_F(CommandLineTest, ExportFailsWithThePreviewMessage)
{
    Outcome r = run({QStringLiteral("--export-html"), write(QStringLiteral("bad.yaml"), "x: 1\ny: 2\na: 1\na: 2\n")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.contains(QStringLiteral("第 4 行无法解析：重复的键 a"))) << r.err.toStdString();

    r = run({QStringLiteral("--export-html"), write(QStringLiteral("c.toml"), "a = 1\n")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("没有预览"))) << r.err.toStdString();
}
