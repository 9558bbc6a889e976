#include "app/CommandLine.h"
#include "core/selftest/SelfTests.h"

#include "core/AppModel.h"
#include "editor/AppFonts.h"
#include "editor/EditorCache.h"
#include "views/window/MainWindow.h"
#include "views/window/SingleInstance.h"

#include <QApplication>
#include <QCoreApplication>
#include <cstdio>
#include <unistd.h>

namespace {

QStringList arguments(int argc, char** argv)
{
    QStringList out;
    for (int i = 1; i < argc; ++i)
        out << QString::fromLocal8Bit(argv[i]);
    return out;
}

void nameApplication()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Lorvane"));
    QCoreApplication::setApplicationName(QStringLiteral("Lorvane"));
}

int runWindow(int argc, char** argv, const QStringList& files)
{
    // Chromium refuses to start its sandbox as root and has no GPU in
    // virtual displays; the preview needs neither.
    if (geteuid() == 0) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
        QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
        if (!flags.contains("--disable-gpu"))
            qputenv("QTWEBENGINE_CHROMIUM_FLAGS", (flags + " --disable-gpu").trimmed());
    }
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    nameApplication();
    // Lets the desktop match the window to its entry (Wayland app id, icon).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.lorvane.Lorvane"));
    AppFonts::registerFonts();
    QApplication::setFont(AppFonts::sans(13));
    SingleInstance instance;
    if (instance.forward(files))
        return 0;
    AppModel& model = AppModel::shared();
    EditorCache& editors = EditorCache::shared();
    MainWindow window(model, editors);
    instance.listen([&window](const QStringList& forwarded) {
        window.openFiles(forwarded);
        window.showNormal();
        window.raise();
        window.activateWindow();
    });
    window.show();
    window.start(files);
    return app.exec();
}

}

int main(int argc, char** argv)
{
    const CommandLine cl = CommandLine::parse(arguments(argc, argv));
    switch (cl.mode) {
    case CommandLine::Mode::window:
        return runWindow(argc, argv, cl.files);
    case CommandLine::Mode::help:
        std::fputs(CommandLineTool::usage().toUtf8().constData(), stdout);
        return 0;
    case CommandLine::Mode::version:
        std::fputs(CommandLineTool::versionText().toUtf8().constData(), stdout);
        return 0;
    case CommandLine::Mode::invalid:
        std::fprintf(stderr, "%s\n%s", cl.error.toUtf8().constData(), "使用 lorvane --help 查看用法。\n");
        return 2;
    default:
        break;
    }
    // The tools need an event loop and application paths, never a display.
    QCoreApplication app(argc, argv);
    nameApplication();
    switch (cl.mode) {
    case CommandLine::Mode::check:
        return CommandLineTool::check(cl.files, stdout, stderr);
    case CommandLine::Mode::exportHTML:
        return CommandLineTool::exportHTML(cl.files.first(), cl.output, stdout, stderr);
    case CommandLine::Mode::unit:
        return SelfTests::run() ? 0 : 1;
    default:
        return 2;
    }
}
