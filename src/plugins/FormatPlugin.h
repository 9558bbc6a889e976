#pragma once

#include "plugins/ViewMode.h"
#include "text/LineCommands.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringConverter>
#include <QStringList>
#include <functional>
#include <optional>

// One finding of a check: a 1-based line, a user-visible message and, when
// the check knows it, the 1-based column (UTF-16 code units) of the fault.
struct Diagnostic {
    int line = 0;
    QString message;
    std::optional<int> column = std::nullopt;
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
    // The same over the text's UTF-8 bytes, for formats that parse bytes and
    // need no UTF-16 copy of a large file.
    using Utf8Validator = QList<Diagnostic> (*)(QByteArrayView);
    using Utf8Renderer = QString (*)(QByteArrayView);

    QString id;
    QString displayName;
    QString summary;
    QStringList extensions;
    QList<ViewMode> viewModes{ViewMode::editor};
    QList<PluginAction> actions;
    // None for formats without comments.
    CommentSyntax comment;
    QString templateText;
    bool validates = false;
    Validator validateFn = nullptr;
    Renderer previewFn = nullptr;
    Utf8Validator validateUtf8Fn = nullptr;
    Utf8Renderer previewUtf8Fn = nullptr;

    QList<Diagnostic> validate(const QString& text) const
    {
        return validateFn ? validateFn(text) : QList<Diagnostic>{};
    }
    // May throw PluginError.
    QString previewHTML(const QString& text) const { return previewFn ? previewFn(text) : QString(); }
    // Same results as the QString forms for the same text; formats without
    // a byte parser get the text converted.
    QList<Diagnostic> validateUtf8(QByteArrayView utf8) const
    {
        if (validateUtf8Fn)
            return validateUtf8Fn(utf8);
        return validateFn ? validateFn(decodeUtf8(utf8)) : QList<Diagnostic>{};
    }
    // May throw PluginError.
    QString previewHTMLUtf8(QByteArrayView utf8) const
    {
        if (previewUtf8Fn)
            return previewUtf8Fn(utf8);
        return previewFn ? previewFn(decodeUtf8(utf8)) : QString();
    }
    // A leading U+FEFF is text here, as it is in a document's text.
    static QString decodeUtf8(QByteArrayView utf8)
    {
        QStringDecoder d(QStringConverter::Utf8,
                         QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
        return d.decode(utf8);
    }
    bool supportsPreview() const { return viewModes.contains(ViewMode::preview); }
    bool offers(ViewMode m) const { return viewModes.contains(m); }
    QString defaultExt() const { return extensions.value(0); }

    bool operator==(const FormatPlugin& other) const { return id == other.id; }
};
