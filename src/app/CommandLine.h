#pragma once

#include <QString>
#include <QStringList>
#include <cstdio>

// Modes of the program chosen from its arguments. Everything except the
// window runs without a GUI application object.
struct CommandLine {
    enum class Mode { window, unit, check, exportHTML, exportPDF, help, version, invalid };

    Mode mode = Mode::window;
    QStringList files;  // files to open or to process
    QString output;     // -o for export
    // --timeout: the overall limit of an export, in seconds.
    double timeoutSeconds = 60;
    // --allow-remote-images: the exported page loads pictures from the web.
    bool remoteImages = false;
    QStringList qtArgs;  // options passed on to the GUI toolkit
    QString error;       // for invalid

    static CommandLine parse(const QStringList& args);
};

namespace CommandLineTool {
QString usage();
// "lorvane VERSION" and the licence line, for --version.
QString versionText();
// Runs --check; returns the exit status.
int check(const QStringList& files, std::FILE* out, std::FILE* err);
// Runs --export-html; returns the exit status. Past the time limit the
// process ends with status 1 and a message, writing nothing.
int exportHTML(const QString& file, const QString& output, double timeoutSeconds, std::FILE* out, std::FILE* err);
// Runs --export-pdf, with the same limit; needs a GUI application object
// (it may be offscreen).
int exportPDF(const QString& file, const QString& output, double timeoutSeconds, std::FILE* err);
}
