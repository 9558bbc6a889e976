// The preview as the product drives it: content pushed into the live page.
#include "PageScript.h"
#include "WaitUntil.h"
#include "core/Doc.h"
#include "editor/Palette.h"
#include "views/webengine/PreviewView.h"

#include <QTest>
#include <QWebEngineScript>
#include <gtest/gtest.h>

namespace {

// Plain text: no background rendering of the (empty) text replaces the preview set here.
DocPtr previewed(const QString& html)
{
    DocPtr d = makeDoc(QUuid::createUuid(), QStringLiteral("p.txt"), QString(), std::nullopt, TextEncoding::utf8,
                       LineEnding::lf, {});
    d->setPreview(PreviewState::html(html));
    return d;
}

}

TEST(PreviewView, HostileContentArrivesAsInertMarkupThroughTheLivePush)
{
    PreviewView view;
    view.resize(400, 300);
    view.show();
    ASSERT_TRUE(waitUntil([&] { return view.isReady(); }, 20000));
    // Quotes, backslashes, line separators and a closing script tag must stay data.
    const QString hostile = QStringLiteral(
        "<p id=\"x\">\"'\\\n</script><script>document.title='pwned'</script>\u2028中"
        "<img src=\"x\" onerror=\"document.title='pwned'\"></p>`${document.title='pwned'}`");
    DocPtr doc = previewed(hostile);
    view.setDoc(doc);
    EXPECT_TRUE(waitUntil(
        [&] { return evaluate(view, QStringLiteral("document.getElementById('x')!==null")).toBool(); }, 5000));
    // What the pictures would run has run once they have loaded or failed.
    EXPECT_TRUE(waitForScript(view, QStringLiteral("Array.from(document.images).every(i=>i.complete)")));
    EXPECT_NE(evaluate(view, QStringLiteral("document.title")).toString(), QStringLiteral("pwned"));
    const QString text = evaluate(view, QStringLiteral("document.getElementById('c').textContent")).toString();
    EXPECT_TRUE(text.contains(QStringLiteral("\"'\\\n"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("`${document.title='pwned'}`")));
    EXPECT_TRUE(text.contains(QStringLiteral("中")));

    // A change of the document's preview replaces the content in place.
    doc->setPreview(PreviewState::html(QStringLiteral("<p id=\"y\">second</p>")));
    EXPECT_TRUE(waitUntil(
        [&] { return evaluate(view, QStringLiteral("document.getElementById('y')!==null")).toBool(); }, 5000));
    EXPECT_FALSE(evaluate(view, QStringLiteral("document.getElementById('x')!==null")).toBool());
}

TEST(PreviewView, PageColoursFollowTheApplicationAppearance)
{
    PreviewView view;
    view.resize(400, 300);
    view.show();
    ASSERT_TRUE(waitUntil([&] { return view.isReady(); }, 20000));
    const QString bg = QStringLiteral("getComputedStyle(document.body).backgroundColor");
    Palette::setAppearance(true);
    EXPECT_TRUE(
        waitUntil([&] { return same(evaluate(view, bg).toString(), QStringLiteral("rgb(29, 32, 36)")); }, 5000));
    Palette::setAppearance(false);
    EXPECT_TRUE(
        waitUntil([&] { return same(evaluate(view, bg).toString(), QStringLiteral("rgb(247, 248, 249)")); }, 5000));
    Palette::setAppearance(std::nullopt);
}
