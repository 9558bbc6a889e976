#pragma once

#include "core/Doc.h"

#include <QFileSystemWatcher>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QTimer>
#include <QUuid>
#include <functional>
#include <optional>

// Files changed by other programs. Every open file and its folder are
// watched; the folder too, because editors and tools replace files by
// renaming a new one over them, which ends a watch on the file itself.
// A clean document takes the new content (reloadWanted), a dirty one gets a
// notice, a vanished file the missing notice. Files are read and compared on
// a worker; a result is dropped when the document moved on meanwhile.
class DiskWatcher : public QObject {
    Q_OBJECT
public:
    explicit DiskWatcher(QObject* parent = nullptr);
    ~DiskWatcher() override;

    void watch(const DocPtr& doc);
    void unwatch(QUuid docID);
    void unwatchAll();
    bool isWatchingFile(const QString& path) const { return files_.files().contains(path); }
    // One way: from then on nothing is looked at and no result is applied.
    void stop() { stopped_ = true; }

    // Looks at the document's file now.
    void check(const DocPtr& doc);
    // Calls `then` with whether the file differs from what the document last
    // read or wrote. At once when the file's stamp decides; when only the
    // content can, it is read and compared on a worker and `then` runs later.
    void whenChecked(const DocPtr& doc, std::function<void(bool changed)> then);

    // Tests: runs on the worker before it reads the file (both looks).
    static void setCheckHook(std::function<void()> hook);
    // Tests: looks of whenChecked whose `then` has not run yet.
    static int pendingLooksBeforeWriting();

    // Other programs write files in steps; look once they are done.
    static constexpr int settleMSecs = 150;

signals:
    // A clean document's file has new content to take.
    void reloadWanted(const DocPtr& doc);

private:
    struct Entry {
        std::weak_ptr<Doc> doc;
        QString path;
        // The change the user was already told about.
        std::optional<FileStamp> noticed;
        // The baseline while the file is gone or unreadable.
        std::optional<TextBaseline> savedBeforeMissing;
        // Counts the looks at the file; only the latest one's result counts.
        quint64 checks = 0;
        QMetaObject::Connection urlChanged;
    };
    struct Look;

    // Watches exactly the files and folders of the entries.
    void refresh();
    void touched(const QString& path);
    void markMissing(const DocPtr& doc);
    void finish(const Look& look);

    QFileSystemWatcher files_;
    QTimer settle_;
    QSet<QUuid> due_;
    QHash<QUuid, Entry> entries_;
    bool stopped_ = false;
};
