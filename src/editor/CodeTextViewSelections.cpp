// Selections at several carets in CodeTextView: reading and setting them,
// edits planned over them, occurrences of the selected text, and where the
// context menu opens.
#include "editor/CodeTextView.h"

#include "text/WordBreaks.h"

#include <QContextMenuEvent>

namespace {

bool byPosition(const Span& a, const Span& b)
{
    return a.start() != b.start() ? a.start() < b.start() : a.end() < b.end();
}

}

std::vector<Span> CodeTextView::spans() const
{
    if (!carets_)
        return {{anchorPosition(), cursorPosition()}};
    std::vector<Span> out;
    out.reserve(carets_->size());
    for (size_t i = 0; i < carets_->size(); ++i)
        out.push_back({anchors_.empty() ? (*carets_)[i] : anchors_[i], (*carets_)[i]});
    return out;
}

bool CodeTextView::hasSelectedText() const
{
    if (!anchors_.empty())
        return true;
    return send(SCI_GETSELECTIONSTART) != send(SCI_GETSELECTIONEND);
}

void CodeTextView::setSpans(std::vector<Span> spans)
{
    std::sort(spans.begin(), spans.end(), byPosition);
    spans.erase(std::unique(spans.begin(), spans.end()), spans.end());
    if (spans.empty())
        return;
    const Span main = spans.back();
    if (spans.size() == 1) {
        clearCarets();
        setSelection(main.anchor, main.caret);
        return;
    }
    std::vector<int> carets, anchors;
    for (const Span& s : spans) {
        carets.push_back(s.caret);
        anchors.push_back(s.anchor);
    }
    // The ordinary selection is the last one, where typed text shows first.
    setSelection(main.anchor, main.caret);
    setCaretSpans(std::move(carets), std::move(anchors));
}

void CodeTextView::applyPlan(const EditPlan& plan)
{
    if (isReadOnly())
        return;
    replaceRanges(plan.edits);
    setSpans(plan.selections);
    send(SCI_SCROLLCARET);
}

void CodeTextView::paintSpans()
{
    send(SCI_SETINDICATORCURRENT, spanIndicator);
    if (spansPainted_)
        send(SCI_INDICATORCLEARRANGE, 0, byteLength());
    spansPainted_ = false;
    if (anchors_.empty())
        return;
    // The ordinary selection, the last, is Scintilla's own.
    const std::vector<Span> all = spans();
    for (size_t i = 0; i + 1 < all.size(); ++i) {
        if (all[i].empty())
            continue;
        const qsizetype from = toByte(all[i].start());
        send(SCI_INDICATORFILLRANGE, from, toByte(all[i].end()) - from);
        spansPainted_ = true;
    }
}

std::optional<Span> CodeTextView::wordAt(int pos) const
{
    const WordWindow w = wordWindow(toByte(pos));
    // The word the caret is in, or else the one it follows.
    for (const qsizetype at : {w.caret, w.caret - 1}) {
        if (at < 0 || at >= w.text.size())
            continue;
        const auto [start, end] = WordBreaks::wordAt(w.text, at);
        if (end > start && (w.text[start].isLetterOrNumber() || w.text[start] == u'_'))
            return Span{pos - int(w.caret - start), pos - int(w.caret - end)};
    }
    return std::nullopt;
}

qsizetype CodeTextView::searchBytes(const QByteArray& needle, qsizetype from, qsizetype to, bool wholeWord) const
{
    if (from >= to)
        return -1;
    send(SCI_SETSEARCHFLAGS, SCFIND_MATCHCASE | (wholeWord ? SCFIND_WHOLEWORD : 0));
    send(SCI_SETTARGETRANGE, from, to);
    return SendScintilla(SCI_SEARCHINTARGET, uintptr_t(needle.size()), needle.constData());
}

CodeTextView::Occurrence CodeTextView::selectNextOccurrence()
{
    std::vector<Span> all = spans();
    if (std::all_of(all.begin(), all.end(), [](const Span& s) { return s.empty(); })) {
        std::vector<Span> words;
        for (const Span& s : all)
            if (auto w = wordAt(s.caret))
                words.push_back(*w);
        if (words.empty())
            return Occurrence::none;
        setSpans(words);
        // Occurrences of a word picked this way are whole words only.
        wholeWords_ = true;
        lastAdded_ = words.back();
        return Occurrence::word;
    }
    // The search goes on after the occurrence added last.
    Span from = all.back();
    if (!carets_)
        wholeWords_ = lastAdded_ && *lastAdded_ == from;
    else if (lastAdded_ && std::find(all.begin(), all.end(), *lastAdded_) != all.end())
        from = *lastAdded_;
    const QByteArray needle = textIn(from.start(), from.end() - from.start()).toUtf8();
    qsizetype at = toByte(from.end());
    const qsizetype stop = toByte(from.start());
    bool wrapped = false;
    for (;;) {
        const qsizetype m = searchBytes(needle, at, wrapped ? stop : byteLength(), wholeWords_);
        if (m < 0) {
            if (wrapped)
                return Occurrence::allSelected;
            wrapped = true;
            at = 0;
            continue;
        }
        const Span hit{toUtf16(m), toUtf16(m + needle.size())};
        at = m + needle.size();
        if (std::find(all.begin(), all.end(), hit) != all.end())
            continue;
        all.push_back(hit);
        const bool words = wholeWords_;
        setSpans(all);
        wholeWords_ = words;
        lastAdded_ = hit;
        revealRange(hit.start(), hit.end() - hit.start());
        return Occurrence::added;
    }
}

int CodeTextView::selectAllOccurrences()
{
    Span from = spans().back();
    bool words = false;
    if (from.empty()) {
        const auto w = wordAt(from.caret);
        if (!w)
            return 0;
        from = *w;
        words = true;
    }
    const QByteArray needle = textIn(from.start(), from.end() - from.start()).toUtf8();
    std::vector<Span> found;
    for (qsizetype m = searchBytes(needle, 0, byteLength(), words); m >= 0;
         m = searchBytes(needle, m + needle.size(), byteLength(), words))
        found.push_back({toUtf16(m), toUtf16(m + needle.size())});
    if (found.empty())
        return 0;
    setSpans(found);
    wholeWords_ = words;
    lastAdded_ = found.back();
    return int(found.size());
}

void CodeTextView::contextMenuEvent(QContextMenuEvent* e)
{
    if (e->reason() != QContextMenuEvent::Mouse) {
        showContextMenuAtCaret();
        e->accept();
        return;
    }
    // A click outside every selection puts the caret there; inside one, the
    // selections stay for the menu to act on.
    const int pos = toUtf16(send(SCI_POSITIONFROMPOINT, e->pos().x(), e->pos().y()));
    const std::vector<Span> all = spans();
    const bool inside = std::any_of(all.begin(), all.end(),
                                    [pos](const Span& s) { return !s.empty() && s.start() <= pos && pos <= s.end(); });
    if (!inside) {
        clearCarets();
        setCursorPosition(pos);
    }
    if (onContextMenu)
        onContextMenu(e->globalPos());
    e->accept();
}

void CodeTextView::showContextMenuAtCaret()
{
    const long caret = send(SCI_GETCURRENTPOS);
    send(SCI_SCROLLCARET);
    const QPoint at(int(send(SCI_POINTXFROMPOSITION, 0, caret)),
                    int(send(SCI_POINTYFROMPOSITION, 0, caret)) + lineHeight());
    if (onContextMenu)
        onContextMenu(viewport()->mapToGlobal(at));
}
