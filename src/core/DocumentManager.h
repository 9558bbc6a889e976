#pragma once

#include "core/Doc.h"
#include "core/DocGroupModel.h"
#include "core/DocumentModel.h"
#include "core/OpenPaths.h"
#include "core/Prompter.h"
#include "core/SessionStore.h"
#include "core/TagStore.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QThreadPool>
#include <QUuid>
#include <functional>
#include <memory>
#include <optional>

class DiskWatcher;
class EditorLink;
class FileChooser;

// What the user does with documents as files: opening, creating, saving,
// closing and quitting, renaming, changing format or encoding, reading a
// file again, and rebuilding the last session. Questions go through the
// Prompter, file panels through the FileChooser, editors through the
// EditorLink. Main thread only; a flow's later steps do not run once the
// manager is gone.
class DocumentManager : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(bool)>;
    // A file at least this large is read and decoded on a worker thread.
    static constexpr qint64 backgroundOpenBytes = 4 << 20;

    DocumentManager(DocumentModel& docs, TagStore& tags, SessionStore& session, DiskWatcher& disk, Prompter& prompter,
                    QObject* parent = nullptr);
    ~DocumentManager() override;

    void setEditorLink(EditorLink* link) { editorLink_ = link; }
    void setFileChooser(FileChooser* chooser) { fileChooser_ = chooser; }
    FileChooser* fileChooser() const { return fileChooser_; }
    void setPrompter(Prompter& prompter) { prompter_ = &prompter; }

    const QList<DocPtr>& docs() const { return documents_.docs(); }
    const std::optional<QUuid>& activeID() const { return documents_.activeID(); }
    DocPtr active() const { return documents_.active(); }
    DocPtr doc(QUuid id) const { return documents_.doc(id); }
    // The open document of this file (paths compared in standard form).
    DocPtr docAt(const QString& path) const { return OpenPaths::find(docs(), path); }
    void setActiveID(std::optional<QUuid> id);
    void activate(const DocPtr& doc);

    // ---- Opening and creating ----
    DocPtr open(const QString& path, bool quiet = false);
    // Opens files in order, as open() does; a large file is read and
    // decoded on a worker thread and its document appears when it is ready.
    void openFiles(const QStringList& paths);
    // Files on the worker thread that are not documents yet.
    int filesLoading() const { return int(loading_.size()); }
    // Re-reads of large files still on the worker thread.
    int filesReading() const { return reading_; }
    void openPanel();
    void openRecent(const QString& path);
    DocPtr createDoc(const QString& name, const std::optional<QString>& pluginID, const QStringList& tags);
    void loadDiskVersion(const DocPtr& doc);

    // ---- Saving, closing and quitting ----
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

    // ---- Order in the sidebar ----
    void move(QUuid id, std::optional<QUuid> before);
    // Swaps the document with its neighbour among the documents of the same tags.
    void step(const DocPtr& doc, int by);

    // ---- Renaming and format ----
    void askRename(const DocPtr& doc);
    void rename(const DocPtr& doc, const QString& name);
    void rename(const DocPtr& doc, const QString& ext, const QString& label);
    void setFormat(const DocPtr& doc, const std::optional<QString>& pluginID);
    void askCustomExt(const DocPtr& doc);

    // ---- Encodings ----
    void reopen(const DocPtr& doc, TextEncoding encoding);
    void convert(const DocPtr& doc, TextEncoding encoding);

    // ---- The last session ----
    // The stored tags, recent files and settings, then the last session's documents.
    void restore();
    void restoreSession();

signals:
    void activeChanged();
    // The document left the workspace (its row is already gone).
    void removed(QUuid docID);

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
    QThreadPool& loader();

    // The stores' parts the flows use.
    void appendDoc(const DocPtr& doc) { documents_.append(doc); }
    void watch(const DocPtr& doc) { session_.watch(doc); }
    void unwatch(QUuid docID) { session_.unwatch(docID); }
    void unwatchAll() { session_.unwatchAll(); }
    void persist() { session_.persist(); }
    void persistSession() { session_.persistSession(); }
    const QStringList& recent() const { return session_.recent(); }
    void setRecent(QStringList recent) { session_.setRecent(std::move(recent)); }
    void saveTags(const DocPtr& doc) { tags_.saveTags(doc); }
    bool quitting() const { return session_.quitting(); }
    void setQuitting() { session_.setQuitting(); }
    static QString standardPath(const QString& path) { return OpenPaths::standard(path); }

    DocumentModel& documents_;
    TagStore& tags_;
    SessionStore& session_;
    DiskWatcher& disk_;
    Prompter* prompter_;
    EditorLink* editorLink_ = nullptr;
    FileChooser* fileChooser_ = nullptr;
    // Files being read for openFiles, in order.
    QStringList loading_;
    int reading_ = 0;
    // Last, so that it is gone (its reads finished) before anything it reports to.
    std::unique_ptr<QThreadPool> loader_;
};
