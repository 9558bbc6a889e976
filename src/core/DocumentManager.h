#pragma once

#include "core/Doc.h"
#include "core/DocumentEncodings.h"
#include "core/DocumentFlowParts.h"
#include "core/DocumentModel.h"
#include "core/DocumentReloader.h"
#include "core/DocumentSaver.h"
#include "core/OpenPaths.h"
#include "core/Prompter.h"
#include "core/SessionRestorer.h"
#include "core/SessionStore.h"
#include "core/TagStore.h"

#include <QObject>
#include <QStringList>
#include <QUuid>
#include <optional>

class DiskWatcher;

// The documents as files: opening and creating them, their order in the
// sidebar, renaming and changing format. Saving and closing (DocumentSaver),
// encodings (DocumentEncodings), reading a file again (DocumentReloader) and
// rebuilding the last session (SessionRestorer) are its parts, on the same
// DocumentFlowParts.
// Questions go through the Prompter, file panels through the FileChooser,
// editors through the EditorLink. Main thread only; a flow's later steps do
// not run once the manager is gone.
class DocumentManager : public QObject {
    Q_OBJECT
public:
    // A file at least this large is read and decoded on a worker thread.
    static constexpr qint64 backgroundOpenBytes = DocumentReloader::backgroundBytes;

    DocumentManager(DocumentModel& docs, TagStore& tags, SessionStore& session, DiskWatcher& disk, Prompter& prompter,
                    QObject* parent = nullptr);
    ~DocumentManager() override;

    void setEditorLink(EditorLink* link) { parts_.editorLink = link; }
    void setFileChooser(FileChooser* chooser) { parts_.fileChooser = chooser; }
    FileChooser* fileChooser() const { return parts_.fileChooser; }
    void setPrompter(Prompter& prompter) { parts_.prompter = &prompter; }
    Prompter& prompter() const { return *parts_.prompter; }

    DocumentSaver& saver() { return saver_; }
    DocumentEncodings& encodings() { return encodings_; }
    DocumentReloader& reloader() { return reloader_; }
    const DocumentReloader& reloader() const { return reloader_; }
    SessionRestorer& restorer() { return restorer_; }

    const QList<DocPtr>& docs() const { return parts_.documents.docs(); }
    const std::optional<QUuid>& activeID() const { return parts_.documents.activeID(); }
    DocPtr active() const { return parts_.documents.active(); }
    DocPtr doc(QUuid id) const { return parts_.documents.doc(id); }
    // The open document of this file (paths compared in standard form).
    DocPtr docAt(const QString& path) const { return OpenPaths::find(docs(), path); }
    void setActiveID(std::optional<QUuid> id) { parts_.documents.setActiveID(id); }
    void activate(const DocPtr& doc);

    // ---- Opening and creating ----
    DocPtr open(const QString& path, bool quiet = false);
    // Opens files in order, as open() does; a large file is read and
    // decoded on a worker thread and its document appears when it is ready.
    void openFiles(const QStringList& paths);
    // Files on the worker thread that are not documents yet, the last
    // session's large ones included.
    int filesLoading() const { return int(loading_.size()) + restorer_.filesComing(); }
    void openPanel();
    void openRecent(const QString& path);
    DocPtr createDoc(const QString& name, const std::optional<QString>& pluginID, const QStringList& tags);

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

private:
    // Name, format and highlights follow a new name.
    void applyName(const DocPtr& doc, const QString& name);
    DocPtr finishOpen(const QString& target, Result<DocPtr> opened, bool quiet);
    // A picture or other binary file is not opened as text unless asked to
    // from the alert that says so; true when it was refused.
    bool refuseNotText(const QString& target, bool quiet);
    void load(LaneTask read) { reloader_.load(std::move(read)); }
    void offerLikelyEncoding(const DocPtr& doc) { encodings_.offerLikelyEncoding(doc); }

    // The stores' parts the flows use.
    void appendDoc(const DocPtr& doc) { parts_.documents.append(doc); }
    void watch(const DocPtr& doc) { parts_.session.watch(doc); }
    void persist() { parts_.session.persist(); }
    void persistSession() { parts_.session.persistSession(); }
    const QStringList& recent() const { return parts_.session.recent(); }
    void setRecent(QStringList recent) { parts_.session.setRecent(std::move(recent)); }
    void saveTags(const DocPtr& doc) { parts_.tags.saveTags(doc); }
    static QString standardPath(const QString& path) { return OpenPaths::standard(path); }

    DocumentFlowParts parts_;
    // Files being read for openFiles, in order.
    QStringList loading_;
    // Before the reloader, so that its read under way on the Load lane has finished before it goes.
    SessionRestorer restorer_{parts_, reloader_, [this](const QString& path) { return open(path, true); }};
    DocumentReloader reloader_{parts_};
    DocumentSaver saver_{parts_, reloader_};
    DocumentEncodings encodings_{parts_, reloader_, saver_};
};
