#include "editor/CodeTextView.h"

#include "editor/BufferLoader.h"
#include "editor/EditorKeys.h"
#include "editor/LineNumberRuler.h"
#include "editor/Palette.h"
#include "editor/UndoSteps.h"
#include "text/LineEnding.h"
#include "text/TextCopy.h"
#include "text/UnitCounts.h"
#include "text/Utf8Slices.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <cstring>
#include <limits>
#include <sys/mman.h>

namespace {

constexpr int matchIndicator = 8;  // the first indicator free for containers
constexpr int currentIndicator = 9;
constexpr int errorMarker = 0;
// The engine's own message (third_party/qscintilla, patch 0008): lines are
// laid out and shown up to this many bytes. Debian's engine ignores it.
#ifdef LORVANE_SYSTEM_QSCINTILLA
constexpr unsigned sciSetLayoutLimit = 9500;
#else
constexpr unsigned sciSetLayoutLimit = QsciScintillaBase::SCI_SETLAYOUTLIMIT;
#endif

}

bool CodeTextView::hasLongLine(QStringView text)
{
    // A UTF-16 unit takes one to three bytes: only lines that could be
    // long are counted.
    for (qsizetype from = 0; from < text.size();) {
        qsizetype end = text.indexOf(u'\n', from);
        if (end < 0)
            end = text.size();
        const qsizetype units = end - from;
        if (units > longLine || (units * 3 > longLine && UnitCounts::utf8Bytes(text.sliced(from, units)) > longLine))
            return true;
        from = end + 1;
    }
    return false;
}

bool CodeTextView::hasLongLine(QByteArrayView utf8)
{
    for (qsizetype from = 0; from < utf8.size();) {
        qsizetype end = utf8.indexOf('\n', from);
        if (end < 0)
            end = utf8.size();
        if (end - from > longLine)
            return true;
        from = end + 1;
    }
    return false;
}

bool CodeTextView::caretLineIsLong() const
{
    const long line = send(SCI_LINEFROMPOSITION, send(SCI_GETCURRENTPOS));
    return send(SCI_GETLINEENDPOSITION, line) - send(SCI_POSITIONFROMLINE, line) > longLine;
}

namespace {

// QScintilla's accessible text interface converts the caret position from
// the start of the text on every update; a large text gets the plain widget
// interface instead, and small texts keep the full one.
QAccessibleInterface* accessibleFor(const QString&, QObject* object)
{
    auto* view = qobject_cast<CodeTextView*>(object);
    if (view && view->byteLength() >= CodeTextView::quietThreshold)
        return new QAccessibleWidget(view, QAccessible::EditableText);
    return nullptr;
}

// Scintilla colours are 0xBBGGRR.
long bgr(const QColor& c) { return long(c.red()) | long(c.green()) << 8 | long(c.blue()) << 16; }

}

CodeTextView::CodeTextView(QWidget* parent) : QsciScintillaBase(parent), caretColor(Palette::accent().resolve())
{
    setFrameShape(QFrame::NoFrame);
    // Installed after QScintilla's own factory, so it is asked first.
    static const bool factory = (QAccessible::installFactory(accessibleFor), true);
    Q_UNUSED(factory);
    // A document without style bytes: plain text needs none, and they would
    // cost one byte per byte of text.
    const long document = send(SCI_CREATEDOCUMENT, 0, SC_DOCUMENTOPTION_STYLES_NONE);
    send(SCI_SETDOCPOINTER, 0, document);
    send(SCI_RELEASEDOCUMENT, 0, document);
    send(SCI_SETCODEPAGE, SC_CP_UTF8);
    send(SCI_SETEOLMODE, SC_EOL_LF);
    send(SCI_SETPASTECONVERTENDINGS, 1);
    send(SCI_USEPOPUP, 0);
    for (int m = 0; m < 5; ++m)
        send(SCI_SETMARGINWIDTHN, m, 0);
    send(SCI_SETMARGINLEFT, 0, 6);
    send(SCI_SETMARGINRIGHT, 0, 6);
    send(SCI_SETCARETWIDTH, 2);
    EditorKeys::install(this);
    send(SCI_SETMULTIPLESELECTION, 0);
    send(SCI_SETMOUSESELECTIONRECTANGULARSWITCH, 0);
    send(SCI_SETLAYOUTCACHE, SC_CACHE_PAGE);
    // Measured pieces of text are reused across lines and edits; a long
    // line of short tokens (minified JSON) needs far more than the default
    // 1,024 of them.
    send(SCI_SETPOSITIONCACHE, 16384);
    send(sciSetLayoutLimit, longLine);
    send(SCI_SETSCROLLWIDTH, 1);
    send(SCI_SETSCROLLWIDTHTRACKING, 1);
    send(SCI_SETWRAPMODE, SC_WRAP_NONE);
    send(SCI_SETIDLESTYLING, SC_IDLESTYLING_NONE);
    // Typing keeps the caret a few lines from the edges.
    send(SCI_SETYCARETPOLICY, CARET_SLOP | CARET_EVEN, 2);
    send(SCI_SETXCARETPOLICY, CARET_SLOP | CARET_EVEN, 40);

    send(SCI_INDICSETSTYLE, matchIndicator, INDIC_STRAIGHTBOX);
    send(SCI_INDICSETSTYLE, currentIndicator, INDIC_STRAIGHTBOX);
    for (int i : {matchIndicator, currentIndicator}) {
        send(SCI_INDICSETUNDER, i, 1);
        send(SCI_INDICSETOUTLINEALPHA, i, 0);
    }
    send(SCI_MARKERDEFINE, errorMarker, SC_MARK_BACKGROUND);
    send(SCI_INDICSETSTYLE, spanIndicator, INDIC_STRAIGHTBOX);
    send(SCI_INDICSETUNDER, spanIndicator, 1);
    send(SCI_INDICSETOUTLINEALPHA, spanIndicator, 0);

    ruler_ = new LineNumberRuler(this);
    undoSteps_ = new UndoSteps(this);
    TypingAids::install(*this);
    applyIndent();
    setViewportMargins(ruler_->width(), 0, 0, 0);
    connect(ruler_, &LineNumberRuler::widthChanged, this, [this](int w) {
        setViewportMargins(w, 0, 0, 0);
        const QRect cr = contentsRect();
        ruler_->setGeometry(QRect(cr.left(), cr.top(), w, cr.height()));
    });
    connect(this, &QsciScintillaBase::SCN_MODIFIED, this,
            [this](int position, int type, const char* text, int length, int, int, int, int, int, int) {
                onModified(position, type, text, length);
            });
    // The engine has selected its own idea of a word by then.
    connect(this, &QsciScintillaBase::SCN_DOUBLECLICK, this,
            [this](int, int, int) { selectWordAt(send(SCI_CHARPOSITIONFROMPOINT, lastPress_.x(), lastPress_.y())); });
    connect(this, &QsciScintillaBase::SCN_UPDATEUI, this, [this](int updated) {
        if (updated & (SC_UPDATE_V_SCROLL | SC_UPDATE_CONTENT)) {
            ruler_->sync();
            paintMatches();
        }
    });
    connect(this, &QsciScintillaBase::SCN_ZOOM, ruler_, qOverload<>(&QWidget::update));
    updateEventMask();
}

CodeTextView::~CodeTextView() = default;

// ---- Change tracking ----

void CodeTextView::onModified(int position, int type, const char* text, int length)
{
    const bool insert = type & SC_MOD_BEFOREINSERT;
    if (!insert && !(type & SC_MOD_BEFOREDELETE))
        return;
    if (loading_) {
        editedFrom_ = std::min<qsizetype>(editedFrom_, position);
        return;
    }
    countPendingInsert();
    if (insert) {
        if (text) {
            utf16Length_ += UnitCounts::utf16Units(QByteArrayView(text, length));
        } else {
            // Typed text comes without its bytes: they are counted where
            // they landed, before anything else changes.
            pendingPos_ = position;
            pendingLen_ = length;
        }
    } else {
        const auto* p = reinterpret_cast<const char*>(send(SCI_GETRANGEPOINTER, position, length));
        utf16Length_ -= p ? UnitCounts::utf16Units(QByteArrayView(p, length)) : 0;
    }
    if (compositionChange(position, type, length))
        return;
    editedFrom_ = std::min<qsizetype>(editedFrom_, position);
    if (!editingCarets_)
        foreignChange_ = true;
    if (!changed_) {
        changed_ = true;
        // Edits that reach Scintilla outside this widget's events are
        // reported from the event loop.
        QMetaObject::invokeMethod(this, &CodeTextView::finishChange, Qt::QueuedConnection);
    }
}

int CodeTextView::length() const
{
    countPendingInsert();
    return int(utf16Length_ - preedit_.units);
}

void CodeTextView::countPendingInsert() const
{
    if (pendingPos_ < 0)
        return;
    const auto* p = reinterpret_cast<const char*>(send(SCI_GETRANGEPOINTER, pendingPos_, pendingLen_));
    utf16Length_ += p ? UnitCounts::utf16Units(QByteArrayView(p, pendingLen_)) : 0;
    pendingPos_ = -1;
}

void CodeTextView::finishChange()
{
    if (!changed_)
        return;
    changed_ = false;
    countPendingInsert();
    if (foreignChange_) {
        foreignChange_ = false;
        // An edit the carets did not make (undo, a replacement from outside)
        // leaves their positions meaningless.
        if (carets_ && !editingCarets_)
            clearCarets();
    }
    updateEventMask();
    matchesStale_ = true;
    ruler_->sync();
    if (onTextChange)
        onTextChange();
    checkSelection();
}

void CodeTextView::checkSelection()
{
    const long caret = send(SCI_GETCURRENTPOS);
    const long anchor = send(SCI_GETANCHOR);
    if (caret == seenCaret_ && anchor == seenAnchor_)
        return;
    seenCaret_ = caret;
    seenAnchor_ = anchor;
    if (onSelectionChange)
        onSelectionChange();
}

CodeTextView::QuietEdits::QuietEdits(CodeTextView* v) : view(v), mask(v->send(SCI_GETMODEVENTMASK))
{
    v->send(SCI_SETMODEVENTMASK, SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE);
}

CodeTextView::QuietEdits::~QuietEdits() { view->send(SCI_SETMODEVENTMASK, mask); }

void CodeTextView::updateEventMask()
{
    const bool quiet = byteLength() >= quietThreshold;
    if (quiet == quiet_)
        return;
    quiet_ = quiet;
    // The accessible interface is chosen by size when it is created.
    if (QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(this))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(iface));
    // The "before" notifications carry everything the deltas need; the
    // others stay on for small texts, where screen readers can afford them.
    send(SCI_SETMODEVENTMASK, quiet ? (SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE) : SC_MODEVENTMASKALL);
}

// ---- Text ----

qsizetype CodeTextView::byteLength() const { return bufferBytes() - preedit_.bytes; }

void CodeTextView::setPlainText(const QString& text)
{
    load(UnitCounts::utf8Bytes(text), text.size(), [&] {
        // Filled in pieces of a few megabytes: no second full-size UTF-8
        // copy of the text.
        forEachUtf8Slice(text, 4 << 20, [&](const QByteArray& chunk) {
            SendScintilla(SCI_APPENDTEXT, uintptr_t(chunk.size()), chunk.constData());
        });
    });
}

void CodeTextView::setUtf8(const QByteArray& bytes)
{
    load(bytes.size(), UnitCounts::utf16Units(bytes),
         [&] { SendScintilla(SCI_APPENDTEXT, uintptr_t(bytes.size()), bytes.constData()); });
}

void CodeTextView::adopt(const BufferLoader& buffer)
{
    const bool ro = isReadOnly();
    releaseIndex();
    send(SCI_SETDOCPOINTER, 0, long(reinterpret_cast<intptr_t>(buffer.document())));
    // Code page, line ends and tabs belong to the buffer.
    send(SCI_SETCODEPAGE, SC_CP_UTF8);
    send(SCI_SETEOLMODE, SC_EOL_LF);
    applyIndent();
    styleBytes_ = buffer.styled();
    loaded(buffer.utf16Length(), ro);
}

void CodeTextView::load(qsizetype bytes, qsizetype units, const std::function<void()>& fill)
{
    const bool ro = isReadOnly();
    releaseIndex();
    send(SCI_SETREADONLY, 0);
    send(SCI_SETUNDOCOLLECTION, 0);
    editingCarets_ = true;  // loading is no foreign edit to report
    loading_ = true;        // and its length is known: nothing to count
    {
        QuietEdits quiet(this);
        send(SCI_CLEARALL);
        // Room for the whole text at once.
        send(SCI_ALLOCATE, bytes + 1);
        fill();
    }
    editingCarets_ = false;
    loading_ = false;
    loaded(units, ro);
}

void CodeTextView::loaded(qsizetype units, bool ro)
{
    send(SCI_EMPTYUNDOBUFFER);
    send(SCI_SETUNDOCOLLECTION, 1);
    send(SCI_SETSAVEPOINT);
    send(SCI_SETREADONLY, ro);
    utf16Length_ = units;
    editedFrom_ = 0;  // the buffer may have been swapped whole
    pendingPos_ = -1;
    changed_ = false;
    foreignChange_ = false;
    paintedCount_ = 0;
    matchesStale_ = true;
    updateEventMask();
    // At the start without scrolling the caret into view, which would lay
    // out the first line before the view has its font.
    send(SCI_SETEMPTYSELECTION, 0);
    send(SCI_SETFIRSTVISIBLELINE, 0);
    send(SCI_SETXOFFSET, 0);
    ruler_->sync();
    checkSelection();
}

void CodeTextView::replaceWhole(const QString& text) { replaceWholeUtf8(text.toUtf8()); }

void CodeTextView::replaceWholeUtf8(const QByteArray& bytes)
{
    if (isReadOnly())
        return;
    // The caret and the scroll position stay where they were.
    const int caret = cursorPosition();
    const long firstVisible = send(SCI_GETFIRSTVISIBLELINE);
    // Rebuilding the position index afterwards is cheaper than keeping it
    // up to date through a whole-text edit.
    releaseIndex();
    {
        QuietEdits quiet(this);
        send(SCI_BEGINUNDOACTION);
        send(SCI_SETTARGETRANGE, 0, bufferBytes());
        SendScintilla(SCI_REPLACETARGET, uintptr_t(bytes.size()), bytes.constData());
        send(SCI_ENDUNDOACTION);
    }
    finishChange();
    setCursorPosition(std::min(caret, length()));
    send(SCI_SETFIRSTVISIBLELINE, firstVisible);
}

void CodeTextView::replaceRange(int start, int length, const QString& text)
{
    if (isReadOnly())
        return;
    const qsizetype from = toByte(start);
    const qsizetype to = toByte(start + length);
    const QByteArray bytes = text.toUtf8();
    send(SCI_BEGINUNDOACTION);
    send(SCI_SETTARGETRANGE, from, to);
    SendScintilla(SCI_REPLACETARGET, uintptr_t(bytes.size()), bytes.constData());
    send(SCI_ENDUNDOACTION);
    finishChange();
}

QString CodeTextView::text() const { return decodeBuffer(0, bufferBytes()); }

QString CodeTextView::decodeBuffer(qsizetype from, qsizetype to) const
{
    if (to <= from)
        return QString();
    const qsizetype pf = preedit_.from;
    if (pf >= 0 && from <= pf && pf < to) {
        // The composition is cut out of a copy.
        const qsizetype end = std::max(pf, to - preedit_.bytes);
        QByteArray bytes(end - from, Qt::Uninitialized);
        copyBufferBytes(from, pf - from, bytes.data());
        copyBufferBytes(pf + preedit_.bytes, end - pf, bytes.data() + (pf - from));
        return TextCopy::decode(bytes);
    }
    const auto* p = reinterpret_cast<const char*>(send(SCI_GETRANGEPOINTER, from, to - from));
    return p ? TextCopy::decode(QByteArrayView(p, to - from)) : QString();
}

namespace {

// Faulting in a long copy page by page costs several times the copying
// itself; huge pages take that out of the main thread's turn. Only sizes
// the allocator always maps on their own, so no shared heap is marked.
void preferHugePages(QByteArray& bytes)
{
    constexpr quintptr huge = quintptr(2) << 20;
    if (bytes.size() < 32 * 1024 * 1024)
        return;
    const auto begin = quintptr(bytes.data());
    const quintptr first = (begin + huge - 1) & ~(huge - 1);
    const quintptr last = (begin + quintptr(bytes.size())) & ~(huge - 1);
    if (last > first)
        ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

}

QByteArray CodeTextView::utf8() const
{
    const qsizetype n = byteLength();
    QByteArray out(n, Qt::Uninitialized);
    preferHugePages(out);
    copyBytes(0, n, out.data());
    return out;
}

void CodeTextView::copyBytes(qsizetype from, qsizetype n, char* out) const
{
    const qsizetype pf = preedit_.from;
    if (pf < 0 || from + n <= pf) {
        copyBufferBytes(from, n, out);
        return;
    }
    // Text bytes after the composition sit behind it in the buffer.
    const qsizetype head = std::clamp<qsizetype>(pf - from, 0, n);
    copyBufferBytes(from, head, out);
    copyBufferBytes(std::max(from, pf) + preedit_.bytes, n - head, out + head);
}

void CodeTextView::copyBufferBytes(qsizetype from, qsizetype n, char* out) const
{
    // Copied on each side of the buffer's gap: asking for one pointer
    // across it would move the gap first.
    const qsizetype end = std::min(from + n, bufferBytes());
    const qsizetype gap = std::clamp<qsizetype>(send(SCI_GETGAPPOSITION), from, std::max(from, end));
    for (const auto& [at, to] : {std::pair(from, gap), std::pair(gap, end)}) {
        if (to <= at)
            continue;
        const auto* p = reinterpret_cast<const char*>(send(SCI_GETRANGEPOINTER, at, to - at));
        if (p)
            std::memcpy(out + (at - from), p, size_t(to - at));
        else
            std::memset(out + (at - from), 0, size_t(to - at));
    }
}

qsizetype CodeTextView::takeEditedFrom() { return std::exchange(editedFrom_, std::numeric_limits<qsizetype>::max()); }

QString CodeTextView::leadingLines(int count) const
{
    const qsizetype lines = send(SCI_GETLINECOUNT);
    qsizetype end = 0;
    for (qsizetype line = 0; line < lines && count > 0; ++line) {
        const qsizetype start = send(SCI_POSITIONFROMLINE, line);
        end = send(SCI_GETLINEENDPOSITION, line);
        count -= end > start;
    }
    return decodeBuffer(0, end);
}

QString CodeTextView::textIn(int start, int length) const
{
    if (length <= 0)
        return QString();
    return decodeBuffer(toByte(start), toByte(start + length));
}

void CodeTextView::undo()
{
    cancelComposition();
    clearCarets();
    undoSteps_->interrupt();
    send(SCI_UNDO);
    finishChange();
}

void CodeTextView::redo()
{
    cancelComposition();
    clearCarets();
    undoSteps_->interrupt();
    send(SCI_REDO);
    finishChange();
}

void CodeTextView::cut()
{
    if (!anchors_.empty()) {
        copy();
        if (!isReadOnly())
            multiInsert(QString());
        return;
    }
    clearCarets();
    send(SCI_CUT);
    finishChange();
}

void CodeTextView::copy()
{
    if (anchors_.empty()) {
        send(SCI_COPY);
        return;
    }
    // Each caret's selection on a line of its own.
    QStringList pieces;
    for (const Span& s : spans())
        if (!s.empty())
            pieces << textIn(s.start(), s.end() - s.start());
    QApplication::clipboard()->setText(pieces.join(u'\n'));
}

void CodeTextView::deleteSelection()
{
    if (isReadOnly() || !hasSelectedText())
        return;
    if (carets_) {
        multiInsert(QString());
        return;
    }
    send(SCI_CLEAR);
    finishChange();
}

void CodeTextView::paste()
{
    QClipboard* cb = QApplication::clipboard();
    pasteMime(cb ? cb->mimeData() : nullptr);
}

void CodeTextView::selectAll()
{
    clearCarets();
    send(SCI_SELECTALL);
}

bool CodeTextView::canUndo() const { return composing() ? preedit_.couldUndo : send(SCI_CANUNDO) != 0; }
bool CodeTextView::canRedo() const { return !composing() && send(SCI_CANREDO) != 0; }
bool CodeTextView::isModified() const { return composing() ? preedit_.modifiedBefore : bool(send(SCI_GETMODIFY)); }
void CodeTextView::setReadOnly(bool ro) { send(SCI_SETREADONLY, ro); }
bool CodeTextView::isReadOnly() const { return send(SCI_GETREADONLY); }

void CodeTextView::pasteMime(const QMimeData* source)
{
    // A screenshot comes as a picture alone; a picture with text (copied from a page) pastes its text.
    if (source && !source->hasText() && source->hasImage()) {
        if (onImagePaste && !isReadOnly())
            onImagePaste(qvariant_cast<QImage>(source->imageData()));
        return;
    }
    if (!source || !source->hasText())
        return;
    if (carets_) {
        multiPaste(source->text());
        return;
    }
    insertAtCaret(source->text());
}

void CodeTextView::insertAtCaret(const QString& text)
{
    if (isReadOnly())
        return;
    if (carets_)
        clearCarets();
    const QByteArray bytes = LineEnding::normalize(text).toUtf8();
    send(SCI_BEGINUNDOACTION);
    SendScintilla(SCI_REPLACESEL, bytes.constData());
    send(SCI_ENDUNDOACTION);
    finishChange();
}

void CodeTextView::placeCaretAt(const QPoint& viewportPoint)
{
    if (carets_)
        clearCarets();
    send(SCI_SETEMPTYSELECTION, send(SCI_POSITIONFROMPOINT, viewportPoint.x(), viewportPoint.y()));
}

QByteArray CodeTextView::fromMimeData(const QMimeData* source, bool& rectangular) const
{
    // Pasted and dropped text never brings carriage returns into the buffer.
    rectangular = false;
    return LineEnding::normalize(source->text()).toUtf8();
}

// ---- Positions ----

void CodeTextView::releaseIndex()
{
    if (indexed_)
        send(SCI_RELEASELINECHARACTERINDEX, SC_LINECHARACTERINDEX_UTF16);
    indexed_ = false;
}

void CodeTextView::ensureIndex() const
{
    if (indexed_)
        return;
    // Built once on first use and kept up to date by Scintilla on every edit.
    send(SCI_ALLOCATELINECHARACTERINDEX, SC_LINECHARACTERINDEX_UTF16);
    indexed_ = true;
}

qsizetype CodeTextView::toByte(int pos) const { return unitsToByte(bufferUnits(pos)); }

int CodeTextView::toUtf16(qsizetype byte) const { return textUnits(byteToUnits(byte)); }

qsizetype CodeTextView::bufferUnits(qsizetype pos) const
{
    // A position at the composition is before it: typing goes there.
    return composing() && pos > preedit_.at ? pos + preedit_.units : pos;
}

int CodeTextView::textUnits(qsizetype units) const
{
    if (!composing() || units <= preedit_.at)
        return int(units);
    return int(std::max(preedit_.at, units - preedit_.units));
}

qsizetype CodeTextView::unitsToByte(qsizetype pos) const
{
    // The two ends need no index (it costs a pass over the text to build).
    countPendingInsert();
    if (pos <= 0)
        return 0;
    if (pos >= utf16Length_)
        return bufferBytes();
    if (!indexed_ && pos < indexlessSpan / 4)
        return send(SCI_POSITIONRELATIVECODEUNITS, 0, pos);
    ensureIndex();
    const long line = send(SCI_LINEFROMINDEXPOSITION, pos, SC_LINECHARACTERINDEX_UTF16);
    const long unitStart = send(SCI_INDEXPOSITIONFROMLINE, line, SC_LINECHARACTERINDEX_UTF16);
    const long byteStart = send(SCI_POSITIONFROMLINE, line);
    if (pos <= unitStart)
        return byteStart;
    return send(SCI_POSITIONRELATIVECODEUNITS, byteStart, pos - unitStart);
}

qsizetype CodeTextView::byteToUnits(qsizetype byte) const
{
    byte = std::clamp<qsizetype>(byte, 0, bufferBytes());
    // Near the start, or at the end, counting is cheaper than building the
    // index (a pass over the whole text): showing a newly opened file asks
    // for the caret at 0.
    if (!indexed_ && byte < indexlessSpan)
        return unitsBetween(0, byte);
    if (byte == bufferBytes()) {
        countPendingInsert();
        return utf16Length_;
    }
    ensureIndex();
    const long line = send(SCI_LINEFROMPOSITION, byte);
    const long byteStart = send(SCI_POSITIONFROMLINE, line);
    return send(SCI_INDEXPOSITIONFROMLINE, line, SC_LINECHARACTERINDEX_UTF16) + unitsBetween(byteStart, byte);
}

qsizetype CodeTextView::unitsBetween(qsizetype from, qsizetype to) const
{
    // Scintilla steps character by character; long spans are counted over
    // the buffer's bytes instead, on each side of its gap so that reading
    // them moves no text.
    if (to - from < 4096)
        return send(SCI_COUNTCODEUNITS, from, to);
    const qsizetype gap = std::clamp<qsizetype>(send(SCI_GETGAPPOSITION), from, to);
    qsizetype units = 0;
    for (const auto& [a, b] : {std::pair(from, gap), std::pair(gap, to)}) {
        if (b <= a)
            continue;
        const auto* p = reinterpret_cast<const char*>(send(SCI_GETRANGEPOINTER, a, b - a));
        units += p ? UnitCounts::utf16Units(QByteArrayView(p, b - a)) : send(SCI_COUNTCODEUNITS, a, b);
    }
    return units;
}

int CodeTextView::lineCount() const { return int(send(SCI_GETLINECOUNT)); }

int CodeTextView::lineOf(int pos) const
{
    ensureIndex();
    return int(send(SCI_LINEFROMINDEXPOSITION, bufferUnits(std::clamp(pos, 0, length())), SC_LINECHARACTERINDEX_UTF16));
}

int CodeTextView::lineStart(int line) const
{
    ensureIndex();
    return textUnits(send(SCI_INDEXPOSITIONFROMLINE, line, SC_LINECHARACTERINDEX_UTF16));
}

int CodeTextView::lineEnd(int line) const { return toUtf16(send(SCI_GETLINEENDPOSITION, line)); }

int CodeTextView::cursorPosition() const { return toUtf16(send(SCI_GETCURRENTPOS)); }
int CodeTextView::anchorPosition() const { return toUtf16(send(SCI_GETANCHOR)); }

void CodeTextView::setSelection(int anchor, int caret)
{
    send(SCI_SETSEL, toByte(anchor), toByte(caret));
    // A caret placed inside a fold opens it.
    const long line = send(SCI_LINEFROMPOSITION, send(SCI_GETCURRENTPOS));
    if (!send(SCI_GETLINEVISIBLE, line))
        send(SCI_ENSUREVISIBLE, line);
    checkSelection();
}

CodeTextView::CaretPlace CodeTextView::caretPlace() const
{
    // While composing, the column is the caret's inside the composition.
    const long a = send(SCI_GETANCHOR);
    const long c = send(SCI_GETCURRENTPOS);
    const long s = std::min(a, c);
    const long line = send(SCI_LINEFROMPOSITION, s);
    const int column = int(unitsBetween(send(SCI_POSITIONFROMLINE, line), s)) + 1;
    const long e = std::max(a, c);
    long last = send(SCI_LINEFROMPOSITION, e);
    // Characters: the line feeds inside the selection are not counted.
    const int selected = a == c ? 0 : int((indexed_ ? toUtf16(e) - toUtf16(s) : unitsBetween(s, e)) - (last - line));
    // A selection of whole lines ends after a line feed; it does not take in the next line.
    if (last > line && send(SCI_POSITIONFROMLINE, last) == e)
        --last;
    return {int(line) + 1, column, selected, int(last - line) + 1};
}

// ---- Events ----

bool CodeTextView::event(QEvent* e)
{
    // Paste and Escape must reach keyPressEvent while carets are active,
    // not a window shortcut.
    if (e->type() == QEvent::ShortcutOverride) {
        auto* k = static_cast<QKeyEvent*>(e);
        // Shift+F10 is not F10, which opens the menu bar.
        const bool menuKey = k->key() == Qt::Key_Menu
            || (k->key() == Qt::Key_F10 && (k->modifiers() & ~Qt::KeypadModifier) == Qt::ShiftModifier);
        if ((carets_ && k->matches(QKeySequence::Paste)) || k->key() == Qt::Key_Escape || menuKey) {
            e->accept();
            return true;
        }
    }
    // Text an input method commits is a step apart from the typing around it.
    const bool commit = e->type() == QEvent::InputMethod
        && !static_cast<QInputMethodEvent*>(e)->commitString().isEmpty();
    if (commit)
        undoSteps_->cut();
    const bool done = QsciScintillaBase::event(e);
    if (commit)
        undoSteps_->after(UndoSteps::Kind::none);
    finishChange();
    checkSelection();
    return done;
}

bool CodeTextView::viewportEvent(QEvent* e)
{
    const bool done = QsciScintillaBase::viewportEvent(e);
    finishChange();
    checkSelection();
    return done;
}

void CodeTextView::mousePressEvent(QMouseEvent* e)
{
    undoSteps_->interrupt();
    // A right click keeps the carets for the context menu to act on.
    if (carets_ && e->button() != Qt::RightButton)
        clearCarets();
    lastPress_ = e->position().toPoint();
    QsciScintillaBase::mousePressEvent(e);
}

void CodeTextView::mouseDoubleClickEvent(QMouseEvent* e)
{
    lastPress_ = e->position().toPoint();
    QsciScintillaBase::mouseDoubleClickEvent(e);
}

void CodeTextView::resizeEvent(QResizeEvent* e)
{
    QsciScintillaBase::resizeEvent(e);
    const QRect cr = contentsRect();
    ruler_->setGeometry(QRect(cr.left(), cr.top(), ruler_->width(), cr.height()));
}

void CodeTextView::scrollContentsBy(int dx, int dy)
{
    QsciScintillaBase::scrollContentsBy(dx, dy);
    ruler_->sync();
}

// ---- Look ----

void CodeTextView::setTypingRules(const TypingRules& rules)
{
    if (rules == typingRules_)
        return;
    typingRules_ = rules;
    applyIndent();
}

void CodeTextView::applyIndent()
{
    const Indent& indent = typingRules_.indent;
    send(SCI_SETTABWIDTH, indent.width);
    send(SCI_SETINDENT, indent.width);
    send(SCI_SETUSETABS, indent.tabs);
    // Tab and Backspace in the leading blanks move by a level.
    send(SCI_SETTABINDENTS, 1);
    send(SCI_SETBACKSPACEUNINDENTS, 1);
}

void CodeTextView::setEditorFont(const QFont& font, int extraLineSpacing)
{
    setFont(font);
    const QByteArray family = font.family().toUtf8();
    SendScintilla(SCI_STYLESETFONT, STYLE_DEFAULT, family.constData());
    // Scintilla sizes fonts in points.
    const double px = font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * logicalDpiY() / 72.0;
    const double points = px * 72.0 / std::max(1, logicalDpiY());
    send(SCI_STYLESETSIZEFRACTIONAL, STYLE_DEFAULT, long(std::lround(points * 100)));
    send(SCI_STYLECLEARALL);
    send(SCI_SETEXTRAASCENT, extraLineSpacing / 2);
    send(SCI_SETEXTRADESCENT, extraLineSpacing - extraLineSpacing / 2);
    applyIndent();
    ruler_->sync();
}

void CodeTextView::setColors(const QColor& background, const QColor& foreground, const QColor& selection)
{
    QPalette pal = palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(group, QPalette::Base, background);
        pal.setColor(group, QPalette::Window, background);
        pal.setColor(group, QPalette::Text, foreground);
        pal.setColor(group, QPalette::Highlight, selection);
        pal.setColor(group, QPalette::HighlightedText, foreground);
    }
    setPalette(pal);
    send(SCI_STYLESETBACK, STYLE_DEFAULT, bgr(background));
    send(SCI_STYLESETFORE, STYLE_DEFAULT, bgr(foreground));
    send(SCI_STYLECLEARALL);
    QColor opaque = selection;
    opaque.setAlpha(255);
    send(SCI_SETSELBACK, 1, bgr(opaque));
    send(SCI_SETSELALPHA, selection.alpha());
    send(SCI_INDICSETFORE, spanIndicator, bgr(opaque));
    send(SCI_INDICSETALPHA, spanIndicator, selection.alpha());
    send(SCI_SETCARETFORE, bgr(caretColor));
}

void CodeTextView::setWrapping(bool on)
{
    if (on == wrapping_)
        return;
    wrapping_ = on;
    send(SCI_SETWRAPMODE, on ? SC_WRAP_WORD : SC_WRAP_NONE);
    send(SCI_SETHSCROLLBAR, !on);
    ruler_->sync();
}

int CodeTextView::lineHeight() const { return int(send(SCI_TEXTHEIGHT, 0)); }

// ---- Decorations ----

void CodeTextView::setHighlights(Highlights h)
{
    highlights_ = std::move(h);
    paintErrorLines();
    matchesStale_ = true;
    paintMatches();
    viewport()->update();
}

void CodeTextView::paintErrorLines()
{
    // Marker colours restyle the whole view, laying out every line on
    // screen again: set them only when they change.
    const QColor c = highlights_.errorLine;
    if (c != errorLineColor_) {
        errorLineColor_ = c;
        send(SCI_MARKERSETBACK, errorMarker, bgr(c));
        send(SCI_MARKERSETALPHA, errorMarker, c.isValid() ? c.alpha() : 0);
    }
    send(SCI_MARKERDELETEALL, errorMarker);
    const int lines = lineCount();
    for (int line : highlights_.errorBlocks)
        if (line >= 0 && line < lines)
            send(SCI_MARKERADD, line, errorMarker);
}

std::pair<long, long> CodeTextView::shownLines() const
{
    const long firstVisual = send(SCI_GETFIRSTVISIBLELINE);
    // The line after the last whole one may show in part.
    const long last = send(SCI_DOCLINEFROMVISIBLE, firstVisual + send(SCI_LINESONSCREEN) + 1);
    return {send(SCI_DOCLINEFROMVISIBLE, firstVisual), std::min<long>(last, lineCount() - 1)};
}

void CodeTextView::paintMatches()
{
    // Only the matches on screen carry indicators: a refresh costs the same
    // with ten matches or a hundred thousand.
    const auto& h = highlights_;
    const auto [firstLine, lastLine] = shownLines();
    const qsizetype from = send(SCI_POSITIONFROMLINE, firstLine);
    const qsizetype to = send(SCI_GETLINEENDPOSITION, lastLine);
    // Indicator changes make Scintilla report new content; repainting the
    // same matches over the same lines again would never settle.
    if (!matchesStale_ && from == shownFrom_ && to == shownTo_)
        return;
    matchesStale_ = false;
    shownFrom_ = from;
    shownTo_ = to;
    // Indicators move with edits, so the whole text is cleared rather than
    // the range painted last; with only the screen's matches marked, that
    // costs the same.
    for (int i : {matchIndicator, currentIndicator}) {
        send(SCI_SETINDICATORCURRENT, i);
        if (paintedCount_ > 0)
            send(SCI_INDICATORCLEARRANGE, 0, bufferBytes());
    }
    paintedCount_ = 0;
    if (h.matches.empty())
        return;
    for (int i : {matchIndicator, currentIndicator}) {
        const QColor c = i == matchIndicator ? h.mark : h.markCurrent;
        QColor opaque = c;
        opaque.setAlpha(255);
        send(SCI_INDICSETFORE, i, bgr(opaque));
        send(SCI_INDICSETALPHA, i, c.alpha());
    }
    const int uFrom = toUtf16(from);
    const int uTo = toUtf16(to) + 1;  // the line break counts
    auto it = std::lower_bound(h.matches.begin(), h.matches.end(), uFrom,
                               [](const TextRange& m, int pos) { return m.end() <= pos; });
    for (; it != h.matches.end() && it->start < uTo; ++it) {
        const bool current = int(it - h.matches.begin()) == h.current;
        const qsizetype b0 = toByte(it->start);
        const qsizetype b1 = toByte(it->end());
        send(SCI_SETINDICATORCURRENT, current ? currentIndicator : matchIndicator);
        send(SCI_INDICATORFILLRANGE, b0, std::max<qsizetype>(1, b1 - b0));
        ++paintedCount_;
    }
}

void CodeTextView::paintEvent(QPaintEvent* e)
{
    QsciScintillaBase::paintEvent(e);
    if (!carets_ || carets_->empty())
        return;
    // Extra carets: a 2-px bar each, only for the lines on screen.
    QPainter p(viewport());
    const auto [firstLine, lastLine] = shownLines();
    const int from = lineStart(int(firstLine));
    const int to = lineEnd(int(lastLine));
    const int h = lineHeight();
    const QRect clip = e->rect();
    for (auto it = std::lower_bound(carets_->begin(), carets_->end(), from); it != carets_->end() && *it <= to; ++it) {
        const qsizetype b = toByte(*it);
        const QRect r(int(send(SCI_POINTXFROMPOSITION, 0, b)), int(send(SCI_POINTYFROMPOSITION, 0, b)), 2, h);
        if (r.intersects(clip))
            p.fillRect(r, caretColor);
    }
}

void CodeTextView::revealRange(int start, int length)
{
    const qsizetype b0 = toByte(start);
    const qsizetype b1 = toByte(start + length);
    const long line = send(SCI_LINEFROMPOSITION, b0);
    send(SCI_ENSUREVISIBLE, line);
    // Vertically: a third from the top when the match is off screen.
    const long visual = send(SCI_VISIBLEFROMDOCLINE, line);
    const long first = send(SCI_GETFIRSTVISIBLELINE);
    const long rows = send(SCI_LINESONSCREEN);
    if (visual < first || visual >= first + rows)
        send(SCI_SETFIRSTVISIBLELINE, std::max<long>(0, visual - rows / 3));
    // Horizontally, without moving the selection.
    const int x0 = int(send(SCI_POINTXFROMPOSITION, 0, b0));
    const int x1 = int(send(SCI_POINTXFROMPOSITION, 0, b1));
    const int width = viewport()->width();
    if (!wrapping_ && (x0 < 0 || x1 > width)) {
        const long offset = send(SCI_GETXOFFSET);
        send(SCI_SETXOFFSET, std::max<long>(0, offset + x0 - width / 2));
    }
    ruler_->sync();
    matchesStale_ = true;
    paintMatches();
}

void CodeTextView::setStyleBytes(bool on)
{
    if (on == styleBytes_ || bufferBytes() > 0)
        return;
    const long document = send(SCI_CREATEDOCUMENT, 0, on ? SC_DOCUMENTOPTION_DEFAULT : SC_DOCUMENTOPTION_STYLES_NONE);
    send(SCI_SETDOCPOINTER, 0, document);
    send(SCI_RELEASEDOCUMENT, 0, document);
    // Code page, line ends and tabs belong to the buffer.
    send(SCI_SETCODEPAGE, SC_CP_UTF8);
    send(SCI_SETEOLMODE, SC_EOL_LF);
    applyIndent();
    styleBytes_ = on;
}

void CodeTextView::toggleFold(int line)
{
    static const char dots[] = "\u22ef";
    SendScintilla(SCI_TOGGLEFOLDSHOWTEXT, uintptr_t(line), dots);
    ruler_->sync();
}
