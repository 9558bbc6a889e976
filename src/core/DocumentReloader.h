#pragma once

#include "core/Doc.h"
#include "core/DocumentFlowParts.h"

#include "text/WorkLanes.h"

#include <QObject>
#include <functional>
#include <memory>
#include <optional>

// Reads an open document's file again: when another program changed it and
// nothing here is unsaved, when the user takes the disk version instead of
// theirs, or in another encoding. A large file is read on the Load lane,
// which opening shares so that files arrive in the order they were asked for.
// Main thread only; a read that ends after the reloader is gone does nothing.
class DocumentReloader : public QObject {
    Q_OBJECT
public:
    // A file at least this large is read and decoded on the Load lane.
    static constexpr qint64 backgroundBytes = 4 << 20;
    // Gets the error, or nothing once the text and its editor hold the file.
    using ReadDone = std::function<void(std::optional<QString>)>;

    explicit DocumentReloader(DocumentFlowParts& parts, QObject* parent = nullptr);
    ~DocumentReloader() override;

    // Replaces the text with the file read again in that encoding, as
    // opening reads it.
    void readAgain(const DocPtr& doc, TextEncoding encoding, ReadDone done);
    // Drops the unsaved edits for what the file holds now.
    void loadDiskVersion(const DocPtr& doc);
    // Reads of large files still on the Load lane.
    int filesReading() const { return reading_; }
    // Queues a read of this workspace's on the Load lane, after those asked for before.
    void load(LaneTask read);

private:
    void reloadChanged(const DocPtr& doc);

    DocumentFlowParts& parts_;
    int reading_ = 0;
    // This workspace's reads: the one under way ends before the workspace does.
    CancelToken reads_;
};
