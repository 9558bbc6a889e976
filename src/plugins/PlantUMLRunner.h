#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// Renders diagrams with the installed plantuml.jar on a Java runtime. The
// child runs in a bubblewrap sandbox with no network and no file system
// beyond the system's read-only programs, so a diagram's !include or image
// reference reaches neither the user's files nor the network. Without a
// working sandbox it is never run at all.
// Blocking: called on the analysis thread, never on the main thread.
struct PlantUMLRunner {
    static inline const QString label = QStringLiteral("plantuml.jar");
    // A run still going after this long is killed.
    static constexpr int timeoutMSecs = 10000;

    QString java;
    QString jar;
    int timeout = timeoutMSecs;
    // A child writing more than this on either pipe is stopped: an endless
    // flood would otherwise fill memory before the deadline.
    qsizetype outputLimit = qsizetype(64) << 20;
    QString bwrap;
    // Why the sandbox cannot start (in Chinese); absent when it works.
    std::optional<QString> sandboxProblem;

    // Where the jar is looked for, first found wins.
    static QStringList jarCandidates();
    // The first existing jar and java on PATH; absent without either. The
    // sandbox (bwrap on PATH by default) is tried once here.
    static std::optional<PlantUMLRunner> locate(const QStringList& jars, const QString& java);
    static std::optional<PlantUMLRunner> locate(const QStringList& jars, const QString& java, const QString& bwrap);
    // Located once per process.
    static const std::optional<PlantUMLRunner>& shared();

    // The SVG text; throws PluginError with the renderer's error output,
    // or when the sandbox cannot start.
    QString render(const QString& text) const;
    static std::optional<QString> probeSandbox(const PlantUMLRunner& runner);
    // The first line of the renderer's error output that says what went wrong:
    // Java's logging, VM notices and stack frames are left out; empty when
    // nothing meaningful remains.
    static QString firstMessage(const QString& errorOutput);
    // The sandbox command line that runs `program` with `args`.
    QStringList sandboxed(const QString& program, const QStringList& args) const;
};
