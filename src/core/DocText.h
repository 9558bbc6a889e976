#pragma once

#include "core/PieceCopy.h"
#include "core/TextBaseline.h"
#include "core/TextSink.h"
#include "text/TextCopy.h"

#include <QString>
#include <functional>
#include <memory>
#include <variant>
#include <vector>

class QObject;

// While an editor shows a document its buffer holds the live text: `pull`
// returns it and `length` its UTF-16 length. Edits only mark the text
// stale; the text is pulled when someone reads it.
struct LiveText {
    std::function<QString()> pull;
    std::function<qsizetype()> length;
    // The text up to the end of the given number of non-empty lines.
    std::function<QString(int)> leadingLines;
    // A copy of the buffer's UTF-8 bytes.
    std::function<QByteArray()> utf8;
    // The buffer's length in bytes.
    std::function<qsizetype()> byteLength;
    // Whether the buffer is at its save point (undo got back to it), and
    // making the present text the save point.
    std::function<bool()> atSavePoint;
    std::function<void()> setSavePoint;
    // Copies a range of the buffer's bytes, and the first byte edited
    // since the last call (see PieceCopy): for copies in pieces.
    std::function<void(qsizetype, qsizetype, char*)> copyBytes;
    std::function<qsizetype()> takeEditedFrom;
};

// A document's text in the one form it has now: a QString; UTF-8 bytes (a
// file read, or what a leaving editor held), converted only when someone
// asks for a QString; the buffer the loader built for an editor, until an
// editor takes it over; or an editor's own buffer, which is then the only
// copy, pulled on demand and let go again at the next turn of the event loop.
class DocText {
public:
    // Live buffers from this many bytes on are copied in pieces, and a text
    // of the baseline's length is compared with it only on a worker.
    static constexpr qsizetype pieceCopyFrom = qsizetype(8) << 20;

    // `context` runs what waits for the event loop: dropping a pulled copy,
    // copying a long buffer in pieces.
    DocText(QObject* context, QString text);
    ~DocText();
    DocText(const DocText&) = delete;
    DocText& operator=(const DocText&) = delete;

    // The text as a file was read into `sink`: a byte array is kept as its
    // bytes, an editor's buffer until an editor takes it over.
    void takeRead(std::shared_ptr<TextSink> sink);
    // Another text; a live editor is brought along by whoever shows it.
    void replace(const QString& text);
    // The editor's buffer holds the text from here on; `atBaseline`: it is
    // the baseline's text, so the editor's save point is the baseline.
    void attach(LiveText live, bool atBaseline);
    // Keeps the editor's bytes as they are and stops following it.
    void detach();
    // The editor's buffer changed; false when no editor holds the text.
    bool edited();
    // The baseline moved away from what the editor last saved.
    void forgetSavePoint();

    bool isLive() const { return std::holds_alternative<Live>(form_); }
    // Live, and not pulled in this turn of the event loop.
    bool isStale() const;
    // The buffer the loader built, until an editor takes it over.
    const std::shared_ptr<TextSink>& loaded() const;

    const QString& text() const;
    // The text for a worker thread to convert: the bytes copied or shared,
    // or the QString shared; neither converts it here.
    TextCopy copy() const;
    // The same, handed to `ready` once a long live buffer is copied in pieces.
    void withCopy(std::function<void(TextCopy)> ready);
    bool copiesInPieces() const;
    // At least the text up to the end of `lines` non-empty lines; a live
    // buffer is not pulled whole for it.
    QString leadingText(int lines) const;
    // Whether the text differs from `baseline`; `confirmed`: a worker found
    // the live text's present revision equal to it.
    bool differsFrom(const TextBaseline& baseline, bool confirmed) const;
    // The text as it is now as a baseline; an editor's save point moves to it.
    TextBaseline save();

private:
    struct Held {};
    struct Bytes {
        QByteArray utf8;
    };
    struct Read {
        std::shared_ptr<TextSink> sink;
    };
    struct Live {
        LiveText editor;
        bool stale = true;
        // The editor's save point holds the baseline's text.
        bool savePoint = false;
    };
    void holdBytes(QByteArray utf8);
    void copyPieces();
    void handOverCopy(TextCopy done);

    QObject* context_;
    mutable std::variant<Held, Bytes, Read, Live> form_;
    // Held: the text. Read: the text decoded, once asked for. Live: the copy
    // pulled in this turn.
    mutable QString text_;
    mutable bool dropQueued_ = false;
    std::unique_ptr<PieceCopy> copying_;
    std::vector<std::function<void(TextCopy)>> waitingForCopy_;
};
