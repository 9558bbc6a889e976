#pragma once

#include "core/Doc.h"
#include "core/DocumentFlowParts.h"

#include <QObject>
#include <QThreadPool>
#include <functional>
#include <memory>
#include <optional>

// Reads an open document's file again: when another program changed it and
// nothing here is unsaved, when the user takes the disk version instead of
// theirs, or in another encoding. A large file is read on the loader thread,
// which opening shares so that files arrive in the order they were asked for.
// Main thread only; a read that ends after the reloader is gone does nothing.
class DocumentReloader : public QObject {
    Q_OBJECT
public:
    // A file at least this large is read and decoded on the loader thread.
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
    // Reads of large files still on the loader thread.
    int filesReading() const { return reading_; }
    QThreadPool& loader();

private:
    void reloadChanged(const DocPtr& doc);

    DocumentFlowParts& parts_;
    int reading_ = 0;
    // Last, so that it is gone (its reads finished) before anything it reports to.
    std::unique_ptr<QThreadPool> loader_;
};
