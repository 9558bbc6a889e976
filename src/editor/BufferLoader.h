#pragma once

#include "core/TextSink.h"

#include <QPointer>
#include <cstddef>

class QsciScintillaBase;

// Scintilla's loader interface as its ILoader.h declares it (an installed
// QScintilla does not ship that header). Not in an anonymous namespace: the
// compiler would take it for a class nothing implements.
class ILoader {
public:
    virtual int Release() = 0;
    virtual int AddData(const char* data, std::ptrdiff_t length) = 0;
    virtual void* ConvertToDocument() = 0;
};

// A Scintilla document filled on the reading thread through Scintilla's
// loader, for an editor to take over whole: the main thread only attaches
// it. Made and dropped on the main thread; filled on one other thread.
class BufferLoader final : public TextSink {
public:
    // `maker` and `copier` are hidden editors: the first creates the loader
    // on the reading thread (sizing the buffer costs a pass over its memory),
    // the second lends its view to copy the text out on the main thread.
    BufferLoader(QsciScintillaBase* maker, QsciScintillaBase* copier, qsizetype bytes, bool styled);
    ~BufferLoader() override;
    BufferLoader(const BufferLoader&) = delete;
    BufferLoader& operator=(const BufferLoader&) = delete;

    // Room left after the text for what is typed, so the first key does
    // not move the whole buffer to a bigger one.
    static constexpr qsizetype typingRoom = qsizetype(1) << 20;

    bool append(QByteArrayView utf8) override;
    qsizetype size() const override { return bytes_; }
    QByteArray utf8() const override;

    // The document, for SCI_SETDOCPOINTER; the loader keeps its own reference.
    void* document() const;
    bool styled() const { return styled_; }
    qsizetype utf16Length() const { return units_; }
    qsizetype longestLine() const { return longest_; }

private:
    QPointer<QsciScintillaBase> maker_;
    QPointer<QsciScintillaBase> copier_;
    qsizetype expected_;
    void* loader_ = nullptr;
    bool styled_;
    qsizetype bytes_ = 0;
    qsizetype units_ = 0;
    qsizetype longest_ = 0;
    qsizetype lineSoFar_ = 0;
};
