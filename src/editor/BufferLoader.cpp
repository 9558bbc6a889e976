#include "editor/BufferLoader.h"

#include "editor/CodeTextView.h"
#include "text/UnitCounts.h"

#include <Qsci/qsciscintillabase.h>
#include <cstddef>
#include <cstring>
#include <mutex>

namespace {

ILoader* asLoader(void* p) { return static_cast<ILoader*>(p); }

}

BufferLoader::BufferLoader(QsciScintillaBase* maker, QsciScintillaBase* copier, qsizetype bytes, bool styled)
    : maker_(maker), copier_(copier), expected_(bytes), styled_(styled)
{
}

BufferLoader::~BufferLoader()
{
    // An editor that attached the document holds its own reference.
    if (loader_)
        asLoader(loader_)->Release();
}

bool BufferLoader::append(QByteArrayView utf8)
{
    if (!loader_ && maker_) {
        // Making a loader touches nothing of the maker's own state (an
        // engine patch sees to that), so reading threads may use it.
        static std::mutex making;
        std::lock_guard lock(making);
        loader_ = reinterpret_cast<void*>(maker_->SendScintilla(
            QsciScintillaBase::SCI_CREATELOADER, uintptr_t(std::max(expected_, utf8.size()) + typingRoom),
            long(styled_ ? QsciScintillaBase::SC_DOCUMENTOPTION_DEFAULT
                         : QsciScintillaBase::SC_DOCUMENTOPTION_STYLES_NONE)));
    }
    if (!loader_ || asLoader(loader_)->AddData(utf8.data(), std::ptrdiff_t(utf8.size())) != 0)
        return false;
    bytes_ += utf8.size();
    units_ += UnitCounts::utf16Units(utf8);
    // The longest line, for the editor's long-line display.
    const char* p = utf8.data();
    const char* end = p + utf8.size();
    while (const auto* nl = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)))) {
        longest_ = std::max(longest_, lineSoFar_ + (nl - p));
        lineSoFar_ = 0;
        p = nl + 1;
    }
    lineSoFar_ += end - p;
    longest_ = std::max(longest_, lineSoFar_);
    return true;
}

void* BufferLoader::document() const
{
    if (!loader_ && maker_)
        // Nothing was read: an empty document.
        const_cast<BufferLoader*>(this)->append(QByteArrayView());
    return loader_ ? asLoader(loader_)->ConvertToDocument() : nullptr;
}

QByteArray BufferLoader::utf8() const
{
    if (!copier_ || !loader_)
        return QByteArray("");
    // Shown for a moment in the hidden editor, which keeps nothing of it.
    copier_->SendScintilla(QsciScintillaBase::SCI_SETDOCPOINTER, 0, document());
    const auto* p = reinterpret_cast<const char*>(copier_->SendScintilla(QsciScintillaBase::SCI_GETCHARACTERPOINTER));
    QByteArray out(p ? p : "", p ? bytes_ : 0);
    const long empty = copier_->SendScintilla(QsciScintillaBase::SCI_CREATEDOCUMENT, 0,
                                              long(QsciScintillaBase::SC_DOCUMENTOPTION_STYLES_NONE));
    copier_->SendScintilla(QsciScintillaBase::SCI_SETDOCPOINTER, 0, empty);
    copier_->SendScintilla(QsciScintillaBase::SCI_RELEASEDOCUMENT, 0, empty);
    return out;
}
