#pragma once

#include <QByteArray>
#include <functional>
#include <utility>

// Copies a buffer that may be edited between pieces into one byte array, a
// bounded piece at a time. What was copied before the first byte an edit
// touched is kept and the rest is copied again, so the bytes it ends with
// are the buffer as it was at its last piece, never a mix of two versions.
class PieceCopy {
public:
    struct Source {
        std::function<qsizetype()> length;
        // Copies `n` bytes starting at `from` into `out`.
        std::function<void(qsizetype from, qsizetype n, char* out)> copy;
        // The first byte an edit touched since the last call (the length
        // or more when none), forgetting it.
        std::function<qsizetype()> takeEditedFrom;
    };

    explicit PieceCopy(Source source) : source_(std::move(source)) {}

    // Copies up to `bytes` more; true once the copy is the whole buffer as
    // it is now.
    bool step(qsizetype bytes);
    QByteArray take() { return std::move(out_); }
    // Bytes known to match the buffer, from its start.
    qsizetype copied() const { return done_; }

private:
    Source source_;
    QByteArray out_;
    qsizetype done_ = 0;
};
