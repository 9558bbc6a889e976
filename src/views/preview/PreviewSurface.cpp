#include "views/preview/PreviewSurface.h"

#include <QOpenGLContext>
#include <QQuickWidget>
#include <QQuickWindow>

// QtGui's own setter behind Qt::AA_ShareOpenGLContexts; it has no public header.
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);

bool PreviewSurface::drawsInSoftware()
{
    static const bool software = [] {
        // Without the GPU the engine hands over frames drawn in memory:
        // painting them needs no OpenGL in the window, whose compositing
        // through a software OpenGL cost more than the page itself.
        if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND")
            && qgetenv("QTWEBENGINE_CHROMIUM_FLAGS").contains("--disable-gpu"))
            QQuickWindow::setSceneGraphBackend(QStringLiteral("software"));
        return QQuickWindow::sceneGraphBackend() == QLatin1String("software");
    }();
    return software;
}

void PreviewSurface::prepareWindow(QWidget* inside)
{
    if (drawsInSoftware())
        return;
    // The web view draws through a QQuickWidget: a hidden one is enough for
    // the window to be created with the surface that needs.
    auto* stand = new QQuickWidget(inside);
    stand->setObjectName(QStringLiteral("previewSurface"));
    stand->hide();
}

void PreviewSurface::shareOpenGL()
{
    if (QOpenGLContext::globalShareContext())
        return;
    // Asked for before the application, it would cost every start a driver
    // load; the engine, loaded later, crashes without it. Kept to the end.
    // Drawing in software the engine only reads its format: a context never
    // created loads no driver.
    auto* context = new QOpenGLContext;
    if (!drawsInSoftware())
        context->create();
    qt_gl_set_global_share_context(context);
}
