#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// Renders PlantUML to SVG with plantuml.jar on a Java runtime, as a child
// process. render() blocks its thread; call it off the main thread, or use
// renderAsync.
struct PlantUMLRunner {
    QString java;
    QString jar;
    int timeoutMs = 10000;

    static QString label() { return QStringLiteral("plantuml.jar"); }

    // Application-support Lorvane/plantuml.jar, then Debian's jar.
    static QStringList defaultJarCandidates();
    // The first existing jar and the given Java (default: java on PATH);
    // absent when either is missing.
    static std::optional<PlantUMLRunner> locate(const QStringList& jarCandidates, const QString& java = QString());
    // Located once per process, thread-safely.
    static const std::optional<PlantUMLRunner>& shared();

    QStringList arguments() const;
    // Throws PluginError with the child's error output when no SVG comes back.
    QString render(const QString& text) const;
    // Runs render on a pool thread and delivers the SVG or the error text
    // to `context`'s thread; nothing is delivered once context is gone.
    void renderAsync(const QString& text, QObject* context,
                     std::function<void(const QString& svg, const QString& error)> done) const;
};

// One child run with both pipes drained concurrently and a hard deadline.
struct ChildRun {
    QByteArray out;
    QByteArray err;
    bool started = false;
    bool timedOut = false;
    bool overflow = false;
    QString startError;
};
ChildRun runChild(const QString& program, const QStringList& args, const QByteArray& input, int timeoutMs,
                  qsizetype outputCap = qsizetype(256) << 20);
