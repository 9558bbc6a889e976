#include "app/CommandLine.h"
#include "app/selftest/SelfTests.h"

#include "core/RecentlyUsed.h"
#include "editor/AppFonts.h"
#include "editor/EditorCache.h"
#include "render/PreviewPage.h"
#include "views/preview/PreviewEngine.h"
#include "views/preview/PreviewSurface.h"
#include "views/state/WindowModel.h"
#include "views/window/AppIcon.h"
#include "views/window/DBusActivation.h"
#include "views/window/MainWindow.h"
#include "views/window/SingleInstance.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLoggingCategory>
#include <QMessageBox>
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

// Without a safe channel a second start could not find this one, and two
// editors would write the same session and snapshots: none starts.
int refuseStart(const QString& reason)
{
    std::fprintf(stderr, "%s\n", reason.toLocal8Bit().constData());
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Lorvane 无法安全启动"),
                    QStringLiteral("Lorvane 无法安全启动"), QMessageBox::NoButton);
    box.setInformativeText(
        reason + QStringLiteral("\n\n为避免两个编辑器同时写入同一份会话与暂留内容，本次没有打开窗口。请修正后再试。"));
    box.addButton(QStringLiteral("退出"), QMessageBox::AcceptRole);
    box.exec();
    return 1;
}

void nameApplication()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Lorvane"));
    QCoreApplication::setApplicationName(QStringLiteral("Lorvane"));
}

// Adds a switch to the browser engine's command line, once.
void addEngineFlag(const char* flag)
{
    const QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!flags.contains(flag))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", (flags + ' ' + flag).trimmed());
}

void withoutGPU() { addEngineFlag("--disable-gpu"); }

// A browser engine loaded after the application shares OpenGL with the
// window only if the application made a shared context: that costs every
// start a driver load, so only when the engine draws with the GPU. Without
// it nothing in the program draws with OpenGL, and the engine's probe of
// the display would otherwise load a software driver of some 35 MB.
void graphicsForPreview()
{
    if (!PreviewSurface::drawsInSoftware())
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    else if (qEnvironmentVariableIsEmpty("QT_XCB_GL_INTEGRATION"))
        qputenv("QT_XCB_GL_INTEGRATION", "none");
}

// glibc raises its threshold for giving a large block a mapping of its own
// up to the largest block freed so far. The page's process allocates and
// frees many blocks of a few hundred KB as it starts, which then stay as holes
// in its heap. It reads a fixed threshold from the environment it inherits;
// this process keeps the default, which suits reading large files, and is
// trimmed once the engine has started (PreviewView).
void keepEngineHeapsSmall()
{
    QByteArray tunables = qgetenv("GLIBC_TUNABLES");
    if (!tunables.contains("glibc.malloc.mmap_threshold")) {
        tunables += QByteArray(tunables.isEmpty() ? "" : ":") + "glibc.malloc.mmap_threshold=131072";
        qputenv("GLIBC_TUNABLES", tunables);
    }
}

// Set before the application exists: both are read when it starts.
void prepareEngine()
{
    keepEngineHeapsSmall();
    // Without its sandbox the engine needs no zygote to fork its page
    // processes from: two processes and some 10 MB less.
    if (qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        addEngineFlag("--no-zygote");
    graphicsForPreview();
}

int runWindow(int argc, char** argv, const QStringList& files)
{
    // Read before the platform plugin consumes them: they let the running
    // window come to the front when the files are handed over.
    const SingleInstance::Request request{files, qgetenv("XDG_ACTIVATION_TOKEN"), qgetenv("DESKTOP_STARTUP_ID"), {}};
    // Chromium refuses to start its sandbox as root and has no GPU in
    // virtual displays; the preview needs neither.
    if (geteuid() == 0) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
        withoutGPU();
    }
    prepareEngine();
    QApplication app(argc, argv);
    nameApplication();
    // Lets the desktop match the window to its entry (Wayland app id, icon).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.lorvane.Lorvane"));
    // Panels and window switchers show it (_NET_WM_ICON) instead of a generic one.
    QApplication::setWindowIcon(AppIcon::icon());
    AppFonts::registerFonts();
    QApplication::setFont(AppFonts::sans(13));
    SingleInstance instance;
    if (const QString problem = SingleInstance::problem(instance.socketPath()); !problem.isEmpty())
        return refuseStart(problem);
    const auto outcome = instance.forward(request);
    if (outcome == SingleInstance::Outcome::forwarded)
        return 0;
    if (outcome == SingleInstance::Outcome::busy) {
        // Never a second editor on the same session and backups.
        std::fputs("Lorvane 已在运行，但没有响应，没有再启动一个。请稍后再试。\n", stderr);
        return 1;
    }
    if (outcome == SingleInstance::Outcome::refused)
        return refuseStart(
            QStringLiteral("单实例通道 %1 由其他用户的程序占用，没有把文件交给它。").arg(instance.socketPath()));
    WindowModel& model = WindowModel::shared();
    model.setNoteRecentHook([](const QString& path) { RecentlyUsed::note(path); });
    // Lives until the process ends, as the model does: its editors are widgets.
    EditorCache& editors = *new EditorCache(model, model.view());
    MainWindow window(model, editors);
    const auto receive = [&window, &model](const SingleInstance::Request& r) {
        if (!r.activationToken.isEmpty())
            qputenv("XDG_ACTIVATION_TOKEN", r.activationToken);
        if (!r.startupID.isEmpty())
            qputenv("DESKTOP_STARTUP_ID", r.startupID);
        window.openFiles(r.files);
        if (!r.refused.isEmpty())
            model.alert(QStringLiteral("无法打开"), DBusActivation::refusal(r.refused));
        window.showNormal();
        window.raise();
        window.activateWindow();
    };
    // Another start that took the socket meanwhile gets the files instead.
    if (!instance.listen(receive)) {
        if (instance.forward(request) == SingleInstance::Outcome::forwarded)
            return 0;
        return refuseStart(QStringLiteral("无法在 %1 建立单实例通道，也无法把文件交给已在运行的 Lorvane。")
                               .arg(instance.socketPath()));
    }
    // File managers and launchers reach this editor on the session bus too.
    DBusActivation activation;
    activation.start(receive);
    window.show();
    window.start(files);
    // Comes to the front with the keyboard, also where no window manager
    // activates new windows (menu shortcuts need an active window).
    window.raise();
    window.activateWindow();
    return app.exec();
}

// The PDF is printed, and diagrams in either export are drawn, by the web
// engine, which needs a GUI application; it never shows a window, so it runs
// offscreen whether or not there is a display.
int runExport(int argc, char** argv, const CommandLine& cl)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The engine's start-up report is for debugging the window, not for scripts.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.debug=false\nqt.webenginecontext.info=false"));
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    withoutGPU();
    prepareEngine();
    QApplication app(argc, argv);
    nameApplication();
    PreviewPage::setRemoteImages(cl.remoteImages);
    const int status = cl.mode == CommandLine::Mode::exportHTML
        ? CommandLineTool::exportHTML(cl.files.first(), cl.output, cl.timeoutSeconds, stdout, stderr)
        : CommandLineTool::exportPDF(cl.files.first(), cl.output, cl.timeoutSeconds, stderr);
    if (PreviewEngine::isLoaded())
        PreviewEngine::get()->shutdown();
    return status;
}

}

int main(int argc, char** argv)
{
    const CommandLine cl = CommandLine::parse(arguments(argc, argv));
    switch (cl.mode) {
    case CommandLine::Mode::window: return runWindow(argc, argv, cl.files);
    case CommandLine::Mode::help: std::fputs(CommandLineTool::usage().toUtf8().constData(), stdout); return 0;
    case CommandLine::Mode::version: std::fputs(CommandLineTool::versionText().toUtf8().constData(), stdout); return 0;
    case CommandLine::Mode::exportHTML:
    case CommandLine::Mode::exportPDF: return runExport(argc, argv, cl);
    case CommandLine::Mode::invalid:
        std::fprintf(stderr, "%s\n%s", cl.error.toUtf8().constData(), "使用 lorvane --help 查看用法。\n");
        return 2;
    default: break;
    }
    // The tools need an event loop and application paths, never a display.
    QCoreApplication app(argc, argv);
    nameApplication();
    switch (cl.mode) {
    case CommandLine::Mode::check: return CommandLineTool::check(cl.files, stdout, stderr);
    case CommandLine::Mode::unit: return SelfTests::run() ? 0 : 1;
    default: return 2;
    }
}
