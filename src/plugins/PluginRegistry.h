#pragma once

#include "plugins/FormatPlugin.h"

#include <QList>
#include <QString>
#include <optional>

// The fixed catalog of formats and the lookups by file name and by id.
namespace PluginRegistry {

struct Entry {
    QString id;
    QString name;
    QString summary;
    QString ext;
    bool operator==(const Entry&) const = default;
};

// The seven plugins in catalog order, built once (thread-safe).
const QList<FormatPlugin>& all();
const QList<Entry>& catalog();

// Never absent: unknown extensions fall back to plain text.
const FormatPlugin& plugin(const QString& forName);
const FormatPlugin* pluginWithID(const QString& id);
const FormatPlugin& plainText();
std::optional<QString> formatID(const QString& forName);
// The name's extension when no plugin claims it.
std::optional<QString> customExt(const QString& forName);

}
