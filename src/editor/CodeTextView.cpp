#include "editor/CodeTextView.h"

#include "core/LineEnding.h"
#include "editor/LineNumberRuler.h"
#include "editor/Palette.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <algorithm>

CodeTextView::CodeTextView(QWidget* parent)
    : QPlainTextEdit(parent), caretColor(Palette::accent().resolve())
{
    setFrameShape(QFrame::NoFrame);
    setUndoRedoEnabled(true);
    setTabChangesFocus(false);
    ruler_ = new LineNumberRuler(this);
    setViewportMargins(LineNumberRuler::thickness, 0, 0, 0);
    connect(document(), &QTextDocument::contentsChange, this, &CodeTextView::onContentsChange);
    connect(document(), &QTextDocument::undoCommandAdded, this, [this] {
        if (carets_ && !editingCarets_)
            clearCarets();
    });
    connect(this, &QPlainTextEdit::updateRequest, ruler_, [this](const QRect& r, int dy) {
        if (dy)
            ruler_->scroll(0, dy);
        else
            ruler_->update(0, r.y(), ruler_->width(), r.height());
    });
}

CodeTextView::~CodeTextView() = default;

// ---- Text access ----

QString CodeTextView::text() const
{
    QString t = document()->toRawText();
    t.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return t;
}

QString CodeTextView::textIn(int start, int length) const
{
    if (length <= 0)
        return QString();
    QTextCursor c(document());
    c.setPosition(start);
    c.setPosition(start + length, QTextCursor::KeepAnchor);
    QString t = c.selectedText();
    t.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return t;
}

QChar CodeTextView::charAt(int pos) const { return document()->characterAt(pos); }

int CodeTextView::lineStartOf(int pos) const
{
    const int len = document()->characterCount() - 1;
    return document()->findBlock(std::min(pos, len)).position();
}

int CodeTextView::lineEndOf(int pos) const
{
    const int len = document()->characterCount() - 1;
    const QTextBlock b = document()->findBlock(std::min(pos, len));
    return b.position() + b.length() - 1;
}

// ---- Carets ----

void CodeTextView::setCarets(std::optional<std::vector<int>> carets)
{
    carets_ = std::move(carets);
    viewport()->update();
    if (onCaretsChange)
        onCaretsChange(carets_ ? std::optional<int>(int(carets_->size())) : std::nullopt);
}

bool CodeTextView::splitSelectionIntoLines()
{
    QTextCursor c = textCursor();
    if (!c.hasSelection())
        return false;
    const int s = c.selectionStart();
    int e = c.selectionEnd();
    // A selection of whole lines ends after the last line feed; that does
    // not select the next line.
    if (e > s && document()->findBlock(e).position() == e)
        --e;
    std::vector<int> out;
    const QTextBlock last = document()->findBlock(e);
    for (QTextBlock b = document()->findBlock(s); b.isValid(); b = b.next()) {
        out.push_back(b.position() + b.length() - 1);
        if (b == last)
            break;
    }
    QTextCursor at(document());
    at.setPosition(out.back());
    setTextCursor(at);
    setCarets(std::move(out));
    return true;
}

void CodeTextView::applyEdits(const std::vector<Edit>& edits)
{
    if (!carets_ || isReadOnly())
        return;
    const int len = document()->characterCount() - 1;
    for (int c : *carets_)
        if (c > len) {
            clearCarets();
            return;
        }
    editingCarets_ = true;
    QTextCursor cur(document());
    cur.beginEditBlock();
    for (auto it = edits.rbegin(); it != edits.rend(); ++it) {
        cur.setPosition(it->start);
        cur.setPosition(it->start + it->length, QTextCursor::KeepAnchor);
        if (it->text.isEmpty())
            cur.removeSelectedText();
        else
            cur.insertText(it->text);
    }
    cur.endEditBlock();
    editingCarets_ = false;
    std::vector<int> next;
    next.reserve(edits.size());
    int shift = 0;
    for (const Edit& e : edits) {
        next.push_back(e.start + shift + int(e.text.size()));
        shift += int(e.text.size()) - e.length;
    }
    QTextCursor at(document());
    at.setPosition(next.empty() ? 0 : next.back());
    setTextCursor(at);
    setCarets(std::move(next));
}

void CodeTextView::multiInsert(const QString& text)
{
    if (!carets_)
        return;
    std::vector<Edit> edits;
    edits.reserve(carets_->size());
    for (int c : *carets_)
        edits.push_back({c, 0, text});
    applyEdits(edits);
}

void CodeTextView::multiDeleteBackward()
{
    if (!carets_)
        return;
    std::vector<Edit> edits;
    for (int c : *carets_) {
        int n = 0;
        if (c > 0 && charAt(c - 1) != QChar::ParagraphSeparator) {
            n = 1;
            // A character outside the BMP goes whole, never half a pair.
            if (c > 1 && charAt(c - 1).isLowSurrogate() && charAt(c - 2).isHighSurrogate())
                n = 2;
        }
        edits.push_back({c - n, n, QString()});
    }
    applyEdits(edits);
}

void CodeTextView::multiDeleteForward()
{
    if (!carets_)
        return;
    const int len = document()->characterCount() - 1;
    std::vector<Edit> edits;
    for (int c : *carets_) {
        int n = 0;
        if (c < len && charAt(c) != QChar::ParagraphSeparator) {
            n = 1;
            if (c + 1 < len && charAt(c).isHighSurrogate() && charAt(c + 1).isLowSurrogate())
                n = 2;
        }
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
    std::vector<Edit> edits;
    const bool perLine = pieces.size() == qsizetype(carets_->size());
    for (size_t i = 0; i < carets_->size(); ++i)
        edits.push_back({(*carets_)[i], 0, perLine ? pieces[qsizetype(i)] : normal});
    applyEdits(edits);
}

void CodeTextView::multiMove(Move m)
{
    if (!carets_)
        return;
    std::vector<int> next;
    next.reserve(carets_->size());
    for (int c : *carets_) {
        const int start = lineStartOf(c);
        const int end = lineEndOf(c);
        int n = c;
        switch (m) {
        case Move::left:
            n = std::max(c - 1, start);
            if (n > start && charAt(n).isLowSurrogate() && charAt(n - 1).isHighSurrogate())
                --n;
            break;
        case Move::right:
            n = std::min(c + 1, end);
            if (n < end && charAt(n).isLowSurrogate() && charAt(n - 1).isHighSurrogate())
                ++n;
            break;
        case Move::lineStart: n = start; break;
        case Move::lineEnd: n = end; break;
        }
        next.push_back(n);
    }
    QTextCursor at(document());
    at.setPosition(next.empty() ? 0 : std::min(next.back(), document()->characterCount() - 1));
    setTextCursor(at);
    setCarets(std::move(next));
}

void CodeTextView::onContentsChange(int, int removed, int added)
{
    // An edit the carets did not make (undo, a replacement from outside)
    // leaves their positions meaningless.
    // Equal counts are also reported for layout-only changes such as an
    // input method composition; those keep the carets.
    if (carets_ && !editingCarets_ && removed != added)
        clearCarets();
}

// ---- Events ----

bool CodeTextView::event(QEvent* e)
{
    // Tab must reach keyPressEvent as text, not move the focus.
    if (e->type() == QEvent::ShortcutOverride && carets_) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->matches(QKeySequence::Paste) || k->key() == Qt::Key_Escape) {
            e->accept();
            return true;
        }
    }
    return QPlainTextEdit::event(e);
}

void CodeTextView::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape && !(e->modifiers() & ~Qt::KeypadModifier)) {
        if (onEscape)
            onEscape();
        e->accept();
        return;
    }
    if (!carets_) {
        QPlainTextEdit::keyPressEvent(e);
        return;
    }
    if (e->matches(QKeySequence::Paste)) {
        paste();
        return;
    }
    const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
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
        multiInsert(t);
        return;
    }
    // Any other command acts on the ordinary selection.
    if (e->key() != Qt::Key_Shift && e->key() != Qt::Key_Control && e->key() != Qt::Key_Alt && e->key() != Qt::Key_Meta)
        clearCarets();
    QPlainTextEdit::keyPressEvent(e);
}

void CodeTextView::inputMethodEvent(QInputMethodEvent* e)
{
    if (!carets_ || e->commitString().isEmpty()) {
        QPlainTextEdit::inputMethodEvent(e);
        return;
    }
    // The committed text goes to every caret; the composition (if any)
    // keeps showing at the ordinary caret.
    multiInsert(e->commitString());
    QInputMethodEvent rest(e->preeditString(), e->attributes());
    QPlainTextEdit::inputMethodEvent(&rest);
}

void CodeTextView::mousePressEvent(QMouseEvent* e)
{
    if (carets_)
        clearCarets();
    QPlainTextEdit::mousePressEvent(e);
}

void CodeTextView::insertFromMimeData(const QMimeData* source)
{
    if (carets_ && source && source->hasText()) {
        multiPaste(source->text());
        return;
    }
    QPlainTextEdit::insertFromMimeData(source);
}

void CodeTextView::resizeEvent(QResizeEvent* e)
{
    QPlainTextEdit::resizeEvent(e);
    const QRect cr = contentsRect();
    ruler_->setGeometry(QRect(cr.left(), cr.top(), LineNumberRuler::thickness, cr.height()));
}

// ---- Painting ----

void CodeTextView::setHighlights(Highlights h)
{
    highlights_ = std::move(h);
    viewport()->update();
}

QRectF CodeTextView::blockRect(const QTextBlock& block) const
{
    return blockBoundingGeometry(block).translated(contentOffset());
}

void CodeTextView::paintEvent(QPaintEvent* e)
{
    {
        QPainter p(viewport());
        paintHighlights(p, e->rect());
    }
    QPlainTextEdit::paintEvent(e);
    if (carets_ && !carets_->empty()) {
        QPainter p(viewport());
        paintCarets(p, e->rect());
    }
}

void CodeTextView::paintHighlights(QPainter& p, const QRect& clip)
{
    const auto& h = highlights_;
    if (h.matches.empty() && h.errorBlocks.isEmpty())
        return;
    const int width = viewport()->width();
    for (QTextBlock b = firstVisibleBlock(); b.isValid(); b = b.next()) {
        if (!b.isVisible())
            continue;
        const QRectF r = blockRect(b);
        if (r.top() > clip.bottom())
            break;
        if (r.bottom() < clip.top())
            continue;
        QTextLayout* layout = b.layout();
        if (std::binary_search(h.errorBlocks.begin(), h.errorBlocks.end(), b.blockNumber()))
            p.fillRect(QRectF(0, r.top(), width, r.height()), h.errorLine);
        if (h.matches.empty() || !layout)
            continue;
        const int bs = b.position();
        const int be = bs + b.length();  // the line break included
        // First match that ends after the block start.
        auto it = std::lower_bound(h.matches.begin(), h.matches.end(), bs,
                                   [](const TextRange& m, int pos) { return m.end() <= pos; });
        for (; it != h.matches.end() && it->start < be; ++it) {
            const QColor color = int(it - h.matches.begin()) == h.current ? h.markCurrent : h.mark;
            const int from = std::max(it->start, bs) - bs;
            const int to = std::min(it->end(), be) - bs;
            for (int i = 0; i < layout->lineCount(); ++i) {
                const QTextLine line = layout->lineAt(i);
                const int ls = line.textStart();
                const int le = ls + line.textLength();
                // The last line also owns the block's line break.
                const int lineEnd = i == layout->lineCount() - 1 ? le + 1 : le;
                const int a = std::max(from, ls);
                const int z = std::min(to, lineEnd);
                if (z <= a)
                    continue;
                const double x0 = line.cursorToX(a);
                double x1 = z > le ? line.cursorToX(le) + 6 : line.cursorToX(z);
                if (x1 <= x0)
                    x1 = x0 + 6;
                p.fillRect(QRectF(r.left() + x0, r.top() + line.y(), x1 - x0, line.height()), color);
            }
        }
    }
}

QRectF CodeTextView::caretRect(int pos) const
{
    const QTextBlock b = document()->findBlock(pos);
    if (!b.isValid() || !b.layout())
        return QRectF();
    const QRectF r = blockRect(b);
    const int rel = pos - b.position();
    QTextLayout* layout = b.layout();
    if (layout->lineCount() == 0)
        return QRectF(r.left() + document()->documentMargin(), r.top(), 2, fontMetrics().height());
    const QTextLine line = layout->lineForTextPosition(rel).isValid() ? layout->lineForTextPosition(rel)
                                                                      : layout->lineAt(layout->lineCount() - 1);
    return QRectF(r.left() + line.cursorToX(rel), r.top() + line.y(), 2, line.height());
}

void CodeTextView::paintCarets(QPainter& p, const QRect& clip)
{
    // Only carets in the visible blocks are looked at.
    const QTextBlock first = firstVisibleBlock();
    if (!first.isValid())
        return;
    const int from = first.position();
    auto it = std::lower_bound(carets_->begin(), carets_->end(), from);
    for (; it != carets_->end(); ++it) {
        const QRectF r = caretRect(*it);
        if (r.top() > clip.bottom())
            break;
        if (r.isNull() || !r.intersects(clip))
            continue;
        p.fillRect(r, caretColor);
    }
}

void CodeTextView::revealRange(int start, int length)
{
    const QTextCursor keep = textCursor();
    QTextCursor c(document());
    c.setPosition(std::min(start + length, document()->characterCount() - 1));
    const QTextBlock b = c.block();
    // Scroll vertically to the block, then horizontally to the match, keeping
    // the selection where it was.
    const int hval = horizontalScrollBar()->value();
    QRectF r = blockRect(b);
    if (r.top() < 0 || r.bottom() > viewport()->height()) {
        const int target = std::max(0, b.firstLineNumber() - std::max(0, viewport()->height() / std::max(1, fontMetrics().height()) / 3));
        verticalScrollBar()->setValue(target);
    }
    const QRectF cr = caretRect(start);
    if (!cr.isNull() && (cr.left() < 0 || cr.right() > viewport()->width()))
        horizontalScrollBar()->setValue(std::max(0, hval + int(cr.left()) - viewport()->width() / 2));
    setTextCursor(keep);
    viewport()->update();
}
