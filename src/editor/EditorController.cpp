#include "editor/EditorController.h"

#include "core/AppModel.h"
#include "core/Zoom.h"
#include "editor/AppFonts.h"
#include "editor/BufferLoader.h"
#include "editor/CaretBlinkRest.h"
#include "editor/CodeTextView.h"
#include "editor/EditorCache.h"
#include "editor/EditorContextMenu.h"
#include "editor/EditorHost.h"
#include "editor/EditorScheme.h"
#include "editor/FindState.h"
#include "editor/LineNumberRuler.h"
#include "editor/Palette.h"
#include "editor/WordCounter.h"
#include "editor/syntax/SyntaxStyler.h"

#include <QApplication>
#include <algorithm>
#include <cmath>

EditorController::EditorController(DocPtr doc, AppModel& model, EditorHost& host)
    : doc_(std::move(doc)), model_(model), host_(host), view_(new CodeTextView)
{
    view_->setObjectName(QStringLiteral("editor"));
    new CaretBlinkRest(view_);
    finder_ = new FindWorker(this);
    replacer_ = new FindWorker(this);
    highlightWork_.setSingleShot(true);
    highlightWork_.setInterval(highlightDelayMSecs);
    connect(&highlightWork_, &QTimer::timeout, this, [this] { refreshHighlights(pendingReset_); });
    analysisWork_.setSingleShot(true);
    analysisWork_.setInterval(analysisDelayMSecs);
    connect(&analysisWork_, &QTimer::timeout, this, [this] { doc_->scheduleAnalysis(0); });

    // Style bytes cost a byte per byte: plain text gets them only while
    // small, so that renaming it to a coloured format colours it. A text
    // with a very long line is never coloured.
    syntax_ = new SyntaxStyler(view_);
    safe_ = fill();
    attachText();

    words_ = new WordCounter(view_, [this] { emit wordCountChanged(); });
    view_->onTextChange = [this] { textDidChange(); };
    view_->onImagePaste = [this](const QImage& image) { pasteImage(image); };
    view_->onSelectionChange = [this] {
        words_->selectionChanged();
        emit caretMoved();
    };
    view_->onCaretsChange = [this](std::optional<int> count) {
        if (isActive())
            host_.setMultiCaretCount(count);
    };
    contextMenu_ = new EditorContextMenu(*this, view_);
    view_->onContextMenu = [this](QPoint at) { contextMenu_->showAt(at); };
    view_->onEscape = [this] {
        if (view_->carets())
            view_->clearCarets();
        else if (EditorCache::escapeHandler())
            EditorCache::escapeHandler()();
    };

    applyStyle();
    view_->setAccessibleName(QStringLiteral("正文"));

    // A click on an error line's number goes to that line's first problem.
    bag_ << connect(view_->ruler(), &LineNumberRuler::errorLineClicked, this, [this](int line) {
        for (const Diagnostic& d : doc_->diagnostics())
            if (d.line == line) {
                revealDiagnostic(d);
                return;
            }
    });

    Doc* d = doc_.get();
    bag_ << connect(d, &Doc::diagnosticsChanged, this, [this] {
        QSet<int> lines;
        for (const Diagnostic& x : doc_->diagnostics())
            lines.insert(x.line);
        view_->ruler()->setErrorLines(lines);
        scheduleHighlights(false);
    });
    bag_ << connect(d, &Doc::nameChanged, this, [this] {
        syntax_->setFormat(styledFormat(), doc_->name());
        applyStyle();
    });
    bag_ << connect(d, &Doc::wrapChanged, this, &EditorController::applyStyle);
    bag_ << connect(d, &Doc::textChanged, this, [this] {
        ++textVersion_;
        if (syncing_)
            return;
        // The file was read again and the buffer let go: the workspace
        // loads the new text next (loadFromDoc), as it was read.
        if (!doc_->hasLiveText())
            return;
        // The workspace replaced the text (setText emits only for a
        // different text, which it compared with this buffer's).
        replaceAll(doc_->text());
    });
    for (const auto signal : {&FindState::visibleChanged, &FindState::searchChanged})
        bag_ << connect(&host_.find(), signal, this, [this] { scheduleHighlights(true); });
    bag_ << connect(&model_.session(), &SessionStore::settingsChanged, this, &EditorController::applyStyle);
    bag_ << connect(&host_, &EditorHost::zoomChanged, this, &EditorController::applyStyle);
    bag_ << connect(&model_.documents(), &DocumentModel::activeChanged, this, [this] {
        if (!isActive())
            return;
        emit caretMoved();
        host_.setMultiCaretCount(view_->carets() ? std::optional<int>(int(view_->carets()->size())) : std::nullopt);
        scheduleHighlights(true);
    });
    bag_ << connect(&AppearanceNotifier::shared(), &AppearanceNotifier::appearanceChanged, this,
                    &EditorController::applyStyle);
}

EditorController::~EditorController()
{
    for (const auto& c : bag_)
        disconnect(c);
    doc_->detachLiveText();
    delete view_.data();
}

void EditorController::attachText()
{
    // From here on the view's buffer is the live text; the Doc pulls it
    // only when someone reads it.
    QPointer<CodeTextView> v = view_;
    doc_->attachLiveText({[v] { return v ? v->text() : QString(); },
                          [v] { return v ? qsizetype(v->length()) : qsizetype(0); },
                          [v](int lines) { return v ? v->leadingLines(lines) : QString(); },
                          [v] { return v ? v->utf8() : QByteArray(); },
                          [v] { return v ? v->byteLength() : qsizetype(0); }, [v] { return v && !v->isModified(); },
                          [v] {
                              if (v)
                                  v->setSavePoint();
                          },
                          [v](qsizetype from, qsizetype n, char* out) {
                              if (v)
                                  v->copyBytes(from, n, out);
                          },
                          [v] { return v ? v->takeEditedFrom() : qsizetype(0); }});
}

// An opened file's bytes go to the buffer as they are, or the buffer itself
// was built as the file was read. True when the text has a long line.
bool EditorController::fill()
{
    if (auto buffer = std::dynamic_pointer_cast<BufferLoader>(doc_->loadedText())) {
        const bool longLine = buffer->longestLine() > CodeTextView::longLine;
        syntax_->setFormat(longLine || safe_ ? QString() : doc_->plugin().id, doc_->name());
        view_->adopt(*buffer);
        return longLine;
    }
    const TextCopy initial = doc_->textCopy();
    const qsizetype size = initial.isUtf8() ? initial.utf8.size() : initial.text.size();
    const bool longLine = initial.isUtf8() ? CodeTextView::hasLongLine(QByteArrayView(initial.utf8))
                                           : CodeTextView::hasLongLine(initial.text);
    view_->setStyleBytes(!longLine && !safe_ && wantsStyleBytes(doc_->plugin().id, size));
    syntax_->setFormat(longLine || safe_ ? QString() : doc_->plugin().id, doc_->name());
    if (initial.isUtf8())
        view_->setUtf8(initial.utf8);
    else
        view_->setPlainText(initial.text);
    return longLine;
}

void EditorController::loadFromDoc()
{
    view_->clearCarets();
    applying_ = true;
    const bool longLine = fill();  // a new buffer: no undo history
    applying_ = false;
    words_->textChanged();
    if (longLine && !safe_)
        enterSafeDisplay();
    attachText();
    applyStyle();
    scheduleHighlights(false);
}

bool EditorController::wantsStyleBytes(const QString& pluginID, qsizetype bytes)
{
    return SyntaxStyler::languageOf(pluginID) != Syntax::Language::none || bytes < CodeTextView::quietThreshold;
}

LineNumberRuler* EditorController::ruler() const { return view_->ruler(); }
QWidget* EditorController::widget() const { return view_; }

bool EditorController::isActive() const { return model_.activeID() && *model_.activeID() == doc_->id; }

// ---- Text flowing between the view and the document ----

void EditorController::textDidChange()
{
    if (applying_)
        return;
    // A pasted long line ends where the caret is.
    if (!safe_ && view_->caretLineIsLong())
        enterSafeDisplay();
    // The Doc only learns that its text changed; nothing is copied per key.
    syncing_ = true;
    doc_->liveTextChanged();
    syncing_ = false;
    analysisWork_.start();
    scheduleHighlights(false);
    words_->textChanged();
}

void EditorController::replaceAll(const QString& text)
{
    view_->clearCarets();
    if (view_->isReadOnly())
        return;
    view_->replaceWhole(text);
    if (!safe_ && CodeTextView::hasLongLine(text))
        enterSafeDisplay();
    applyStyle();
}

void EditorController::runAction(const PluginAction& action)
{
    QString result;
    try {
        result = action.run(doc_->text());
    } catch (const PluginError& e) {
        model_.flash(e.message);
        return;
    }
    replaceAll(result);
    model_.flash(QStringLiteral("已") + action.title);
}

void EditorController::editRange(int start, int length, const QString& text)
{
    view_->replaceRange(start, length, text);
}

// ---- Style ----

QString EditorController::styledFormat() const { return safe_ ? QString() : doc_->plugin().id; }

QString EditorController::safeNoticeText()
{
    return QStringLiteral("文档中有超过 %1 KB 的行：已关闭着色、折叠和自动换行，这样的行只显示前 %1 KB。")
        .arg(CodeTextView::longLine >> 10);
}

void EditorController::enterSafeDisplay()
{
    safe_ = true;
    safeNoticeDismissed_ = false;
    syntax_->setFormat(styledFormat(), doc_->name());
    applyStyle();
    emit safeDisplayEntered();
}

void EditorController::applyStyle()
{
    const Settings& s = model_.settings();
    const EditorScheme& scheme = EditorScheme::find(s.scheme);
    const bool dark = scheme.isDark();
    const double size = s.fontSize * host_.zoom() / Zoom::normal;
    view_->setEditorFont(s.hanDoubleWidth ? AppFonts::evenHan(size) : AppFonts::editor(s.fontFamily, size),
                         int(std::lround(size * 0.45)));
    view_->SendScintilla(QsciScintillaBase::SCI_SETVIEWWS,
                         s.showWhitespace ? QsciScintillaBase::SCWS_VISIBLEALWAYS : QsciScintillaBase::SCWS_INVISIBLE);
    const QColor bg = scheme.background.resolve(dark);
    const QColor fg = scheme.foreground.resolve(dark);
    QColor sel = Palette::accent().resolve(dark);
    sel.setAlphaF(0.22f);
    view_->caretColor = Palette::accent().resolve(dark);
    view_->setColors(bg, fg, sel);
    syntax_->applyColors(scheme, dark);
    wrapping_ = model_.wraps(*doc_) && !safe_;
    view_->setWrapping(wrapping_);
    const QString format = doc_->plugin().id;
    view_->setTypingRules({format, s.indentFor(format)});

    LineNumberRuler* r = view_->ruler();
    r->background = bg;
    r->numberColor = scheme.gutter.resolve(dark);
    r->dangerColor = Palette::danger().resolve(dark);
    r->sync();
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
    QSet<int> lines;
    for (const Diagnostic& d : doc_->diagnostics())
        lines.insert(d.line);
    view_->ruler()->setErrorLines(lines);

    std::optional<QString> error;
    const FindOptions opts = host_.find().options();
    bool searching = false;
    if (!host_.find().visible() || opts.query.isEmpty()) {
        stopSearch();
        matches_.clear();
        matchedVersion_ = ~quint64(0);
    } else {
        FindExpression expr = FindEngine::regex(opts);
        if (expr.isInvalid()) {
            stopSearch();
            error = FindEngine::invalidText;
            matches_.clear();
            matchedVersion_ = ~quint64(0);
        } else if (matchedVersion_ != textVersion_ || opts != matchedOptions_) {
            if (view_->byteLength() >= searchAsideBytes) {
                // Positions found in an older text are no use meanwhile.
                matches_.clear();
                searching = true;
                if (searchRunningFor(opts))
                    searchReset_ = searchReset_ || resetIndex;
                else
                    searchAside(opts, resetIndex);
            } else {
                stopSearch();
                // The document's text equals the view's, and needs no extraction.
                matches_ = expr.matches(doc_->text());
                matchedVersion_ = textVersion_;
                matchedOptions_ = opts;
            }
        }
    }
    if (!isActive()) {
        paintHighlights();
        return;
    }
    if (searching) {
        paintHighlights();
        host_.find().setMatchCount(FindState::searchingMatches);
        host_.find().setError(error);
        return;
    }
    const int count = int(matches_.size());
    int index = host_.find().index();
    if (resetIndex) {
        const int from = view_->selectionStart();
        auto it = std::lower_bound(matches_.begin(), matches_.end(), from,
                                   [](const TextRange& m, int pos) { return m.start < pos; });
        index = it == matches_.end() ? 0 : int(it - matches_.begin());
    }
    if (index >= count || index < 0)
        index = 0;
    host_.find().setIndex(index);
    paintHighlights();
    host_.find().setMatchCount(count);
    host_.find().setError(error);
}

bool EditorController::searchRunningFor(const FindOptions& opts) const
{
    return (finder_->busy() || searchCopying_) && searchVersion_ == textVersion_ && searchOptions_ == opts;
}

void EditorController::stopSearch()
{
    finder_->cancel();
    searchCopying_ = false;
    ++searchTicket_;
}

void EditorController::searchAside(const FindOptions& opts, bool resetIndex)
{
    stopSearch();
    searchVersion_ = textVersion_;
    searchOptions_ = opts;
    searchReset_ = resetIndex;
    searchCopying_ = true;
    // A long buffer is copied a piece per turn; the copy is the text as it
    // is when it arrives.
    doc_->withTextCopy([self = QPointer<EditorController>(this), ticket = searchTicket_](TextCopy copy) {
        if (self && ticket == self->searchTicket_)
            self->searchCopy(std::move(copy));
    });
}

void EditorController::searchCopy(TextCopy copy)
{
    searchCopying_ = false;
    searchVersion_ = textVersion_;
    finder_->find(searchOptions_, std::move(copy),
                  [this, version = textVersion_, opts = searchOptions_](FindWorker::Matches found) {
                      matches_ = std::move(found);
                      matchedVersion_ = version;
                      matchedOptions_ = opts;
                      // Searches again at once if the text or the query moved on meanwhile.
                      refreshHighlights(searchReset_);
                  });
}

void EditorController::searchNow(bool resetIndex)
{
    refreshHighlights(resetIndex);
    // A command needs the matches now: no waiting for the copy's turns.
    if (searchCopying_) {
        ++searchTicket_;
        searchCopy(TextCopy::fromUtf8(view_->utf8()));
    }
    finder_->finish();
}

void EditorController::paintHighlights()
{
    const bool dark = EditorScheme::find(model_.settings().scheme).isDark();
    CodeTextView::Highlights h;
    if (isActive()) {
        h.matches = matches_;
        h.current = host_.find().index();
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

QString EditorController::wordCount() const { return words_->text(); }

void EditorController::toggleMultiCaret()
{
    if (!view_->carets()) {
        host_.find().setVisible(false);
        if (!view_->splitSelectionIntoLines())
            model_.flash(QStringLiteral("先选中要批量编辑的多行"));
        focus();
    } else {
        view_->clearCarets();
    }
}

void EditorController::exitMultiCaret() { view_->clearCarets(); }

void EditorController::revealDiagnostic(const Diagnostic& d)
{
    const int line = std::clamp(d.line - 1, 0, view_->lineCount() - 1);
    const int start = view_->lineStart(line);
    const int column = std::clamp(d.column.value_or(1) - 1, 0, view_->lineEnd(line) - start);
    view_->clearCarets();
    view_->setCursorPosition(start + column);
    view_->SendScintilla(QsciScintillaBase::SCI_SCROLLCARET);
    focus();
}

void EditorController::focus()
{
    if (view_->window() && view_->isVisible())
        view_->setFocus(Qt::OtherFocusReason);
}

QString EditorController::selectedText() const
{
    return view_->textIn(view_->selectionStart(), view_->selectionEnd() - view_->selectionStart());
}

// ---- Find navigation and replacement ----

void EditorController::setFindIndex(int i) { host_.find().setIndex(i); }

void EditorController::flushHighlights()
{
    // A query typed a moment ago still waits for its repaint, and its index reset.
    searchNow(highlightWork_.isActive() && pendingReset_);
}

void EditorController::step(int delta)
{
    flushHighlights();
    const int n = int(matches_.size());
    if (n == 0) {
        QApplication::beep();
        return;
    }
    setFindIndex(((host_.find().index() + delta) % n + n) % n);
    reveal();
}

void EditorController::reveal()
{
    searchNow(false);
    const int i = host_.find().index();
    if (i >= 0 && i < int(matches_.size()))
        view_->revealRange(matches_[size_t(i)].start, matches_[size_t(i)].length);
}

void EditorController::goToLine(int line, int column)
{
    view_->clearCarets();
    const int l = std::clamp(line, 1, view_->lineCount()) - 1;
    const int start = view_->lineStart(l);
    const int pos = start + std::clamp(column, 1, view_->lineEnd(l) - start + 1) - 1;
    view_->setCursorPosition(pos);
    view_->revealRange(pos, 0);
}

EditorPlace EditorController::place() const
{
    using B = QsciScintillaBase;
    const long visible = view_->SendScintilla(B::SCI_GETFIRSTVISIBLELINE);
    // In bytes: the UTF-16 position index costs a pass over the text, and
    // the session asks for this as soon as a document opens. The column is
    // counted in characters so that it survives a change of encoding.
    const long caret = view_->SendScintilla(B::SCI_GETCURRENTPOS);
    const long line = view_->SendScintilla(B::SCI_LINEFROMPOSITION, caret);
    return {
        int(line), int(view_->SendScintilla(B::SCI_DOCLINEFROMVISIBLE, visible)),
        int(view_->SendScintilla(B::SCI_COUNTCHARACTERS, view_->SendScintilla(B::SCI_POSITIONFROMLINE, line), caret))};
}

void EditorController::restorePlace(const EditorPlace& place)
{
    using B = QsciScintillaBase;
    const int last = view_->lineCount() - 1;
    const long line = std::clamp(place.caretLine, 0, last);
    const long start = view_->SendScintilla(B::SCI_POSITIONFROMLINE, line);
    const long length = view_->SendScintilla(B::SCI_COUNTCHARACTERS, start,
                                             view_->SendScintilla(B::SCI_GETLINEENDPOSITION, line));
    const long column = std::clamp<long>(place.caretColumn, 0, length);
    const long caret = column == 0 ? start : view_->SendScintilla(B::SCI_POSITIONRELATIVE, start, column);
    view_->setCursorPosition(view_->toUtf16(caret));
    view_->SendScintilla(B::SCI_SETFIRSTVISIBLELINE,
                         view_->SendScintilla(B::SCI_VISIBLEFROMDOCLINE, std::clamp(place.topLine, 0, last)));
}

void EditorController::selectCurrentMatch()
{
    if (!isActive())
        return;
    flushHighlights();
    const int i = host_.find().index();
    if (i < 0 || i >= int(matches_.size()))
        return;
    const TextRange m = matches_[size_t(i)];
    view_->clearCarets();
    view_->setSelection(m.start, m.start + m.length);
    view_->revealRange(m.start, m.length);
}

void EditorController::replaceCurrent()
{
    searchNow(false);
    const int i = host_.find().index();
    if (host_.find().query().isEmpty() || i < 0 || i >= int(matches_.size()))
        return;
    FindExpression expr = FindEngine::regex(host_.find().options());
    if (!expr.isReady())
        return;
    const TextRange m = matches_[size_t(i)];
    // The match is searched again on its own, so groups refer to it alone.
    const QString piece = view_->textIn(m.start, m.length);
    editRange(m.start, m.length, expr.replaceAll(piece, host_.find().replaceTemplate()));
    searchNow(false);
    if (host_.find().index() >= int(matches_.size()))
        setFindIndex(0);
    if (!matches_.empty())
        reveal();
}

void EditorController::replaceEverything()
{
    searchNow(false);
    const int n = int(matches_.size());
    if (n == 0 || host_.find().query().isEmpty())
        return;
    FindExpression expr = FindEngine::regex(host_.find().options());
    if (!expr.isReady())
        return;
    view_->clearCarets();
    if (view_->isReadOnly())
        return;
    // One replacement of the whole text: one undo step, and far cheaper for
    // Scintilla than a hundred thousand small edits and their undo records.
    if (view_->byteLength() < searchAsideBytes) {
        view_->replaceWhole(expr.replaceAll(doc_->text(), host_.find().replaceTemplate()));
        finishReplaceAll(n);
        return;
    }
    ++replaceTicket_;
    doc_->withTextCopy([self = QPointer<EditorController>(this), ticket = replaceTicket_](TextCopy copy) {
        if (!self || ticket != self->replaceTicket_)
            return;
        self->replacer_->replaceAll(self->host_.find().options(), self->host_.find().replaceTemplate(), std::move(copy),
                                    [self, version = self->textVersion_](const FindWorker::Replaced& r) {
                                        // Typed into meanwhile: everything is replaced in the text as it is now.
                                        if (version != self->textVersion_)
                                            return self->replaceEverything();
                                        if (r.count == 0)
                                            return;
                                        self->view_->replaceWholeUtf8(r.utf8);
                                        self->finishReplaceAll(r.count);
                                    });
    });
}

void EditorController::finishReplaceAll(int count)
{
    applyStyle();
    refreshHighlights(false);
    model_.flash(QStringLiteral("已替换 %1 处").arg(count));
}
