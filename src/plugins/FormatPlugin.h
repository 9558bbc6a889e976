#pragma once

#include "plugins/ViewMode.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// One finding of a check: a 1-based line, a user-visible message and, when
// the check knows it, the 1-based column (UTF-16 code units) of the fault.
struct Diagnostic {
    int line = 0;
    QString message;
    std::optional<int> column;
    bool operator==(const Diagnostic&) const = default;
};

// Thrown by plugin logic; checking never throws (validate returns diagnostics).
struct PluginError {
    QString message;
    std::optional<int> line;
    std::optional<int> column;
    PluginError(QString m, std::optional<int> l = std::nullopt, std::optional<int> c = std::nullopt)
        : message(std::move(m)), line(l), column(c)
    {
    }
};

// A named transformation of a document's whole text; run may throw PluginError.
struct PluginAction {
    QString title;
    std::function<QString(const QString&)> run;
};

// A format plugin: an immutable descriptor of the format and its pure,
// thread-safe functions. The catalog holds exactly one per format.
struct FormatPlugin {
    using Validator = QList<Diagnostic> (*)(const QString&);
    using Renderer = QString (*)(const QString&);

    QString id;
    QString displayName;
    QString summary;
    QStringList extensions;
    QList<ViewMode> viewModes{ViewMode::editor};
    QList<PluginAction> actions;
    QString templateText;
    bool validates = false;
    Validator validateFn = nullptr;
    Renderer previewFn = nullptr;

    QList<Diagnostic> validate(const QString& text) const
    {
        return validateFn ? validateFn(text) : QList<Diagnostic>{};
    }
    // May throw PluginError.
    QString previewHTML(const QString& text) const { return previewFn ? previewFn(text) : QString(); }
    bool supportsPreview() const { return viewModes.contains(ViewMode::preview); }
    bool offers(ViewMode m) const { return viewModes.contains(m); }
    QString defaultExt() const { return extensions.value(0); }

    bool operator==(const FormatPlugin& other) const { return id == other.id; }
};
