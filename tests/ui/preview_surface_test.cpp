// The first preview in the window does not remake the window under it.
#include "PreviewWindow.h"

#include <QPlatformSurfaceEvent>

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
    EXPECT_EQ(PreviewView::drawsInSoftware(), software);
    native->removeEventFilter(&watch);
}
