#pragma once

#include <QString>
#include <QUuid>
#include <optional>

// One open document of the stored session: its file, its snapshot, or both.
struct SessionItem {
    std::optional<QString> path;
    std::optional<QUuid> backup;
    // Where its editor stood (0-based lines), when it was known.
    std::optional<int> caretLine = std::nullopt;
    std::optional<int> topLine = std::nullopt;
    std::optional<int> caretColumn = std::nullopt;

    bool operator==(const SessionItem&) const = default;
};
