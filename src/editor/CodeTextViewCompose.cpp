// The input method's composition in CodeTextView. The engine shows it by
// putting it into the buffer for a while; here those changes are kept out
// of the text: no change is reported, positions and lengths skip it, and
// only the committed text becomes an edit, with an undo step of its own.
#include "editor/CodeTextView.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>

bool CodeTextView::compositionChange(qsizetype position, int type, qsizetype length)
{
    if (!showingComposition_)
        return false;
    if (type & SC_MOD_BEFOREINSERT) {
        if (!composing()) {
            preedit_.from = position;
            preedit_.modifiedBefore = send(SCI_GETMODIFY) != 0;
            preedit_.couldUndo = send(SCI_CANUNDO) != 0;
        }
        preedit_.bytes += length;
        return true;
    }
    // The engine undoes the last composition before showing the next; a
    // selection it clears first is a real edit.
    if ((type & SC_PERFORMED_UNDO) && composing()) {
        preedit_.bytes -= length;
        if (preedit_.bytes <= 0)
            preedit_ = {};
        return true;
    }
    return false;
}

void CodeTextView::inputMethodEvent(QInputMethodEvent* e)
{
    if (isReadOnly()) {
        QsciScintillaBase::inputMethodEvent(e);
        return;
    }
    // Text composed over the carets' selections takes their place.
    if (!anchors_.empty() && (!e->commitString().isEmpty() || !e->preeditString().isEmpty())) {
        dropComposition();
        multiInsert(QString());
    }
    // The engine takes either a commit or a composition from one event;
    // input methods send both at once when a candidate is chosen while
    // the next syllables are being typed.
    dropComposition();
    if (!e->commitString().isEmpty())
        commitText(e->commitString());
    if (!e->preeditString().isEmpty())
        showComposition(e);
    e->accept();
    updateMicroFocus();
}

void CodeTextView::dropComposition()
{
    if (!composing())
        return;
    showingComposition_ = true;
    QInputMethodEvent none;
    QsciScintillaBase::inputMethodEvent(&none);
    showingComposition_ = false;
    preedit_ = {};
}

void CodeTextView::cancelComposition()
{
    if (!composing())
        return;
    dropComposition();
    QGuiApplication::inputMethod()->reset();
}

void CodeTextView::setSavePoint()
{
    // The save point goes where the text is, before the composition, which
    // is put back as it was.
    const bool open = composing();
    dropComposition();
    send(SCI_SETSAVEPOINT);
    if (open) {
        QInputMethodEvent again(shownText_, shownAttributes_);
        showComposition(&again);
    }
}

void CodeTextView::showComposition(QInputMethodEvent* e)
{
    shownText_ = e->preeditString();
    shownAttributes_ = e->attributes();
    QInputMethodEvent shown(e->preeditString(), e->attributes());
    showingComposition_ = true;
    QsciScintillaBase::inputMethodEvent(&shown);
    showingComposition_ = false;
    if (!composing())
        return;
    countPendingInsert();
    preedit_.units = unitsBetween(preedit_.from, preedit_.from + preedit_.bytes);
    preedit_.at = byteToUnits(preedit_.from);
}

void CodeTextView::commitText(const QString& text)
{
    if (carets_) {
        commitAtCarets(text);
        return;
    }
    QInputMethodEvent commit;
    commit.setCommitString(text);
    send(SCI_BEGINUNDOACTION);
    QsciScintillaBase::inputMethodEvent(&commit);
    send(SCI_ENDUNDOACTION);
    finishChange();
}

void CodeTextView::commitAtCarets(const QString& text)
{
    // The engine inserts at the ordinary caret, which sits at the last
    // caret; the other carets get the text too, in the same undo step.
    const std::vector<int> before = *carets_;
    editingCarets_ = true;
    send(SCI_BEGINUNDOACTION);
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QsciScintillaBase::inputMethodEvent(&commit);
    std::vector<int> rest(before.begin(), before.end() - 1);
    carets_ = rest;
    std::vector<Edit> edits;
    for (int c : rest)
        edits.push_back({c, 0, text});
    std::vector<int> next;
    if (!edits.empty()) {
        applyEdits(edits);
        next = *carets_;
    }
    send(SCI_ENDUNDOACTION);
    editingCarets_ = false;
    next.push_back(before.back() + int(text.size()) * int(before.size()));
    setCarets(std::move(next));
}

QVariant CodeTextView::inputMethodQuery(Qt::InputMethodQuery query) const
{
    if (query != Qt::ImCursorRectangle)
        return QsciScintillaBase::inputMethodQuery(query);
    // The candidate window goes under the caret, inside the composition
    // too; the engine's answer is in the viewport's coordinates.
    const long pos = send(SCI_GETCURRENTPOS);
    const QPoint at(int(send(SCI_POINTXFROMPOSITION, 0, pos)), int(send(SCI_POINTYFROMPOSITION, 0, pos)));
    return QRect(viewport()->mapTo(this, at), QSize(int(send(SCI_GETCARETWIDTH)), lineHeight()));
}
