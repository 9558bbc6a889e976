#pragma once

#include <QString>
#include <optional>

// The stored result of rendering a document's preview.
struct PreviewState {
    enum class Kind { html, error, none };

    Kind kind = Kind::none;
    QString text;             // html fragment, or the error message
    std::optional<int> line;  // error position, 1-based

    static PreviewState html(QString fragment) { return {Kind::html, std::move(fragment), std::nullopt}; }
    static PreviewState error(std::optional<int> line, QString message)
    {
        return {Kind::error, std::move(message), line};
    }
    static PreviewState none() { return {}; }

    bool operator==(const PreviewState&) const = default;
};
