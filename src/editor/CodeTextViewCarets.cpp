// Multi-caret editing of CodeTextView: one caret per line, batches of edits
// as one undo step, movement that never leaves the caret's line.
#include "editor/CodeTextView.h"

#include "editor/EditorKeys.h"
#include "text/LineEnding.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMimeData>

void CodeTextView::setCarets(std::optional<std::vector<int>> carets) { setCaretSpans(std::move(carets), {}); }

void CodeTextView::setCaretSpans(std::optional<std::vector<int>> carets, std::vector<int> anchors)
{
    // Anything that sets the carets ends a typing run; multiType starts the next.
    typingRun_.reset();
    carets_ = std::move(carets);
    anchors_.clear();
    if (carets_ && anchors.size() == carets_->size() && anchors != *carets_)
        anchors_ = std::move(anchors);
    if (!carets_)
        lastAdded_.reset();
    paintSpans();
    viewport()->update();
    if (onCaretsChange)
        onCaretsChange(carets_ ? std::optional<int>(int(carets_->size())) : std::nullopt);
}

bool CodeTextView::splitSelectionIntoLines()
{
    const long s = send(SCI_GETSELECTIONSTART);
    long e = send(SCI_GETSELECTIONEND);
    if (s == e)
        return false;
    // A selection of whole lines ends after the last line feed; that does
    // not select the next line.
    if (send(SCI_POSITIONFROMLINE, send(SCI_LINEFROMPOSITION, e)) == e)
        --e;
    std::vector<int> out;
    const long last = send(SCI_LINEFROMPOSITION, e);
    for (long line = send(SCI_LINEFROMPOSITION, s); line <= last; ++line)
        out.push_back(toUtf16(send(SCI_GETLINEENDPOSITION, line)));
    setCursorPosition(out.back());
    setCarets(std::move(out));
    return true;
}

void CodeTextView::replaceRanges(const std::vector<Edit>& edits)
{
    editingCarets_ = true;
    {
        QuietEdits quiet(this);
        send(SCI_BEGINUNDOACTION);
        // From the last to the first, so that earlier offsets stay valid.
        for (auto it = edits.rbegin(); it != edits.rend(); ++it) {
            if (it->length == 0 && it->text.isEmpty())
                continue;
            const qsizetype from = toByte(it->start);
            const qsizetype to = toByte(it->start + it->length);
            const QByteArray bytes = it->text.toUtf8();
            send(SCI_SETTARGETRANGE, from, to);
            SendScintilla(SCI_REPLACETARGET, uintptr_t(bytes.size()), bytes.constData());
        }
        send(SCI_ENDUNDOACTION);
    }
    finishChange();
    editingCarets_ = false;
}

void CodeTextView::applyEdits(const std::vector<Edit>& edits)
{
    if (!carets_ || isReadOnly())
        return;
    for (int c : *carets_)
        if (c > length()) {
            clearCarets();
            return;
        }
    replaceRanges(edits);
    std::vector<int> next;
    next.reserve(edits.size());
    int shift = 0;
    for (const Edit& e : edits) {
        next.push_back(e.start + shift + int(e.text.size()));
        shift += int(e.text.size()) - e.length;
    }
    setCursorPosition(next.empty() ? 0 : next.back());
    setCarets(std::move(next));
}

void CodeTextView::multiInsert(const QString& text)
{
    if (!carets_)
        return;
    std::vector<Edit> edits;
    for (const Span& s : spans())
        edits.push_back({s.start(), s.end() - s.start(), text});
    applyEdits(edits);
}

void CodeTextView::multiType(const QString& text)
{
    if (!carets_)
        return;
    TypingRun run;
    if (typingRun_ && typingRun_->after == *carets_ && typingRun_->length == length() && canUndo()) {
        // Take the run back and type all of it again: one undo step for the run.
        run = *typingRun_;
        run.text += text;
        editingCarets_ = true;
        {
            QuietEdits quiet(this);
            send(SCI_UNDO);
        }
        editingCarets_ = false;
        carets_.emplace();
        anchors_.clear();
        for (const Span& s : run.start) {
            carets_->push_back(s.caret);
            anchors_.push_back(s.anchor);
        }
        multiInsert(run.text);
    } else {
        run.start = spans();
        run.text = text;
        multiInsert(text);
    }
    if (!carets_)
        return;
    run.after = *carets_;
    run.length = length();
    typingRun_ = std::move(run);
}

// Scintilla steps over whole characters, so a character outside the BMP
// goes whole and no half surrogate pair is left behind.
void CodeTextView::multiDeleteBackward()
{
    if (!carets_)
        return;
    std::vector<Edit> edits;
    for (const Span& s : spans()) {
        const int c = s.caret;
        if (!s.empty()) {
            edits.push_back({s.start(), s.end() - s.start(), QString()});
            continue;
        }
        const qsizetype b = toByte(c);
        const qsizetype start = send(SCI_POSITIONFROMLINE, send(SCI_LINEFROMPOSITION, b));
        int n = 0;
        if (b > start)
            n = int(send(SCI_COUNTCODEUNITS, send(SCI_POSITIONBEFORE, b), b));
        edits.push_back({c - n, n, QString()});
    }
    applyEdits(edits);
}

void CodeTextView::multiDeleteForward()
{
    if (!carets_)
        return;
    std::vector<Edit> edits;
    for (const Span& s : spans()) {
        const int c = s.caret;
        if (!s.empty()) {
            edits.push_back({s.start(), s.end() - s.start(), QString()});
            continue;
        }
        const qsizetype b = toByte(c);
        const qsizetype end = send(SCI_GETLINEENDPOSITION, send(SCI_LINEFROMPOSITION, b));
        int n = 0;
        if (b < end)
            n = int(send(SCI_COUNTCODEUNITS, b, send(SCI_POSITIONAFTER, b)));
        edits.push_back({c, n, QString()});
    }
    applyEdits(edits);
}

void CodeTextView::multiPaste(const QString& clipboard)
{
    if (!carets_)
        return;
    const QString normal = LineEnding::normalize(clipboard);
    const QStringList pieces = normal.split(QLatin1Char('\n'));
    const bool perLine = pieces.size() == qsizetype(carets_->size());
    std::vector<Edit> edits;
    const std::vector<Span> all = spans();
    for (size_t i = 0; i < all.size(); ++i)
        edits.push_back({all[i].start(), all[i].end() - all[i].start(), perLine ? pieces[qsizetype(i)] : normal});
    applyEdits(edits);
}

void CodeTextView::multiMove(Move m)
{
    if (!carets_)
        return;
    std::vector<int> next;
    next.reserve(carets_->size());
    for (const Span& s : spans()) {
        // A selection collapses to the side the arrow points to.
        if (!s.empty() && (m == Move::left || m == Move::right)) {
            next.push_back(m == Move::left ? s.start() : s.end());
            continue;
        }
        const int c = s.caret;
        const qsizetype b = toByte(c);
        const long line = send(SCI_LINEFROMPOSITION, b);
        const qsizetype start = send(SCI_POSITIONFROMLINE, line);
        const qsizetype end = send(SCI_GETLINEENDPOSITION, line);
        int n = c;
        switch (m) {
        case Move::left:
            if (b > start)
                n = c - int(send(SCI_COUNTCODEUNITS, send(SCI_POSITIONBEFORE, b), b));
            break;
        case Move::right:
            if (b < end)
                n = c + int(send(SCI_COUNTCODEUNITS, b, send(SCI_POSITIONAFTER, b)));
            break;
        case Move::lineStart: n = c - int(send(SCI_COUNTCODEUNITS, start, b)); break;
        case Move::lineEnd: n = c + int(send(SCI_COUNTCODEUNITS, b, end)); break;
        }
        next.push_back(n);
    }
    setCursorPosition(next.empty() ? 0 : next.back());
    setCarets(std::move(next));
}

void CodeTextView::keyPressEvent(QKeyEvent* e)
{
    const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
    if (e->key() == Qt::Key_Menu || (e->key() == Qt::Key_F10 && mods == Qt::ShiftModifier)) {
        showContextMenuAtCaret();
        e->accept();
        return;
    }
    if (e->key() == Qt::Key_Escape && !mods) {
        if (onEscape)
            onEscape();
        e->accept();
        return;
    }
    if (e->matches(QKeySequence::Paste)) {
        // Scintilla's own paste takes text only: a picture alone goes the same way as carets do.
        const QMimeData* m = QApplication::clipboard()->mimeData();
        if (carets_ || (m && !m->hasText() && m->hasImage())) {
            paste();
            return;
        }
    }
    if (!carets_) {
        ordinaryKey(e);
        return;
    }
    if (e->matches(QKeySequence::Copy) || e->matches(QKeySequence::Cut)) {
        e->matches(QKeySequence::Copy) ? copy() : cut();
        return;
    }
    if (mods == Qt::NoModifier) {
        switch (e->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter: multiInsert(QStringLiteral("\n")); return;
        case Qt::Key_Tab: multiInsert(QStringLiteral("\t")); return;
        case Qt::Key_Backspace: multiDeleteBackward(); return;
        case Qt::Key_Delete: multiDeleteForward(); return;
        case Qt::Key_Left: multiMove(Move::left); return;
        case Qt::Key_Right: multiMove(Move::right); return;
        case Qt::Key_Home: multiMove(Move::lineStart); return;
        case Qt::Key_End: multiMove(Move::lineEnd); return;
        case Qt::Key_Up:
        case Qt::Key_Down: return;
        default: break;
        }
    }
    // Plain typing (Shift allowed for capitals and symbols).
    const QString t = e->text();
    if (!(mods & ~Qt::ShiftModifier) && !t.isEmpty() && t.at(0).isPrint()) {
        multiType(t);
        return;
    }
    // Any other command acts on the ordinary selection.
    if (e->key() != Qt::Key_Shift && e->key() != Qt::Key_Control && e->key() != Qt::Key_Alt && e->key() != Qt::Key_Meta)
        clearCarets();
    ordinaryKey(e);
}

void CodeTextView::ordinaryKey(QKeyEvent* e)
{
    if (wordKey(e))
        return;
    // Only the editing keys act here; any other key with Ctrl, Alt or Meta
    // neither runs a hidden command nor types its character.
    const EditorKeys::Binding* binding = EditorKeys::find(e->key(), e->modifiers());
    if (!binding && !EditorKeys::typesText(e->modifiers())) {
        e->ignore();
        return;
    }
    const QString typed = binding ? QString() : e->text();
    const std::optional<UndoSteps::Kind> kind = EditorKeys::undoKind(binding, typed);
    if (!kind) {
        QsciScintillaBase::keyPressEvent(e);
        undoSteps_->interrupt();
        return;
    }
    undoSteps_->before(*kind, typed.isEmpty() ? QChar() : typed.front());
    if (!TypingAids::handle(*this, e, typingRules_))
        QsciScintillaBase::keyPressEvent(e);
    undoSteps_->after(*kind);
}
