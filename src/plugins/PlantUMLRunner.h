#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// Renders diagrams with the installed plantuml.jar on a Java runtime.
// Blocking: called on the analysis thread, never on the main thread.
struct PlantUMLRunner {
    static inline const QString label = QStringLiteral("plantuml.jar");
    // A run still going after this long is killed.
    static constexpr int timeoutMSecs = 10000;

    QString java;
    QString jar;
    int timeout = timeoutMSecs;

    // Where the jar is looked for, first found wins.
    static QStringList jarCandidates();
    // The first existing jar and java on PATH; absent without either.
    static std::optional<PlantUMLRunner> locate(const QStringList& jars, const QString& java);
    // Located once per process.
    static const std::optional<PlantUMLRunner>& shared();

    // The SVG text; throws PluginError with the renderer's error output.
    QString render(const QString& text) const;
};
