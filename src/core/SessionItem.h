#pragma once

#include <QString>
#include <QUuid>
#include <optional>

// One open document of the stored session: its file, its snapshot, or both.
struct SessionItem {
    std::optional<QString> path;
    std::optional<QUuid> backup;

    bool operator==(const SessionItem&) const = default;
};
