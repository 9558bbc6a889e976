#pragma once

#include "plugins/ViewMode.h"
#include "text/LineEnding.h"
#include "text/TextEncoding.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QUuid>
#include <optional>

// Everything needed to rebuild an unsaved document after a restart.
struct DocSnapshot {
    QUuid id;
    std::optional<QString> path;
    QString name;
    QString text;
    TextEncoding encoding;
    LineEnding eol;
    QStringList tags;
    std::optional<QString> originalName;
    bool metaDirty = false;
    std::optional<QDateTime> diskModified;
    ViewMode mode = ViewMode::editor;
    QDateTime savedAt;
    std::optional<QString> autoExt;

    bool operator==(const DocSnapshot&) const = default;
};
