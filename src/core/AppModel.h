#pragma once

#include "core/Dialog.h"
#include "core/DiskWatcher.h"
#include "core/Doc.h"
#include "core/DocGroupModel.h"
#include "core/DocumentManager.h"
#include "core/DocumentModel.h"
#include "core/OpenPaths.h"
#include "core/Preferences.h"
#include "core/Prompter.h"
#include "core/SessionItem.h"
#include "core/SessionStore.h"
#include "core/Settings.h"
#include "core/Tag.h"
#include "core/TagStore.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUuid>
#include <functional>
#include <memory>
#include <optional>

class EditorLink;
class FileChooser;
class QTimer;

// The workspace: the open documents and the flows on them (DocumentManager),
// the user's tags (TagStore) and what is kept between runs (SessionStore),
// wired together. The flows ask and tell through the Prompter it is given
// (the window's). Main thread only. Each published field's change signal is
// its part's own (documents(), tagStore(), session()); views connect there,
// so a change wakes only who shows it.
class AppModel : public QObject {
    Q_OBJECT
public:
    // Preference keys.
    static inline const QString& tagsKey = TagStore::tagsKey;
    static inline const QString& recentKey = SessionStore::recentKey;
    static inline const QString& collapsedKey = TagStore::collapsedKey;
    static inline const QString& settingsKey = SessionStore::settingsKey;
    static inline const QString& sessionKey = SessionStore::sessionKey;
    static inline const QString& activePathKey = SessionStore::activePathKey;
    static inline const QString& fileTagsKey = TagStore::fileTagsKey;

    static constexpr int snapshotQuietMSecs = SessionStore::snapshotQuietMSecs;
    static constexpr int snapshotMaxWaitMSecs = SessionStore::snapshotMaxWaitMSecs;
    static constexpr int snapshotRetryMSecs = SessionStore::snapshotRetryMSecs;

    // The standard per-user store unless another one is given.
    explicit AppModel(std::unique_ptr<Preferences> ud = nullptr, QObject* parent = nullptr);
    ~AppModel() override;

    static QList<Tag> builtInTags() { return TagStore::builtInTags(); }

    // ---- Collaborators (set by the shell; tests give fakes) ----
    void setEditorLink(EditorLink* link)
    {
        editorLink_ = link;
        session_.setEditorLink(link);
        manager_.setEditorLink(link);
    }
    EditorLink* editorLink() const { return editorLink_; }
    void setFileChooser(FileChooser* chooser) { manager_.setFileChooser(chooser); }
    FileChooser* fileChooser() const { return manager_.fileChooser(); }
    // Applies the appearance and restyles the editors; filled by the UI.
    void setApplySettingsHook(std::function<void(const Settings&)> hook)
    {
        session_.setApplySettingsHook(std::move(hook));
    }
    // The main window, held weakly.
    void setWindow(QObject* w) { window_ = w; }
    QObject* window() const { return window_; }
    Preferences& ud() const { return *ud_; }
    TagStore& tagStore() { return tags_; }
    SessionStore& session() { return session_; }
    DocumentManager& manager() { return manager_; }
    // Where the flows ask their questions; until one is given (or after
    // null), questions go unanswered and notes unseen.
    void setPrompter(Prompter* prompter) { manager_.setPrompter(prompter ? *prompter : unasked_); }
    Prompter& prompter() const { return manager_.prompter(); }

    // ---- Published fields ----
    // The open documents and the active one; docs() and the lookups below forward to it.
    DocumentModel& documents() { return documents_; }
    const DocumentModel& documents() const { return documents_; }
    // The same documents under their tags.
    DocGroupModel& docGroups() { return docGroups_; }
    const QList<DocPtr>& docs() const { return documents_.docs(); }
    const std::optional<QUuid>& activeID() const { return documents_.activeID(); }
    const QList<Tag>& tags() const { return tags_.tags(); }
    const QStringList& recent() const { return session_.recent(); }
    const QSet<QString>& collapsed() const { return tags_.collapsed(); }
    const Settings& settings() const { return session_.settings(); }

    // Adds a document at the end; a duplicate id is ignored.
    void appendDoc(const DocPtr& doc) { documents_.append(doc); }
    void setActiveID(std::optional<QUuid> id) { manager_.setActiveID(id); }
    void setTags(QList<Tag> tags) { tags_.setTags(std::move(tags)); }
    void setRecent(QStringList recent) { session_.setRecent(std::move(recent)); }
    void setCollapsed(QSet<QString> collapsed) { tags_.setCollapsed(std::move(collapsed)); }
    // A different value is applied (applySettings) and stored (persist).
    void setSettings(const Settings& s) { session_.setSettings(s); }

    // ---- Internal state ----
    bool quitting() const { return session_.quitting(); }
    // One way: once quitting, snapshots are no longer written.
    void setQuitting() { session_.setQuitting(); }
    bool isWatching(QUuid docID) const { return session_.isWatching(docID); }

    // ---- Derived ----
    DocPtr active() const { return documents_.active(); }
    DocPtr doc(QUuid id) const { return documents_.doc(id); }
    // The open document of this file (paths compared in standard form).
    DocPtr docAt(const QString& path) const { return manager_.docAt(path); }
    // Absolute path with "." and ".." resolved.
    static QString standardPath(const QString& path) { return OpenPaths::standard(path); }

    // ---- The document flows (DocumentManager) ----
    DocPtr open(const QString& path, bool quiet = false) { return manager_.open(path, quiet); }
    void openFiles(const QStringList& paths) { manager_.openFiles(paths); }
    int filesLoading() const { return manager_.filesLoading(); }
    static constexpr qint64 backgroundOpenBytes = DocumentManager::backgroundOpenBytes;
    void openPanel() { manager_.openPanel(); }
    void openRecent(const QString& path) { manager_.openRecent(path); }
    DocPtr createDoc(const QString& name, const std::optional<QString>& pluginID, const QStringList& tags)
    {
        return manager_.createDoc(name, pluginID, tags);
    }
    void activate(const DocPtr& doc) { manager_.activate(doc); }
    void loadDiskVersion(const DocPtr& doc) { manager_.reloader().loadDiskVersion(doc); }
    int filesReading() const { return manager_.reloader().filesReading(); }
    // Told and asked through the prompter.
    void flash(const QString& text) { prompter().flash(text); }
    void alert(const QString& title, const QString& message) { prompter().alert(title, message); }
    void present(Dialog dialog) { prompter().present(std::move(dialog)); }
    // Whether the document's view wraps: its own choice, else its format's setting.
    bool wraps(const Doc& doc) const;
    // Flips the active document's wrap; other documents and the setting keep theirs.
    void toggleWrap();

    using Done = DocumentSaver::Done;
    void save(const DocPtr& doc, bool asNew = false, Done then = {})
    {
        manager_.saver().save(doc, asNew, std::move(then));
    }
    void saveAs(const DocPtr& doc, Done then = {}) { manager_.saver().saveAs(doc, std::move(then)); }
    void finishSave(const DocPtr& doc, const QString& path, std::optional<FileStamp> written = std::nullopt)
    {
        manager_.saver().finishSave(doc, path, written);
    }
    void close(const DocPtr& doc, Done then = {}) { manager_.saver().close(doc, std::move(then)); }
    void closeEach(QList<DocPtr> docs, Done then = {}) { manager_.saver().closeEach(std::move(docs), std::move(then)); }
    void saveAll(Done then = {}) { manager_.saver().saveAll(std::move(then)); }
    void remove(const DocPtr& doc) { manager_.saver().remove(doc); }
    void confirmQuit(Done completion) { manager_.saver().confirmQuit(std::move(completion)); }
    static QString label(const QString& name) { return DocumentSaver::label(name); }

    // ---- Tags, groups and ordering ----
    using Group = DocGroupModel::Group;
    QList<Group> groups() const { return DocGroupModel::arrange(docs(), tags()); }
    void toggleTag(const QString& tagID, const DocPtr& doc) { tags_.toggleTag(tagID, doc); }
    void move(QUuid id, std::optional<QUuid> before) { manager_.move(id, before); }
    void step(const DocPtr& doc, int by) { manager_.step(doc, by); }

    static constexpr int recentLimit = SessionStore::recentLimit;
    // Registers an opened or saved file with the desktop's recent documents.
    void setNoteRecentHook(std::function<void(const QString&)> hook) { session_.setNoteRecentHook(std::move(hook)); }

    void askRename(const DocPtr& doc) { manager_.askRename(doc); }
    void rename(const DocPtr& doc, const QString& name) { manager_.rename(doc, name); }
    void rename(const DocPtr& doc, const QString& ext, const QString& label) { manager_.rename(doc, ext, label); }
    void setFormat(const DocPtr& doc, const std::optional<QString>& pluginID) { manager_.setFormat(doc, pluginID); }
    void askCustomExt(const DocPtr& doc) { manager_.askCustomExt(doc); }
    void reopen(const DocPtr& doc, TextEncoding encoding) { manager_.encodings().reopen(doc, encoding); }
    void convert(const DocPtr& doc, TextEncoding encoding) { manager_.encodings().convert(doc, encoding); }

    // ---- More tags ----
    void addTag(const QString& name, const DocPtr& doc = nullptr) { tags_.addTag(name, doc); }
    void saveTags(const DocPtr& doc) { tags_.saveTags(doc); }

    // ---- Files changed by other programs ----
    DiskWatcher& disk() { return disk_; }

    // ---- Change subscriptions ----
    void watch(const DocPtr& doc) { session_.watch(doc); }
    void unwatch(QUuid docID) { session_.unwatch(docID); }
    void unwatchAll() { session_.unwatchAll(); }

    // ---- Persistence ----
    void persist() { session_.persist(); }
    void persistSession() { session_.persistSession(); }
    // The stored tags, recent files and settings, then the last session's documents.
    void restore() { manager_.restorer().restore(); }
    void restoreSession() { manager_.restorer().restoreSession(); }
    void applySettings() { session_.applySettings(); }

    template <class T> std::optional<T> load(const QString& key) const { return session_.load<T>(key); }
    template <class T> void store(const QString& key, const T& value) { session_.store(key, value); }

private:
    std::unique_ptr<Preferences> ud_;
    // Published
    DocumentModel documents_;
    DocGroupModel docGroups_{documents_};
    DiskWatcher disk_;
    TagStore tags_{*ud_, documents_};
    SessionStore session_{*ud_, documents_, tags_, disk_};
    struct Unasked : Prompter {
        void present(Dialog) override {}
        void flash(const QString&) override {}
        QString input() const override { return {}; }
    } unasked_;
    // Last: gone (its reads finished) before anything it reports to.
    DocumentManager manager_{documents_, tags_, session_, disk_, unasked_};

    QPointer<QObject> window_;
    EditorLink* editorLink_ = nullptr;
};
