#pragma once

#include "core/Doc.h"
#include "core/Preferences.h"
#include "core/SessionItem.h"
#include "core/Settings.h"
#include "core/StoredValue.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUuid>
#include <functional>
#include <memory>
#include <optional>

class DiskWatcher;
class DocumentModel;
class EditorLink;
class TagStore;

// What outlives a run of the program: the settings, the recent files, the
// open documents with their places, and the snapshots of unsaved edits that
// follow every document while it is open. Main thread only.
class SessionStore : public QObject {
    Q_OBJECT
public:
    static inline const QString recentKey = QStringLiteral("recent");
    static inline const QString settingsKey = QStringLiteral("settings");
    static inline const QString sessionKey = QStringLiteral("session");
    static inline const QString activePathKey = QStringLiteral("activePath");

    // Snapshots follow a document 1 s after its last change; while changes
    // keep coming they are still written at the latest this long after the
    // first unsnapshotted one, so continuous typing is never unprotected.
    static constexpr int snapshotQuietMSecs = 1000;
    static constexpr int snapshotMaxWaitMSecs = 1250;
    // A snapshot that could not be written is tried again this much later.
    static constexpr int snapshotRetryMSecs = 3000;
    static constexpr int recentLimit = 10;

    SessionStore(Preferences& ud, DocumentModel& docs, TagStore& tags, DiskWatcher& disk, QObject* parent = nullptr);
    ~SessionStore() override;

    Preferences& ud() const { return ud_; }
    template <class T> std::optional<T> load(const QString& key) const { return StoredValue::load<T>(ud_, key); }
    template <class T> void store(const QString& key, const T& value) { StoredValue::store(ud_, key, value); }

    void setEditorLink(EditorLink* link) { editorLink_ = link; }

    const QStringList& recent() const { return recent_; }
    void setRecent(QStringList recent);
    // A closed file heads the recent list.
    void noteClosed(const QString& path);
    // Registers an opened or saved file with the desktop's recent documents.
    void setNoteRecentHook(std::function<void(const QString&)> hook) { noteRecentHook_ = std::move(hook); }
    void noteRecent(const QString& path) const;

    const Settings& settings() const { return settings_; }
    // A different value is applied (applySettings) and stored (persist).
    void setSettings(const Settings& s);
    // Applies the appearance and restyles the editors; filled by the UI.
    void setApplySettingsHook(std::function<void(const Settings&)> hook) { applySettingsHook_ = std::move(hook); }
    void applySettings();

    // Tags, recent files and settings, in one write.
    void persist();
    // The open documents (with the snapshots they have) and the active one.
    void persistSession();
    // Coalesced: several changes in one turn give one write, and it sees the settled state.
    void schedulePersistSession();
    // Tags, recent files and settings as stored.
    void restore();
    // Rebuilds the documents of the last session: from their snapshots, else
    // their files (through `open`), then any snapshot the session missed.
    // An item `later` takes (it returns true) is read off the main thread
    // and handed back through settleLater. True when unsaved edits came back
    // or are coming.
    bool restoreSession(const std::function<DocPtr(const QString&)>& open,
                        const std::function<bool(const SessionItem&)>& later = {});
    // A session item taken for later, read: its document (null when it could
    // not be read) takes the place the session gave it, and its editor the
    // place it had.
    void settleLater(const SessionItem& item, const DocPtr& doc);
    // The active document the session names while it is still being read;
    // it stays the stored one until then.
    void setAwaitedActive(std::optional<QString> path) { awaitedActive_ = std::move(path); }
    // While the session is rebuilt, opening neither activates nor writes.
    bool restoring() const { return restoring_; }
    std::optional<QString> activePath() const { return ud_.string(activePathKey); }

    // Snapshots and disk checks follow the document while it is open.
    void watch(const DocPtr& doc);
    void unwatch(QUuid docID);
    void unwatchAll();
    bool isWatching(QUuid docID) const { return watchers_.contains(docID); }

    bool quitting() const { return quitting_; }
    // One way: once quitting, snapshots are no longer written.
    void setQuitting();
    // Answered "不保存" in the quit under way: never snapshotted again, not
    // even by a snapshot still waiting.
    void discard(QUuid docID);
    // The quit was cancelled: the discarded edits are still on screen, keep them safe again.
    void keepDiscarded();

signals:
    void recentChanged();
    void settingsChanged();

private:
    struct Watcher;
    // An item being read later, and the document it stood before (none: the end).
    struct Later {
        SessionItem item;
        std::optional<QUuid> before;
    };
    void snapshotDue(QUuid docID);
    void restorePlace(const DocPtr& doc, const SessionItem& item);

    Preferences& ud_;
    DocumentModel& docs_;
    TagStore& tags_;
    DiskWatcher& disk_;
    EditorLink* editorLink_ = nullptr;
    QStringList recent_;
    Settings settings_;
    std::function<void(const Settings&)> applySettingsHook_;
    std::function<void(const QString&)> noteRecentHook_;
    // Documents the last written session lists with a snapshot.
    QSet<QUuid> sessionBackups_;
    QHash<QUuid, std::shared_ptr<Watcher>> watchers_;
    QSet<QUuid> discarded_;
    // Written into the session in their places until they arrive.
    QList<Later> later_;
    std::optional<QString> awaitedActive_;
    bool quitting_ = false;
    bool restoring_ = false;
    bool sessionSavePosted_ = false;
};
