#pragma once

#include "core/DocSnapshot.h"
#include "core/Json.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QUuid>
#include <optional>

class Doc;

// Snapshot files of unsaved documents, one "<ID>.json" per document in the
// backups directory. Every failure is silent: a snapshot that cannot be
// written leaves the previous file in place, an unreadable one is absent.
namespace BackupStore {

// "Lorvane/Backups" in the per-user data directory; fixed and created on
// first use.
QString directory();
QString fileFor(QUuid id);

bool exists(QUuid id);
// Atomic: the previous snapshot survives any failure. Returns whether the
// new one is on disk.
bool write(const Doc& doc);
std::optional<DocSnapshot> load(QUuid id);
void remove(QUuid id);
// Ids of all snapshot files, oldest first.
QList<QUuid> allIDs();
std::optional<QDateTime> modificationDate(const QString& path);

DocSnapshot snapshot(const Doc& doc);
Json encode(const DocSnapshot& s);
std::optional<DocSnapshot> decode(const Json& j);

}
