#pragma once

#include "core/Dialog.h"
#include "core/DiskWatcher.h"
#include "core/Doc.h"
#include "core/DocGroupModel.h"
#include "core/DocumentModel.h"
#include "core/FindState.h"
#include "core/OpenPaths.h"
#include "core/Popup.h"
#include "core/Preferences.h"
#include "core/Prompter.h"
#include "core/SessionItem.h"
#include "core/SessionStore.h"
#include "core/Settings.h"
#include "core/Tag.h"
#include "core/TagStore.h"
#include "core/ViewState.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QThreadPool>
#include <QUuid>
#include <functional>
#include <memory>
#include <optional>

class EditorLink;
class FileChooser;
class QTimer;

// The workspace: the open documents and the flows on them, the user's tags
// (TagStore), what is kept between runs (SessionStore) and what the window
// shows around the documents (ViewState). The flows ask and tell through a
// Prompter, the window's ViewState unless another one is given. Main thread
// only. Every published field has its own change signal, emitted after it
// changed; setting an equal value emits nothing.
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

    static constexpr int toastMSecs = ViewState::toastMSecs;
    static constexpr int snapshotQuietMSecs = SessionStore::snapshotQuietMSecs;
    static constexpr int snapshotMaxWaitMSecs = SessionStore::snapshotMaxWaitMSecs;
    static constexpr int snapshotRetryMSecs = SessionStore::snapshotRetryMSecs;

    // The standard per-user store unless another one is given.
    explicit AppModel(std::unique_ptr<Preferences> ud = nullptr, QObject* parent = nullptr);
    ~AppModel() override;

    // The single instance of the running application, created on first use.
    static AppModel& shared();

    static QList<Tag> builtInTags() { return TagStore::builtInTags(); }

    // ---- Collaborators (set by the shell; tests give fakes) ----
    void setEditorLink(EditorLink* link)
    {
        editorLink_ = link;
        session_.setEditorLink(link);
        view_.setEditorLink(link);
    }
    EditorLink* editorLink() const { return editorLink_; }
    void setFileChooser(FileChooser* chooser) { fileChooser_ = chooser; }
    FileChooser* fileChooser() const { return fileChooser_; }
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
    ViewState& view() { return view_; }
    // Where the flows ask their questions; null gives them back to the window.
    void setPrompter(Prompter* prompter) { prompter_ = prompter ? prompter : &view_; }

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
    FindState& find() { return find_; }
    const FindState& find() const { return find_; }
    bool isFullScreen() const { return view_.isFullScreen(); }
    bool showNewFile() const { return view_.showNewFile(); }
    const std::optional<Dialog>& dialog() const { return view_.dialog(); }
    const QString& dialogInput() const { return view_.dialogInput(); }
    const std::optional<Popup>& popup() const { return view_.popup(); }
    const std::optional<QString>& toast() const { return view_.toast(); }
    const std::optional<int>& multiCaretCount() const { return view_.multiCaretCount(); }
    int zoom() const { return view_.zoom(); }

    // Adds a document at the end; a duplicate id is ignored.
    void appendDoc(const DocPtr& doc) { documents_.append(doc); }
    void setActiveID(std::optional<QUuid> id);
    void setTags(QList<Tag> tags) { tags_.setTags(std::move(tags)); }
    void setRecent(QStringList recent) { session_.setRecent(std::move(recent)); }
    void setCollapsed(QSet<QString> collapsed) { tags_.setCollapsed(std::move(collapsed)); }
    // A different value is applied (applySettings) and stored (persist).
    void setSettings(const Settings& s) { session_.setSettings(s); }
    void setIsFullScreen(bool v) { view_.setIsFullScreen(v); }
    void setShowNewFile(bool v) { view_.setShowNewFile(v); }
    void setDialog(std::optional<Dialog> v) { view_.setDialog(std::move(v)); }
    void setDialogInput(const QString& v) { view_.setDialogInput(v); }
    void setPopup(std::optional<Popup> v) { view_.setPopup(v); }
    void setToast(std::optional<QString> v) { view_.setToast(std::move(v)); }
    void setMultiCaretCount(std::optional<int> v) { view_.setMultiCaretCount(v); }
    void setZoom(int percent) { view_.setZoom(percent); }

    // ---- Internal state ----
    const QList<Dialog>& dialogQueue() const { return view_.dialogQueue(); }
    bool quitting() const { return session_.quitting(); }
    // One way: once quitting, snapshots are no longer written.
    void setQuitting() { session_.setQuitting(); }
    bool isWatching(QUuid docID) const { return session_.isWatching(docID); }

    // ---- Derived ----
    DocPtr active() const;
    DocPtr doc(QUuid id) const;
    // The open document of this file (paths compared in standard form).
    DocPtr docAt(const QString& path) const;
    // Absolute path with "." and ".." resolved.
    static QString standardPath(const QString& path) { return OpenPaths::standard(path); }

    // ---- Opening and creating ----
    DocPtr open(const QString& path, bool quiet = false);
    // Opens files in order, as open() does; a large file is read and
    // decoded on a worker thread and its document appears when it is ready.
    void openFiles(const QStringList& paths);
    // Files on the worker thread that are not documents yet.
    int filesLoading() const { return loading_.size(); }
    static constexpr qint64 backgroundOpenBytes = 4 << 20;
    void openPanel();
    void openRecent(const QString& path);
    DocPtr createDoc(const QString& name, const std::optional<QString>& pluginID, const QStringList& tags);
    void activate(const DocPtr& doc);
    void loadDiskVersion(const DocPtr& doc);
    // Re-reads of large files still on the worker thread.
    int filesReading() const { return reading_; }
    // The window's toast and questions.
    void flash(const QString& text) { view_.flash(text); }
    void alert(const QString& title, const QString& message) { view_.alert(title, message); }
    void present(Dialog dialog) { view_.present(std::move(dialog)); }
    void dismissDialog(std::function<void()> action) { view_.dismissDialog(std::move(action)); }
    void toggle(const Popup& p) { view_.toggle(p); }
    // Escape in the editor closes exactly one thing.
    void escape();
    void openFind(bool replace);
    void closeFind();
    void toggleFullScreen() { view_.toggleFullScreen(); }
    // Whether the document's view wraps: its own choice, else its format's setting.
    bool wraps(const Doc& doc) const;
    // Flips the active document's wrap; other documents and the setting keep theirs.
    void toggleWrap();

    // ---- Saving, closing and quitting ----
    using Done = std::function<void(bool)>;
    void save(const DocPtr& doc, bool asNew = false, Done then = {});
    void saveAs(const DocPtr& doc, Done then = {});
    // `written`: the file's stamp as the write left it.
    void finishSave(const DocPtr& doc, const QString& path, std::optional<FileStamp> written = std::nullopt);
    void close(const DocPtr& doc, Done then = {});
    // Closes the documents one after the other, asking about each unsaved
    // one; a cancelled question stops the rest.
    void closeEach(QList<DocPtr> docs, Done then = {});
    // Saves every unsaved document in sidebar order; a cancel stops the rest.
    void saveAll(Done then = {});
    void remove(const DocPtr& doc);
    void confirmQuit(Done completion);
    // "." and the extension, or "无后缀".
    static QString label(const QString& name);

    // ---- Tags, groups and ordering ----
    using Group = DocGroupModel::Group;
    QList<Group> groups() const { return DocGroupModel::arrange(docs(), tags()); }
    void toggleTag(const QString& tagID, const DocPtr& doc) { tags_.toggleTag(tagID, doc); }
    void move(QUuid id, std::optional<QUuid> before);
    void step(const DocPtr& doc, int by);

    bool chooseButton(const QString& title) { return view_.chooseButton(title); }
    bool chooseRole(Dialog::Role role) { return view_.chooseRole(role); }
    void hoverFeature(std::optional<bool> button, std::optional<bool> panel) { view_.hoverFeature(button, panel); }
    static constexpr int featureCloseMSecs = ViewState::featureCloseMSecs;
    void clickFeature() { view_.clickFeature(); }
    bool featureByHover() const { return view_.featureByHover(); }

    static constexpr int recentLimit = SessionStore::recentLimit;
    // Registers an opened or saved file with the desktop's recent documents.
    void setNoteRecentHook(std::function<void(const QString&)> hook) { session_.setNoteRecentHook(std::move(hook)); }

    // ---- Renaming and format ----
    void askRename(const DocPtr& doc);
    void rename(const DocPtr& doc, const QString& name);
    void rename(const DocPtr& doc, const QString& ext, const QString& label);
    void setFormat(const DocPtr& doc, const std::optional<QString>& pluginID);
    void askCustomExt(const DocPtr& doc);

    // ---- Encodings ----
    void reopen(const DocPtr& doc, TextEncoding encoding);
    void convert(const DocPtr& doc, TextEncoding encoding);

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
    void restore();
    void restoreSession();
    void applySettings() { session_.applySettings(); }

    template <class T> std::optional<T> load(const QString& key) const { return session_.load<T>(key); }
    template <class T> void store(const QString& key, const T& value) { session_.store(key, value); }

signals:
    // The list itself: documents added, removed or moved (the rows of documents()).
    void docsChanged();
    void activeChanged();
    void tagsChanged();
    void recentChanged();
    void collapsedChanged();
    void settingsChanged();
    void fullScreenChanged();
    void showNewFileChanged();
    void dialogChanged();
    void dialogInputChanged();
    void popupChanged();
    void toastChanged();
    void multiCaretCountChanged();
    void zoomChanged();

private:
    void reloadChanged(const DocPtr& doc);
    std::optional<QString> writeDoc(const DocPtr& doc, const QString& path, std::optional<FileStamp>& written);
    void writeInPlace(const DocPtr& doc, Done then);
    void saveAsTo(const DocPtr& doc, const QString& path, Done then);
    void overwriteAnyway(const DocPtr& doc, Done then);
    void askOverDisk(const DocPtr& doc, std::function<void()> proceed, Done then);
    DocPtr openElsewhere(const QString& path, const DocPtr& except) const;
    void overwrite(const DocPtr& doc, Done then);
    void quitStep(QList<DocPtr> pending, Done completion);
    void doReopen(const DocPtr& doc, TextEncoding encoding);
    // Replaces the text with the file read again in that encoding, as open
    // reads it: a large file on the loader thread. `done` gets the error, or
    // nothing once the text and its editor hold the file.
    using ReadDone = std::function<void(std::optional<QString>)>;
    void readAgain(const DocPtr& doc, TextEncoding encoding, ReadDone done);
    void doConvert(const DocPtr& doc, TextEncoding encoding);
    // A file that opened with replacement characters (or NULs) is offered
    // again in the encoding that reads it cleanly.
    void offerLikelyEncoding(const DocPtr& doc);
    // Name, format and highlights follow a new name.
    void applyName(const DocPtr& doc, const QString& name);
    DocPtr finishOpen(const QString& target, Result<DocPtr> opened, bool quiet);
    // A picture or other binary file is not opened as text unless asked to
    // from the alert that says so; true when it was refused.
    bool refuseNotText(const QString& target, bool quiet);

    std::unique_ptr<Preferences> ud_;
    // Published
    DocumentModel documents_;
    DocGroupModel docGroups_{documents_};
    DiskWatcher disk_;
    TagStore tags_{*ud_, documents_};
    SessionStore session_{*ud_, documents_, tags_, disk_};
    FindState find_;
    ViewState view_{documents_};
    Prompter* prompter_ = &view_;

    // Internal
    QPointer<QObject> window_;
    QList<QMetaObject::Connection> bag_;

    EditorLink* editorLink_ = nullptr;
    FileChooser* fileChooser_ = nullptr;
    // Files being read for openFiles, in order.
    QStringList loading_;
    int reading_ = 0;
    // Last, so that it is gone (its reads finished) before anything it reports to.
    std::unique_ptr<QThreadPool> loader_;
};
