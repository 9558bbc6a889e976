#pragma once

#include "core/Doc.h"
#include "core/DocumentFlowParts.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QUuid>
#include <functional>
#include <optional>

class DocumentReloader;

// Writing documents to their files and letting them go: save, save as, save
// all, close (asking to save an unsaved one first) and quitting with unsaved
// documents. Main thread only; an answer given after the saver is gone does
// nothing.
class DocumentSaver : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(bool)>;

    DocumentSaver(DocumentFlowParts& parts, DocumentReloader& reloader, QObject* parent = nullptr);
    ~DocumentSaver() override;

    void save(const DocPtr& doc, bool asNew = false, Done then = {});
    void saveAs(const DocPtr& doc, Done then = {});
    // `written`: the file's stamp as the write left it.
    void finishSave(const DocPtr& doc, const QString& path, std::optional<FileStamp> written = std::nullopt);
    // Saves every unsaved document in sidebar order; a cancel stops the rest.
    void saveAll(Done then = {});
    void close(const DocPtr& doc, Done then = {});
    // Closes the documents one after the other, asking about each unsaved
    // one; a cancelled question stops the rest.
    void closeEach(QList<DocPtr> docs, Done then = {});
    // Takes the document out of the workspace without asking.
    void remove(const DocPtr& doc);
    void confirmQuit(Done completion);
    // "." and the extension, or "无后缀".
    static QString label(const QString& name);

signals:
    // The document left the workspace (its row is already gone).
    void removed(QUuid docID);

private:
    std::optional<QString> writeDoc(const DocPtr& doc, const QString& path, std::optional<FileStamp>& written);
    void writeInPlace(const DocPtr& doc, Done then);
    void saveAsTo(const DocPtr& doc, const QString& path, Done then);
    void overwrite(const DocPtr& doc, Done then);
    void overwriteAnyway(const DocPtr& doc, Done then);
    void askOverDisk(const DocPtr& doc, std::function<void()> proceed, Done then);
    DocPtr openElsewhere(const QString& path, const DocPtr& except) const;
    void quitStep(QList<DocPtr> pending, Done completion);

    DocumentFlowParts& parts_;
    DocumentReloader& reloader_;
};
