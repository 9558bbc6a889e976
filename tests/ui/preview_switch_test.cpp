// Switching documents never leaves the other document's preview on screen.
#include "PageScript.h"
#include "core/Doc.h"
#include "render/PreviewPage.h"
#include "views/webengine/PreviewView.h"

#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A Markdown document whose text is one word; its own analysis renders that word again.
DocPtr previewed(const std::optional<QString>& path, const QString& word, bool rendered = true)
{
    DocPtr d = makeDoc(QUuid::createUuid(), QStringLiteral("p.md"), word, path, TextEncoding::utf8, LineEnding::lf, {});
    d->setPreview(rendered ? PreviewState::html(QStringLiteral("<p>") + word + QStringLiteral("</p>"))
                           : PreviewState::none());
    return d;
}

QString content(PreviewView& view)
{
    return evaluate(view, QStringLiteral("document.getElementById('c').textContent")).toString();
}

bool waitFor(PreviewView& view, const QString& text)
{
    QString last;
    if (waitUntil([&] { return view.isReady() && (last = content(view)).contains(text); }, 20000))
        return true;
    ADD_FAILURE() << "ready " << view.isReady() << ", showing " << last.toStdString() << " url "
                  << view.url().toString().toStdString() << " body "
                  << evaluate(view,
                              QStringLiteral(
                                  "(document.getElementById('c')||{}).outerHTML+' / '+document.body.innerHTML.length"))
                         .toString()
                         .toStdString();
    return false;
}

// A shown preview and three rendered documents: two in one folder, one in another.
struct Scene {
    QTemporaryDir one, two;
    PreviewView view;
    DocPtr a = previewed(one.filePath(QStringLiteral("a.md")), QStringLiteral("AAAA"));
    DocPtr b = previewed(one.filePath(QStringLiteral("b.md")), QStringLiteral("BBBB"));
    DocPtr far = previewed(two.filePath(QStringLiteral("c.md")), QStringLiteral("CCCC"));
    Scene()
    {
        view.resize(400, 300);
        view.show();
    }
};

}

TEST(PreviewSwitch, TheNextDocumentsResultOrRenderingNeverThePrevious)
{
    Scene scene;
    PreviewView& view = scene.view;
    const DocPtr &a = scene.a, &b = scene.b, &far = scene.far;
    const DocPtr fresh = previewed(std::nullopt, QStringLiteral("DDDD"), false);
    view.setDoc(a);
    ASSERT_TRUE(waitFor(view, QStringLiteral("AAAA")));

    // Same folder: the other result at once.
    view.setDoc(b);
    EXPECT_TRUE(content(view).contains(QStringLiteral("BBBB")));
    // Another folder reloads the page: until then it says it is rendering.
    view.setDoc(far);
    const QString during = content(view);
    EXPECT_FALSE(during.contains(QStringLiteral("BBBB"))) << during.toStdString();
    ASSERT_TRUE(waitFor(view, QStringLiteral("CCCC")));
    // A document without a result yet (and without a folder): rendering, then its own.
    view.setDoc(fresh);
    const QString waiting = content(view);
    EXPECT_FALSE(waiting.contains(QStringLiteral("CCCC"))) << waiting.toStdString();
    ASSERT_TRUE(waitFor(view, QStringLiteral("DDDD")));
}

namespace {

// Waits for the cover to go; from then on the page must hold `text`.
bool uncoveredShowing(PreviewView& view, const QString& text)
{
    if (!waitUntil([&] { return !view.isCovered(); }, 10000)) {
        ADD_FAILURE() << "still covered";
        return false;
    }
    const QString now = content(view);
    EXPECT_TRUE(now.contains(text)) << now.left(200).toStdString();
    return now.contains(text);
}

}

TEST(PreviewSwitch, AnotherDocumentsFrameIsCoveredUntilTheShownOnesContentIsIn)
{
    Scene scene;
    PreviewView& view = scene.view;
    const DocPtr &a = scene.a, &b = scene.b, &far = scene.far;
    view.setDoc(a);
    ASSERT_TRUE(waitFor(view, QStringLiteral("AAAA")));
    ASSERT_TRUE(uncoveredShowing(view, QStringLiteral("AAAA")));

    // A big result keeps the page busy laying it out while its last frame stays up.
    QString big;
    for (int i = 0; i < 20000; ++i)
        big += QStringLiteral("<p>AAAA %1</p>").arg(i);
    a->setPreview(PreviewState::html(big));
    view.setDoc(b);
    EXPECT_TRUE(view.isCovered());
    // A late result of the document left behind changes nothing here.
    a->setPreview(PreviewState::html(QStringLiteral("<p>AAAA late</p>")));
    EXPECT_TRUE(uncoveredShowing(view, QStringLiteral("BBBB")));

    // The busy page's answer for the document left behind does not lift the
    // cover while another folder's page is loading.
    a->setPreview(PreviewState::html(big));
    view.setDoc(a);
    view.setDoc(far);
    EXPECT_TRUE(view.isCovered());
    EXPECT_TRUE(uncoveredShowing(view, QStringLiteral("CCCC")));

    // Back to the first folder: covered through the reload, then its own.
    view.setDoc(a);
    EXPECT_TRUE(view.isCovered());
    EXPECT_TRUE(uncoveredShowing(view, QStringLiteral("AAAA")));
}

// A page that never reports its content drawn is shown after a few seconds
// rather than covered for good.
TEST(PreviewSwitch, TheCoverGoesWhenThePageNeverAnswers)
{
    PreviewView::setCoverLimit(600);
    Scene scene;
    PreviewView& view = scene.view;
    view.setDoc(scene.a);
    ASSERT_TRUE(waitFor(view, QStringLiteral("AAAA")));
    ASSERT_TRUE(uncoveredShowing(view, QStringLiteral("AAAA")));
    // Its report back is gone; the content itself still arrives.
    ASSERT_TRUE(evaluate(view, QStringLiteral("window.lorvaneShown=undefined;true")).toBool());
    view.setDoc(scene.b);
    EXPECT_TRUE(view.isCovered());
    QTest::qWait(200);
    EXPECT_TRUE(view.isCovered());  // a while yet
    EXPECT_TRUE(uncoveredShowing(view, QStringLiteral("BBBB")));
    PreviewView::setCoverLimit(4000);
}
