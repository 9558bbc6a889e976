// Word motion in CodeTextView: Ctrl+←/→ (with Shift), Ctrl+Backspace and
// Ctrl+Delete and double clicks stop where WordBreaks puts word ends, which
// knows Chinese words; Scintilla's own stop only at punctuation there.
#include "editor/CodeTextView.h"

#include "text/UnitCounts.h"
#include "text/WordBreaks.h"

#include <QKeyEvent>

CodeTextView::WordWindow CodeTextView::wordWindow(qsizetype byte) const
{
    const long line = send(SCI_LINEFROMPOSITION, byte);
    const qsizetype start = send(SCI_POSITIONFROMLINE, line);
    const qsizetype end = send(SCI_GETLINEENDPOSITION, line);
    // Only a stretch of a long line around the caret is read.
    const qsizetype before = send(SCI_POSITIONRELATIVE, byte, -WordBreaks::window);
    const qsizetype after = send(SCI_POSITIONRELATIVE, byte, WordBreaks::window);
    const qsizetype from = std::max(start, before);
    const qsizetype to = after <= byte || after > end ? end : after;
    WordWindow w{from, QString(), 0};
    const auto* p = reinterpret_cast<const char*>(send(SCI_GETRANGEPOINTER, from, to - from));
    if (p) {
        w.text = QString::fromUtf8(p, to - from);
        w.caret = QString::fromUtf8(p, byte - from).size();
    }
    return w;
}

qsizetype CodeTextView::wordStop(qsizetype byte, bool forward) const
{
    const long line = send(SCI_LINEFROMPOSITION, byte);
    // At a line's end the motion goes over the line break.
    if (forward && byte == send(SCI_GETLINEENDPOSITION, line))
        return send(SCI_POSITIONAFTER, byte);
    if (!forward && byte == send(SCI_POSITIONFROMLINE, line))
        return send(SCI_POSITIONBEFORE, byte);
    const WordWindow w = wordWindow(byte);
    const qsizetype stop = forward ? WordBreaks::nextWordEnd(w.text, w.caret)
                                   : WordBreaks::previousWordStart(w.text, w.caret);
    return w.from + UnitCounts::utf8Bytes(QStringView(w.text).left(stop));
}

bool CodeTextView::wordKey(QKeyEvent* e)
{
    const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
    const bool shift = mods == (Qt::ControlModifier | Qt::ShiftModifier);
    if (mods != Qt::ControlModifier && !shift)
        return false;
    const int key = e->key();
    const bool move = key == Qt::Key_Left || key == Qt::Key_Right;
    const bool erase = !shift && (key == Qt::Key_Backspace || key == Qt::Key_Delete);
    if (!move && !erase)
        return false;
    const bool forward = key == Qt::Key_Right || key == Qt::Key_Delete;
    const qsizetype caret = send(SCI_GETCURRENTPOS);
    if (move) {
        const qsizetype stop = wordStop(caret, forward);
        if (shift)
            send(SCI_SETSEL, send(SCI_GETANCHOR), stop);
        else
            send(SCI_GOTOPOS, stop);
        send(SCI_CHOOSECARETX);
        return true;
    }
    if (isReadOnly())
        return true;
    // A selection goes as it is; otherwise up to the word's stop.
    if (send(SCI_GETSELECTIONEMPTY)) {
        const qsizetype stop = wordStop(caret, forward);
        send(SCI_SETSEL, caret, stop);
    }
    send(SCI_BEGINUNDOACTION);
    SendScintilla(SCI_REPLACESEL, "");
    send(SCI_ENDUNDOACTION);
    return true;
}

void CodeTextView::selectWordAt(qsizetype byte)
{
    const WordWindow w = wordWindow(byte);
    // A click past a line's last character takes the word before it.
    const qsizetype at = w.caret == w.text.size() && w.caret > 0 ? w.caret - 1 : w.caret;
    const auto [start, end] = WordBreaks::wordAt(w.text, at);
    const QStringView text(w.text);
    send(SCI_SETSEL, w.from + UnitCounts::utf8Bytes(text.left(start)), w.from + UnitCounts::utf8Bytes(text.left(end)));
}
