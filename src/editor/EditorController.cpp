#include "editor/EditorController.h"

#include "core/AppModel.h"
#include "editor/AppFonts.h"
#include "editor/CodeTextView.h"
#include "editor/EditorCache.h"
#include "editor/EditorScheme.h"
#include "editor/LineNumberRuler.h"
#include "editor/Palette.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <malloc.h>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <algorithm>
#include <cmath>

EditorController::EditorController(DocPtr doc, AppModel& model)
    : doc_(std::move(doc)), model_(model), view_(new CodeTextView)
{
    view_->setObjectName(QStringLiteral("editor"));
    view_->setLineWrapMode(QPlainTextEdit::NoWrap);
    view_->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    view_->document()->setDocumentMargin(6);

    highlightWork_.setSingleShot(true);
    highlightWork_.setInterval(highlightDelayMSecs);
    connect(&highlightWork_, &QTimer::timeout, this, [this] { refreshHighlights(pendingReset_); });
    syncWork_.setSingleShot(true);
    syncWork_.setInterval(largeSyncDelayMSecs);
    connect(&syncWork_, &QTimer::timeout, this, &EditorController::flushSync);
    loadWork_.setInterval(0);
    connect(&loadWork_, &QTimer::timeout, this, &EditorController::loadSlice);

    if (doc_->text().size() >= sliceThreshold) {
        startLoad(doc_->text());
    } else {
        applying_ = true;
        view_->setPlainText(doc_->text());
        applying_ = false;
    }

    view_->onCaretsChange = [this](std::optional<int> count) {
        if (isActive())
            model_.setMultiCaretCount(count);
    };
    view_->onEscape = [this] {
        if (view_->carets())
            view_->clearCarets();
        else if (EditorCache::escapeHandler())
            EditorCache::escapeHandler()();
    };
    connect(view_->document(), &QTextDocument::contentsChange, this, &EditorController::textDidChange);
    connect(view_, &QPlainTextEdit::cursorPositionChanged, this, [this] {
        if (isActive())
            updateCaretInfo();
    });
    connect(view_, &QPlainTextEdit::selectionChanged, this, [this] {
        if (isActive())
            updateCaretInfo();
    });

    applyStyle();
    QTextCursor start(view_->document());
    view_->setTextCursor(start);

    bag_ << connect(doc_.get(), &Doc::changed, this, [this](Doc::Field f) {
        if (f == Doc::Field::diagnostics) {
            QSet<int> lines;
            for (const Diagnostic& d : doc_->diagnostics())
                lines.insert(d.line);
            view_->ruler()->setErrorLines(lines);
            scheduleHighlights(false);
        } else if (f == Doc::Field::text) {
            ++textVersion_;
            if (syncing_)
                return;
            // The workspace replaced the text: edits not yet written are
            // superseded by it.
            pendingEdits_.clear();
            pendingFull_ = false;
            syncWork_.stop();
            if (isLoading()) {
                startLoad(doc_->text());
                return;
            }
            if (doc_->text() != view_->text())
                replaceAll(doc_->text());
        }
    });
    bag_ << connect(&model_, &AppModel::changed, this, [this](AppModel::Field f) {
        using F = AppModel::Field;
        switch (f) {
        case F::findQuery:
        case F::caseSensitive:
        case F::wholeWord:
        case F::useRegex:
        case F::findVisible: scheduleHighlights(true); break;
        case F::settings: applyStyle(); break;
        case F::activeID:
            if (isActive()) {
                updateCaretInfo();
                model_.setMultiCaretCount(view_->carets() ? std::optional<int>(int(view_->carets()->size()))
                                                          : std::nullopt);
                scheduleHighlights(true);
            }
            break;
        default: break;
        }
    });
    bag_ << connect(&AppearanceNotifier::shared(), &AppearanceNotifier::appearanceChanged, this,
                    &EditorController::applyStyle);
}

EditorController::~EditorController()
{
    flushSync();
    for (const auto& c : bag_)
        disconnect(c);
    delete view_.data();
}

LineNumberRuler* EditorController::ruler() const { return view_->ruler(); }
QWidget* EditorController::widget() const { return view_; }

bool EditorController::isActive() const { return model_.activeID() && *model_.activeID() == doc_->id; }

// ---- Text flowing between the view and the document ----

void EditorController::writeDoc(const QString& text)
{
    syncing_ = true;
    doc_->setText(text);
    syncing_ = false;
}

void EditorController::textDidChange(int pos, int removed, int added)
{
    if (applying_)
        return;
    const QString& old = doc_->text();
    if (old.size() >= sliceThreshold) {
        // Collected and written in one go: a keystroke must not copy 100 MB.
        if (pendingEdits_.size() > 4096)
            pendingFull_ = true;
        else if (!pendingFull_)
            pendingEdits_.push_back({pos, removed, view_->textIn(pos, added)});
        if (!syncWork_.isActive())
            qApp->installEventFilter(this);
        syncWork_.start();
        scheduleHighlights(false);
        return;
    }
    flushSync();
    const int viewLength = view_->document()->characterCount() - 1;
    QString text;
    // The change alone is spliced into the document's text, so a keystroke
    // never extracts the whole text from the view.
    if (pos >= 0 && removed >= 0 && added >= 0 && pos + removed <= old.size()
        && old.size() - removed + added == viewLength) {
        text = old;
        text.replace(pos, removed, view_->textIn(pos, added));
    } else {
        text = view_->text();
    }
    writeDoc(text);
    scheduleHighlights(false);
}

bool EditorController::eventFilter(QObject* watched, QEvent* event)
{
    // Any command other than typing into this editor (a shortcut such as
    // save, a click elsewhere, closing) first sees the complete text.
    switch (event->type()) {
    case QEvent::ShortcutOverride: {
        const auto mods = static_cast<QKeyEvent*>(event)->modifiers();
        if (mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
            flushSync();
        break;
    }
    case QEvent::KeyPress:
        if (watched != view_ && watched != view_->viewport())
            flushSync();
        break;
    case QEvent::MouseButtonPress:
    case QEvent::Close:
    case QEvent::FocusOut:
        flushSync();
        break;
    default: break;
    }
    return false;
}

void EditorController::flushSync()
{
    syncWork_.stop();
    if (qApp)
        qApp->removeEventFilter(this);
    if (!syncPending() || !view_)
        return;
    QString text;
    bool full = pendingFull_;
    if (!full) {
        text = doc_->text();
        for (const PendingEdit& e : pendingEdits_) {
            if (e.pos < 0 || e.removed < 0 || e.pos + e.removed > text.size()) {
                full = true;
                break;
            }
            text.replace(e.pos, e.removed, e.inserted);
        }
        if (text.size() != view_->document()->characterCount() - 1)
            full = true;
    }
    if (full)
        text = view_->text();
    pendingEdits_.clear();
    pendingFull_ = false;
    writeDoc(text);
}

void EditorController::replaceAll(const QString& text)
{
    view_->clearCarets();
    if (view_->isReadOnly())
        return;
    QTextCursor c(view_->document());
    c.beginEditBlock();
    c.select(QTextCursor::Document);
    if (text.isEmpty())
        c.removeSelectedText();
    else
        c.insertText(text);
    c.endEditBlock();
    applyStyle();
}

void EditorController::editRange(int start, int length, const QString& text)
{
    if (view_->isReadOnly())
        return;
    QTextCursor c(view_->document());
    c.beginEditBlock();
    c.setPosition(start);
    c.setPosition(start + length, QTextCursor::KeepAnchor);
    if (text.isEmpty())
        c.removeSelectedText();
    else
        c.insertText(text);
    c.endEditBlock();
}

void EditorController::loadFromDoc()
{
    view_->clearCarets();
    if (doc_->text().size() >= sliceThreshold) {
        startLoad(doc_->text());
    } else {
        loadWork_.stop();
        loadPos_ = -1;
        applying_ = true;
        view_->setPlainText(doc_->text());  // also empties the undo stack
        applying_ = false;
        view_->setReadOnly(false);
    }
    applyStyle();
    scheduleHighlights(false);
}

// ---- Sliced loading of large texts ----

void EditorController::startLoad(const QString& text)
{
    // Shares the document's buffer: no second full copy of the text.
    loadText_ = text;
    loadPos_ = 0;
    applying_ = true;
    view_->setReadOnly(true);
    QTextDocument* d = view_->document();
    d->setUndoRedoEnabled(false);
    view_->clear();
    emit loadingChanged(true);
    loadSlice();  // the first screenful right away
    if (isLoading())
        loadWork_.start();
}

void EditorController::loadSlice()
{
    if (loadPos_ < 0)
        return;
    QElapsedTimer t;
    t.start();
    QTextCursor c(view_->document());
    applying_ = true;
    const qsizetype total = loadText_.size();
    // Slices end at a line feed; each tick stays well under 100 ms.
    constexpr qsizetype slice = 128 * 1024;
    while (loadPos_ < total && t.elapsed() < 25) {
        qsizetype end = std::min(total, loadPos_ + slice);
        if (end < total) {
            const qsizetype nl = loadText_.lastIndexOf(QLatin1Char('\n'), end - 1);
            if (nl >= loadPos_)
                end = nl + 1;
        }
        c.movePosition(QTextCursor::End);
        c.insertText(loadText_.mid(loadPos_, end - loadPos_));
        loadPos_ = end;
    }
    applying_ = false;
    if (loadPos_ >= total)
        finishLoad();
    else
        applying_ = true;
}

void EditorController::finishLoad()
{
    loadWork_.stop();
    loadText_ = QString();
    loadPos_ = -1;
    applying_ = false;
    view_->document()->setUndoRedoEnabled(true);
    view_->setReadOnly(false);
    // The slices were short-lived copies; give their pages back.
    malloc_trim(0);
    emit loadingChanged(false);
    scheduleHighlights(false);
}

double EditorController::loadProgress() const
{
    if (loadPos_ < 0 || loadText_.isEmpty())
        return 1.0;
    return double(loadPos_) / double(loadText_.size());
}

// ---- Style ----

void EditorController::applyStyle()
{
    const Settings& s = model_.settings();
    const EditorScheme& scheme = EditorScheme::find(s.scheme);
    const bool dark = scheme.isDark();
    const QFont font = AppFonts::mono(s.fontSize);
    if (view_->font() != font) {
        view_->setFont(font);
        view_->document()->setDefaultFont(font);
    }
    view_->setTabStopDistance(4 * QFontMetricsF(font).horizontalAdvance(QLatin1Char(' ')));

    QPalette pal = view_->palette();
    const QColor bg = scheme.background.resolve(dark);
    const QColor fg = scheme.foreground.resolve(dark);
    QColor sel = Palette::accent().resolve(dark);
    sel.setAlphaF(0.22f);
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(group, QPalette::Base, bg);
        pal.setColor(group, QPalette::Window, bg);
        pal.setColor(group, QPalette::Text, fg);
        pal.setColor(group, QPalette::Highlight, sel);
        pal.setColor(group, QPalette::HighlightedText, fg);
    }
    view_->setPalette(pal);
    view_->caretColor = Palette::accent().resolve(dark);

    wrapping_ = s.wordWrap;
    const auto mode = wrapping_ ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap;
    if (view_->lineWrapMode() != mode)
        view_->setLineWrapMode(mode);

    LineNumberRuler* r = view_->ruler();
    r->background = bg;
    r->numberColor = scheme.gutter.resolve(dark);
    r->dangerColor = Palette::danger().resolve(dark);
    r->update();
    paintHighlights();
}

// ---- Highlights ----

void EditorController::scheduleHighlights(bool resetIndex)
{
    pendingReset_ = resetIndex;
    highlightWork_.start();
}

void EditorController::refreshHighlights(bool resetIndex)
{
    highlightWork_.stop();
    flushSync();
    QSet<int> lines;
    for (const Diagnostic& d : doc_->diagnostics())
        lines.insert(d.line);
    view_->ruler()->setErrorLines(lines);

    std::optional<QString> error;
    const FindOptions opts = FindOptions::from(model_);
    if (!model_.findVisible() || opts.query.isEmpty()) {
        matches_.clear();
        matchedVersion_ = ~quint64(0);
    } else {
        FindExpression expr = FindEngine::regex(opts);
        if (expr.isInvalid()) {
            error = FindEngine::invalidText;
            matches_.clear();
            matchedVersion_ = ~quint64(0);
        } else if (matchedVersion_ != textVersion_ || !(opts.query == matchedOptions_.query
                                                        && opts.caseSensitive == matchedOptions_.caseSensitive
                                                        && opts.wholeWord == matchedOptions_.wholeWord
                                                        && opts.useRegex == matchedOptions_.useRegex)) {
            // The document's text equals the view's, and needs no extraction.
            matches_ = expr.matches(doc_->text());
            matchedVersion_ = textVersion_;
            matchedOptions_ = opts;
        }
    }
    if (!isActive()) {
        paintHighlights();
        return;
    }
    const int count = int(matches_.size());
    int index = model_.findIndex();
    if (resetIndex) {
        const int from = view_->textCursor().selectionStart();
        auto it = std::lower_bound(matches_.begin(), matches_.end(), from,
                                   [](const TextRange& m, int pos) { return m.start < pos; });
        index = it == matches_.end() ? 0 : int(it - matches_.begin());
    }
    if (index >= count || index < 0)
        index = 0;
    model_.setFindIndex(index);
    paintHighlights();
    model_.setMatchCount(count);
    model_.setFindError(error);
}

void EditorController::paintHighlights()
{
    const bool dark = EditorScheme::find(model_.settings().scheme).isDark();
    CodeTextView::Highlights h;
    if (isActive()) {
        h.matches = matches_;
        h.current = model_.findIndex();
    }
    QList<int> blocks;
    for (int line : view_->ruler()->errorLines())
        if (line >= 1)
            blocks << line - 1;
    std::sort(blocks.begin(), blocks.end());
    h.errorBlocks = blocks;
    h.mark = Palette::mark().resolve(dark);
    h.markCurrent = Palette::markCurrent().resolve(dark);
    h.errorLine = Palette::errorLine().resolve(dark);
    view_->setHighlights(std::move(h));
}

// ---- Caret ----

QString EditorController::caretDescription(int line, int column, int selectionLength)
{
    QString s = QStringLiteral("行 %1，列 %2").arg(line).arg(column);
    if (selectionLength >= 1)
        s += QStringLiteral("（已选 %1 字符）").arg(selectionLength);
    return s;
}

void EditorController::updateCaretInfo()
{
    const QTextCursor c = view_->textCursor();
    const int length = view_->document()->characterCount() - 1;
    const int p = std::min(c.selectionStart(), length);
    // Lines are blocks, so this costs no scan of the text.
    const QTextBlock b = view_->document()->findBlock(p);
    const QString info = caretDescription(b.blockNumber() + 1, p - b.position() + 1,
                                          c.selectionEnd() - c.selectionStart());
    if (model_.caretInfo() != info)
        model_.setCaretInfo(info);
}

void EditorController::toggleMultiCaret()
{
    if (!view_->carets()) {
        model_.setFindVisible(false);
        if (!view_->splitSelectionIntoLines())
            model_.flash(QStringLiteral("先选中要批量编辑的多行"));
        focus();
    } else {
        view_->clearCarets();
    }
}

void EditorController::exitMultiCaret() { view_->clearCarets(); }

void EditorController::focus()
{
    if (view_->window() && view_->isVisible())
        view_->setFocus(Qt::OtherFocusReason);
}

QString EditorController::selectedText() const
{
    const QTextCursor c = view_->textCursor();
    return view_->textIn(c.selectionStart(), c.selectionEnd() - c.selectionStart());
}

// ---- Find navigation and replacement ----

void EditorController::setFindIndex(int i) { model_.setFindIndex(i); }

void EditorController::step(int delta)
{
    refreshHighlights(false);
    const int n = int(matches_.size());
    if (n == 0) {
        QApplication::beep();
        return;
    }
    setFindIndex(((model_.findIndex() + delta) % n + n) % n);
    reveal();
}

void EditorController::reveal()
{
    refreshHighlights(false);
    const int i = model_.findIndex();
    if (i >= 0 && i < int(matches_.size()))
        view_->revealRange(matches_[size_t(i)].start, matches_[size_t(i)].length);
}

void EditorController::replaceCurrent()
{
    refreshHighlights(false);
    const int i = model_.findIndex();
    if (model_.findQuery().isEmpty() || i < 0 || i >= int(matches_.size()))
        return;
    FindExpression expr = FindEngine::regex(model_);
    if (!expr.isReady())
        return;
    const TextRange m = matches_[size_t(i)];
    // The match is searched again on its own, so groups refer to it alone.
    const QString piece = doc_->text().mid(m.start, m.length);
    editRange(m.start, m.length, expr.replaceAll(piece, FindEngine::replaceTemplate(model_)));
    refreshHighlights(false);
    if (model_.findIndex() >= int(matches_.size()))
        setFindIndex(0);
    if (!matches_.empty())
        reveal();
}

void EditorController::replaceEverything()
{
    refreshHighlights(false);
    const int n = int(matches_.size());
    if (n == 0 || model_.findQuery().isEmpty())
        return;
    FindExpression expr = FindEngine::regex(model_);
    if (!expr.isReady())
        return;
    view_->clearCarets();
    if (view_->isReadOnly())
        return;
    const QString& old = doc_->text();
    const auto reps = expr.replacements(old, FindEngine::replaceTemplate(model_));
    QString result;
    result.reserve(old.size() + 16);
    int last = 0;
    for (const auto& r : reps) {
        result.append(QStringView(old).mid(last, r.range.start - last));
        result.append(r.text);
        last = r.range.end();
    }
    result.append(QStringView(old).mid(last));
    // Each match is replaced where it is, from the last to the first, in one
    // edit block: one undo step, and the text between the matches is never
    // rebuilt in the view.
    applying_ = true;
    QTextCursor c(view_->document());
    c.beginEditBlock();
    for (auto it = reps.rbegin(); it != reps.rend(); ++it) {
        c.setPosition(it->range.start);
        c.setPosition(it->range.end(), QTextCursor::KeepAnchor);
        if (it->text.isEmpty())
            c.removeSelectedText();
        else
            c.insertText(it->text);
    }
    c.endEditBlock();
    applying_ = false;
    writeDoc(view_->document()->characterCount() - 1 == result.size() ? result : view_->text());
    applyStyle();
    refreshHighlights(false);
    model_.flash(QStringLiteral("已替换 %1 处").arg(n));
}
