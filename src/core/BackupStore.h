#pragma once

#include "core/DocSnapshot.h"
#include "text/TextCopy.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QUuid>
#include <functional>
#include <optional>

class Doc;

// Snapshot files of unsaved documents, one "<ID>.json" per document in the
// backups directory. A snapshot that cannot be written leaves the previous
// file in place and its reason is handed back; an unreadable one is absent.
namespace BackupStore {

// Whether a snapshot existed before and exists now, and why a wanted one
// could not be written.
using Done = std::function<void(bool had, bool has, const std::optional<QString>& failure)>;

// "Lorvane/Backups" in the per-user data directory; fixed and created on
// first use.
QString directory();
QString fileFor(QUuid id);

bool exists(QUuid id);
// Atomic: the previous snapshot survives any failure. Returns whether the
// new one is on disk. Waits for a queued write of the same document first.
bool write(const Doc& doc);
// Queued: from a copy of the document as it is now, a background thread
// writes the snapshot when the text differs from the saved one and removes
// it otherwise. Writes and removals of one document land in the order they
// were asked for; a queued one that was not started yet is replaced.
// `done` runs on the main thread.
void sync(const Doc& doc, Done done);
// The same with the document's text as it is now already copied (unused
// when the document is clean).
void sync(const Doc& doc, TextCopy text, Done done);
// Waits until no queued write is pending or in flight.
void waitForWrites();
std::optional<DocSnapshot> load(QUuid id);
// A snapshot from its stored bytes, as load reads the file.
std::optional<DocSnapshot> read(QByteArray stored);
void remove(QUuid id);
// Ids of all snapshot files, oldest first.
QList<QUuid> allIDs();
std::optional<QDateTime> modificationDate(const QString& path);

// The text member of stored snapshot JSON, unescaped to UTF-8 straight
// from the bytes, and the rest with that member emptied for the JSON
// reader: a long text never becomes a JSON tree. Absent when the bytes are
// not plainly in that form (the whole is then read as JSON).
struct SplitText {
    QByteArray rest;
    QByteArray text;
};
std::optional<SplitText> splitText(QByteArrayView json);

DocSnapshot snapshot(const Doc& doc);
QJsonValue encode(const DocSnapshot& s);
std::optional<DocSnapshot> decode(const QJsonValue& j);

}
