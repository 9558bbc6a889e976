#pragma once

#include "core/Doc.h"
#include "core/DocSnapshot.h"
#include "core/DocumentFlowParts.h"
#include "core/SessionItem.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QUuid>
#include <functional>
#include <optional>

class DocumentReloader;

// Rebuilds the last session: the stored tags, recent files and settings, then
// its documents. A large file or snapshot is read on the Load lane, in
// turn with the files being opened, and its document joins when it is ready;
// the one that was active comes back active unless the user chose another
// meanwhile. Main thread only; a read that ends after it is gone does nothing.
class SessionRestorer : public QObject {
    Q_OBJECT
public:
    // Opens a file without asking or telling anything.
    using OpenQuietly = std::function<DocPtr(const QString&)>;

    SessionRestorer(DocumentFlowParts& parts, DocumentReloader& reloader, OpenQuietly open, QObject* parent = nullptr);
    ~SessionRestorer() override;

    // The stored tags, recent files and settings, then the last session's documents.
    void restore();
    void restoreSession();

    // Items still being read (standard paths, or empty for a snapshot
    // without a file).
    int filesComing() const { return int(later_.size()); }
    // When this file is still being read, it is shown once it comes (unless
    // another document is chosen meanwhile); false when it is not coming.
    bool showWhenComing(const QString& standardPath);

private:
    // A session item with a large file or snapshot is read on the Load
    // lane; false leaves it to be restored at once.
    bool restoreLater(const SessionItem& item);
    void settleLater(const SessionItem& item, std::optional<DocSnapshot> snapshot,
                     std::optional<Result<Doc::Loaded>> read);
    // The document to make active when it arrives, unless another was chosen
    // since `activeThen` was.
    void await(const QString& path);
    void keepChosen();

    DocumentFlowParts& parts_;
    DocumentReloader& reloader_;
    OpenQuietly open_;
    QStringList later_;
    struct Awaited {
        QString path;
        std::optional<QUuid> activeThen;
    };
    std::optional<Awaited> awaited_;
};
