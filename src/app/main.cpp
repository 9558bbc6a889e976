#include "app/CommandLine.h"
#include "core/selftest/SelfTests.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMainWindow>
#include <cstdio>

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

int runWindow(int argc, char** argv)
{
    QApplication app(argc, argv);
    nameApplication();
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Lorvane"));
    window.resize(1180, 760);
    window.show();
    return app.exec();
}

}

int main(int argc, char** argv)
{
    const CommandLine cl = CommandLine::parse(arguments(argc, argv));
    switch (cl.mode) {
    case CommandLine::Mode::window:
        return runWindow(argc, argv);
    case CommandLine::Mode::help:
        std::fputs(CommandLineTool::usage().toUtf8().constData(), stdout);
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
