#include "editor/AppFonts.h"
#include "views/webengine/WebEnginePreview.h"

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Widget suites share one offscreen QApplication and private data/config directories.
int main(int argc, char** argv)
{
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", (home.path() + "/data").toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
    qputenv("XDG_CACHE_HOME", (home.path() + "/cache").toUtf8());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The preview's Chromium refuses its sandbox as root and has no GPU here,
    // unless a test asks for the GPU's way of drawing.
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (!qEnvironmentVariableIsSet("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Lorvane"));
    QCoreApplication::setApplicationName(QStringLiteral("Lorvane"));
    AppFonts::registerFonts();
    // Linked in here: the suites need no module beside them.
    static WebEnginePreview engine;
    PreviewEngine::install(&engine);
    ::testing::InitGoogleTest(&argc, argv);
    const int status = RUN_ALL_TESTS();
    // Its hidden page goes while the web engine is still up.
    engine.shutdown();
    return status;
}
