// The first preview in the window does not remake the window under it.
#include "PreviewWindow.h"
#include "views/preview/PreviewSurface.h"

#include <QPlatformSurfaceEvent>
#include <QTimer>

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
