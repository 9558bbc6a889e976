#include "TestFiles.h"
#include "plugins/PluginRegistry.h"
#include "render/PreviewPage.h"
#include "render/WebFonts.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <gtest/gtest.h>

TEST(PreviewPage, PagesCarryAPolicyThatAllowsNoInjectedScript)
{
    const QString page = PreviewPage::standalone(QStringLiteral("<p>x</p>"));
    const QString policy = PreviewPage::contentPolicy(false);
    EXPECT_TRUE(page.startsWith(QStringLiteral("<!doctype html><html lang=\"zh-CN\"><head><meta charset=\"utf-8\">")
                                + policy + QStringLiteral("<style>")));
    EXPECT_TRUE(policy.contains(QStringLiteral(
        "default-src 'none'; script-src 'none'; img-src data: file:; style-src 'unsafe-inline'; font-src data:")));
    // Web pictures only when the user allows them, and a page keeps the rule it was made under.
    PreviewPage::setRemoteImages(true);
    const QString web = PreviewPage::standalone(QStringLiteral("<p>x</p>"));
    PreviewPage::setRemoteImages(false);
    EXPECT_TRUE(web.contains(QStringLiteral("img-src data: http: https: file:;")));
    EXPECT_FALSE(PreviewPage::standalone(QStringLiteral("<p>x</p>")).contains(QStringLiteral("http:")));
    EXPECT_FALSE(page.contains(QLatin1String("<script")));
    EXPECT_TRUE(page.contains(QStringLiteral("<main id=\"c\"><p>x</p></main>")));
    // The shell allows exactly its own function by hash, nothing inline else.
    const QString shell = PreviewPage::shellWith(QString());
    const qsizetype open = shell.indexOf(QLatin1String("<script>")) + 8;
    const QString script = shell.mid(open, shell.indexOf(QLatin1String("</script>")) - open);
    const QByteArray hash = QCryptographicHash::hash(script.toUtf8(), QCryptographicHash::Sha256).toBase64();
    EXPECT_TRUE(
        shell.contains(QStringLiteral("script-src 'sha256-") + QString::fromLatin1(hash) + QStringLiteral("';")));
    EXPECT_EQ(shell.count(QLatin1String("<script")), 1);
}

TEST(PreviewPage, FragmentsForEveryState)
{
    EXPECT_EQ(PreviewPage::fragment(PreviewState::html(QStringLiteral("<p>x</p>"))), QStringLiteral("<p>x</p>"));
    EXPECT_EQ(PreviewPage::fragment(PreviewState::error(12, QStringLiteral("x"))),
              QStringLiteral(
                  "<div class=\"err\">第 12 行无法解析：x<br><span class=\"sub\">修正后预览自动恢复。</span></div>"));
    EXPECT_EQ(
        PreviewPage::fragment(PreviewState::error(std::nullopt, QStringLiteral("a<b&c"))),
        QStringLiteral("<div class=\"err\">a&lt;b&amp;c<br><span class=\"sub\">修正后预览自动恢复。</span></div>"));
    EXPECT_EQ(PreviewPage::fragment(PreviewState::none()),
              QStringLiteral("<div class=\"cap\"><span>正在渲染…</span></div>"));
}

TEST(PreviewPage, RenderScriptCarriesHostileFragmentsAsData)
{
    const QString hostile = QStringLiteral("\"'\\\n</script><script>alert(1)</script>\u2028中");
    const auto script = PreviewPage::renderScript(hostile);
    ASSERT_TRUE(script);
    ASSERT_TRUE(script->startsWith(QStringLiteral("render([")));
    ASSERT_TRUE(script->endsWith(QStringLiteral("][0])")));
    const QString json = script->mid(7, script->size() - 7 - 4);
    const auto back = QJsonDocument::fromJson(json.toUtf8()).array();
    ASSERT_EQ(back.size(), 1);
    EXPECT_EQ(back[0].toString(), hostile);
    EXPECT_FALSE(json.contains(QLatin1Char('\n')));
}

TEST(WebFonts, FacesFromTheFontsFolderInTableOrder)
{
    TestDir dir;
    EXPECT_EQ(WebFonts::webFontFacesIn(dir.dir.path()), QString());
    dir.write(QStringLiteral("IBMPlexMono-Regular.ttf"), "MONO");
    dir.write(QStringLiteral("IBMPlexSans-Regular.ttf"), "SANS");
    const QString faces = WebFonts::webFontFacesIn(dir.dir.path());
    EXPECT_EQ(faces,
              QStringLiteral("@font-face{font-family:\"IBM Plex "
                             "Sans\";font-weight:400;src:url(data:font/ttf;base64,U0FOUw==) format(\"truetype\")}\n"
                             "@font-face{font-family:\"IBM Plex "
                             "Mono\";font-weight:400;src:url(data:font/ttf;base64,TU9OTw==) format(\"truetype\")}"));
    EXPECT_EQ(WebFonts::webFontFacesIn(QString()), QString());
}

// The preview loads its shell inline, where the engine takes at most 2 MB
// of URL; KaTeX's fonts must leave room under it. The page travels as
// base64 in a data URL.
TEST(PreviewPage, TheShellWithEveryFontFitsTheEnginesInlineLimit)
{
    const QByteArray page = PreviewPage::shell().toUtf8();
    EXPECT_TRUE(PreviewPage::shell().contains(QStringLiteral("font-family:KaTeX_Main")));
    EXPECT_TRUE(PreviewPage::shell().contains(QStringLiteral("src:url(data:font/woff2;base64,")));
    EXPECT_FALSE(PreviewPage::shell().contains(QStringLiteral("url(fonts/")));
    std::printf("shell: %lld bytes, %lld as base64\n", qlonglong(page.size()), qlonglong(page.toBase64().size()));
    EXPECT_LT(page.toBase64().size() + 64, 2 * 1024 * 1024);
}

// Paper from this engine gets the boxes that keep a heading with what
// follows; an .html file keeps the structure a Markdown reader expects, and
// both keep the author's own paths.
TEST(PreviewPage, OnlyPaperGetsBoxesAndNoExportLosesAPath)
{
    const FormatPlugin& md = PluginRegistry::plugin(QStringLiteral("a.md"));
    const TextCopy text(QStringLiteral("# 标题\n\n[根](/url) [文件](file:///home/a/b.md)\n"));
    const auto check = [](const QString& page, bool boxed) {
        EXPECT_EQ(page.contains(QLatin1String("class=\"keep\"")), boxed);
        EXPECT_TRUE(page.contains(QLatin1String("href=\"/url\"")));
        EXPECT_FALSE(page.contains(QLatin1String("/home/a")));
    };
    QString error;
    for (const auto& [what, boxed] : {std::pair{"HTML", false}, {"PDF", true}, {"打印", true}}) {
        SCOPED_TRACE(what);
        const auto page = PreviewPage::exportPage(md, text, {}, QString::fromUtf8(what), &error);
        ASSERT_TRUE(page) << error.toStdString();
        check(*page, boxed);
    }
    const auto bytes = PreviewPage::exportPageUtf8(md, text, {}, QStringLiteral("HTML"), &error);
    ASSERT_TRUE(bytes) << error.toStdString();
    check(QString::fromUtf8(*bytes), false);
}
