// The preview page as the window drives it: live pushes, switching documents,
// the engine's loading and the first preview in the window.
#include "PageScript.h"
#include "PreviewWindow.h"
#include "WaitUntil.h"
#include "core/Doc.h"
#include "editor/CodeTextView.h"
#include "editor/Palette.h"
#include "render/PreviewPage.h"
#include "views/preview/PreviewEngine.h"
#include "views/preview/PreviewFailure.h"
#include "views/preview/PreviewSurface.h"
#include "views/webengine/PreviewView.h"

#include <QFileInfo>
#include <QLibraryInfo>
#include <QPlatformSurfaceEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
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

// Hostile content arrives as inert markup through the live push, and a new
// result replaces it in place. Switching shows the next document's result or
// says it is rendering, never the previous one's; another document's frame
// stays covered until the shown one's content is in, and a page that never
// reports it drawn is shown after a while rather than covered for good.
TEST(PreviewSwitch, ContentArrivesInertAndTheNextDocumentsNeverThePreviousShows)
{
    Scene scene;
    PreviewView& view = scene.view;
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

    const DocPtr &a = scene.a, &b = scene.b, &far = scene.far;
    const DocPtr fresh = previewed(std::nullopt, QStringLiteral("DDDD"), false);
    view.setDoc(a);
    ASSERT_TRUE(waitFor(view, QStringLiteral("AAAA")));
    ASSERT_TRUE(uncoveredShowing(view, QStringLiteral("AAAA")));
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
    view.setDoc(a);
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

    // Its report back is gone; the content itself still arrives, covered a while yet.
    PreviewView::setCoverLimit(2000);
    ASSERT_TRUE(evaluate(view, QStringLiteral("window.lorvaneShown=undefined;true")).toBool());
    view.setDoc(b);
    EXPECT_TRUE(view.isCovered());
    ASSERT_TRUE(waitUntil([&] { return content(view).contains(QStringLiteral("BBBB")); }));
    EXPECT_TRUE(view.isCovered());
    EXPECT_TRUE(uncoveredShowing(view, QStringLiteral("BBBB")));
    PreviewView::setCoverLimit(4000);
}

namespace {

// Counts the native window's surface going away.
struct SurfaceWatch : QObject {
    int destroyed = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::PlatformSurface
            && static_cast<QPlatformSurfaceEvent*>(e)->surfaceEventType()
                == QPlatformSurfaceEvent::SurfaceAboutToBeDestroyed)
            ++destroyed;
        return false;
    }
};

}

// Recreating it cost a full repaint, a flicker and the keyboard focus's
// native window, all in the turn that made the preview.
TEST_F(PreviewWindow, TheFirstPreviewDrawsIntoTheWindowAsItWasCreated)
{
    // Offscreen windows are never remade: only a window system shows it (ctest runs it under Xvfb too).
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        GTEST_SKIP() << "needs a window system";
    QWindow* native = window->windowHandle();
    ASSERT_NE(native, nullptr);
    SurfaceWatch watch;
    native->installEventFilter(&watch);
    const WId before = window->winId();
    window->openFiles({write(QStringLiteral("a.md"), QByteArray("# 标题\n\n正文\n"))});
    ASSERT_TRUE(previewMade());
    ASSERT_TRUE(showing(QStringLiteral("document.getElementById('c').textContent.indexOf('正文')>=0")));
    EXPECT_EQ(watch.destroyed, 0);
    EXPECT_EQ(window->winId(), before);
    // Each way of drawing is checked by a run of its own.
    const bool software = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS").contains("--disable-gpu");
    EXPECT_EQ(PreviewSurface::drawsInSoftware(), software);
    native->removeEventFilter(&watch);
}

// The engine and its helper processes cost about a hundred megabytes: a
// session of plain text never starts them, a document with a preview starts
// them while the window is idle.
TEST_F(PreviewWindow, TheEngineStartsOnlyOnceADocumentHasAPreview)
{
    if (PreviewView::isWarm())
        GTEST_SKIP() << "an earlier test in this process started the engine";
    const QTimer* idleStart = window->findChild<QTimer*>(QStringLiteral("previewWarmUp"));
    ASSERT_NE(idleStart, nullptr);
    window->openFiles(
        {write(QStringLiteral("a.txt"), QByteArray("纯文本\n")), write(QStringLiteral("b.log"), QByteArray("日志\n"))});
    ASSERT_TRUE(waitUntil([this] { return model->docs().size() == 2 && model->active(); }));
    // The turns queued by showing the documents have run.
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    EXPECT_FALSE(idleStart->isActive());
    EXPECT_FALSE(PreviewView::isWarm());
    EXPECT_EQ(preview(), nullptr);

    window->openFiles({write(QStringLiteral("c.md"), QByteArray("# 标题\n"))});
    ASSERT_TRUE(waitUntil([this] { return model->docs().size() == 3; }));
    EXPECT_TRUE(idleStart->isActive() || PreviewView::isWarm());
    EXPECT_TRUE(waitUntil([] { return PreviewView::isWarm(); }, 10000));
}

namespace {

// Takes the linked-in engine away, as if its module could not be loaded from
// `paths`, and puts it back afterwards.
struct EngineAway {
    PreviewEngine* linked = PreviewEngine::get();
    explicit EngineAway(const QStringList& paths) { PreviewEngine::lookIn(paths); }
    ~EngineAway() { PreviewEngine::install(linked); }
};

}

// Whatever lies where the module should be, loading it gives no engine and a reason.
TEST(PreviewEngineLoad, AnythingButTheModuleGivesAReason)
{
    QTemporaryDir dir;
    const QString text = dir.filePath(QStringLiteral("text.so"));
    QFile f(text);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("不是程序库\n");
    f.close();
    const QString qtCore = QLibraryInfo::path(QLibraryInfo::LibrariesPath) + QStringLiteral("/libQt6Core.so.6");
    ASSERT_TRUE(QFileInfo::exists(qtCore));
    const struct {
        const char* what;
        QString path;
        QString says;
    } cases[] = {
        {"no file", dir.filePath(QStringLiteral("none.so")), QStringLiteral("none.so")},
        {"not a library", text, QStringLiteral("text.so")},
        {"another library", qtCore, QStringLiteral("不是本程序的预览组件")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QString error;
        EXPECT_EQ(PreviewEngine::load(c.path, &error), nullptr);
        EXPECT_TRUE(error.contains(c.says)) << error.toStdString();
    }
}

// Without the engine a Markdown document still opens and edits; its preview
// says why there is none, naming where the module was looked for, and asked
// again the engine says the same without looking again.
TEST_F(PreviewWindow, WithoutTheEngineThePreviewSaysWhyAndEditingGoesOn)
{
    QTemporaryDir dir;
    const QStringList paths{dir.filePath(QStringLiteral("a/liblorvane_webengine.so")),
                            dir.filePath(QStringLiteral("b/liblorvane_webengine.so"))};
    EngineAway away(paths);
    QString error, again;
    EXPECT_EQ(PreviewEngine::get(&error), nullptr);
    EXPECT_FALSE(PreviewEngine::isLoaded());
    EXPECT_EQ(PreviewEngine::get(&again), nullptr);
    EXPECT_EQ(again, error);
    window->openFiles({write(QStringLiteral("a.md"), QByteArray("# 标题\n"))});
    ASSERT_TRUE(waitUntil([this] { return window->findChild<PreviewFailure*>() != nullptr; }, 10000));
    const auto* failure = window->findChild<PreviewFailure*>();
    EXPECT_TRUE(failure->isVisible());
    EXPECT_TRUE(failure->text().startsWith(QStringLiteral("无法加载预览组件："))) << failure->text().toStdString();
    for (const QString& path : paths)
        EXPECT_TRUE(failure->text().contains(path)) << failure->text().toStdString();
    EXPECT_EQ(preview(), nullptr);

    ASSERT_TRUE(waitUntil([] { return qobject_cast<CodeTextView*>(focused()) != nullptr; }));
    key(Qt::Key_End);
    type(QStringLiteral(" still editable"));
    EXPECT_TRUE(waitUntil([this] { return model->active()->text().contains(QStringLiteral("标题 still editable")); }));
}
