#include "../oracle/RemoteVectors.h"
#include "../oracle/ScriptOracle.h"
#include "CommandLineRun.h"

// Exported pages forbid script themselves; big trees export their first part with the total.
TEST_F(CommandLineTest, ExportedPagesCarryTheScriptlessPolicyAndTheTreeBudget)
{
    QByteArray numbers = "[";
    for (int i = 0; i < 200000; ++i)
        numbers += QByteArray::number(i) + (i + 1 < 200000 ? "," : "");
    numbers += "]";
    const QString json = write(QStringLiteral("big.json"), numbers);
    const QString page = dir.filePath(QStringLiteral("big.html"));
    Outcome r = run({QStringLiteral("--export-html"), json, QStringLiteral("-o"), page});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    QFile f(page);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(f.readAll());
    EXPECT_TRUE(html.contains(QStringLiteral(
        "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; script-src 'none';")));
    EXPECT_FALSE(html.contains(QLatin1String("<script")));
    EXPECT_TRUE(html.contains(QStringLiteral("内容较大，预览只显示前 50000 个值（共 200001 个）")));
    EXPECT_TRUE(html.contains(QStringLiteral("<span class=\"meta\">[200000]</span>")));
    EXPECT_LT(html.size(), 8 << 20);

    const QString puml = write(QStringLiteral("evil.puml"),
                               "@startuml\n!include /etc/passwd\nclass A [[javascript:alert(1)]]\n@enduml\n");
    r = run({QStringLiteral("--export-html"), puml});
    EXPECT_FALSE(r.out.contains(QLatin1String("root:")));
    EXPECT_FALSE(r.err.contains(QLatin1String("root:")));
    EXPECT_FALSE(r.out.contains(QLatin1String("javascript:")));
}

// An exported Markdown page points outside itself only through <img src> and links.
TEST_F(CommandLineTest, ExportedMarkdownLoadsNothingThroughStylesOrSVG)
{
    QByteArray text = "![ok](http://127.0.0.1:9/ok.png)\n\n";
    for (const char* vector : RemoteVectors::markdown)
        text += QByteArray(vector).replace("HOST", "127.0.0.1:9") + "\n\n";
    const QString md = write(QStringLiteral("remote.md"), text);
    const QString page = dir.filePath(QStringLiteral("remote.html"));
    const Outcome r = run({QStringLiteral("--export-html"), md, QStringLiteral("-o"), page});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    QFile f(page);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(f.readAll());
    const QString body = html.mid(html.indexOf(QLatin1String("<main")));
    EXPECT_EQ(ScriptOracle::remoteLoad(body), QString());
    // The address stays only in the picture, in links and in text shown as text.
    for (const ScriptOracle::StartTag& tag : ScriptOracle::startTags(body))
        for (const ScriptOracle::Attribute& a : tag.attributes)
            if (a.value.contains(QLatin1String("127.0.0.1"))) {
                EXPECT_TRUE((tag.name == QLatin1String("img") && a.name == QLatin1String("src"))
                            || (tag.name == QLatin1String("a") && a.name == QLatin1String("href")))
                    << tag.name.toStdString() << " " << a.name.toStdString();
            }
    EXPECT_TRUE(body.contains(QLatin1String("<img alt=\"ok\" src=\"http://127.0.0.1:9/ok.png\">")));
    // The page itself refuses web pictures unless they were asked for.
    EXPECT_TRUE(html.contains(QLatin1String("img-src data: file:;")));
    EXPECT_FALSE(html.contains(QLatin1String("http:;")));
    const Outcome allowed = run({QStringLiteral("--export-html"), md, QStringLiteral("--allow-remote-images")});
    ASSERT_EQ(allowed.status, 0) << allowed.err.toStdString();
    EXPECT_TRUE(allowed.out.contains(QLatin1String("img-src data: http: https: file:;")));
    EXPECT_EQ(run({QStringLiteral("--check"), md, QStringLiteral("--allow-remote-images")}).status, 2);
}
