#include "views/pane/EditorArea.h"

#include "core/Zoom.h"
#include "editor/AppFonts.h"
#include "editor/EditorCache.h"
#include "editor/EditorController.h"
#include "views/pane/StatusTitles.h"
#include "views/preview/PreviewEngine.h"
#include "views/preview/PreviewFailure.h"
#include "views/preview/PreviewSurface.h"
#include "views/state/WindowModel.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// A few seconds of a session that shows a preview somewhere, not in front.
constexpr int warmUpDelayMSecs = 3000;

// A divider the user can find: a hairline in the line colour inside a grab area.
class Handle : public QSplitterHandle {
public:
    using QSplitterHandle::QSplitterHandle;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(QRect(width() / 2, 0, 1, height()), Palette::line().resolve());
    }
};

// Caret count over the editor; clicks go through to the text.
class Badge : public QLabel {
public:
    explicit Badge(QWidget* parent) : QLabel(parent)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setTextFormat(Qt::RichText);
        setFont(AppFonts::sans(11.5));
        setContentsMargins(8, 3, 8, 3);
        hide();
    }

protected:
    void paintEvent(QPaintEvent* e) override
    {
        {
            QPainter p(this);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(Qt::NoPen);
            p.setBrush(Palette::accent().resolve());
            p.drawRoundedRect(QRectF(rect()), 6, 6);
        }
        QLabel::paintEvent(e);
    }
};

}

DiagnosticStrip::DiagnosticStrip(QWidget* parent) : PaneBar(26, parent, Line::top)
{
    text_ = new ColorLabel(QString(), Palette::fg2(), 11.5, true, this);
    text_->setMinimumWidth(20);
    text_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    count_ = new ColorLabel(QString(), Palette::fg3(), 11.5, false, this);
    row()->addWidget(text_, 1);
    row()->addWidget(count_);
}

void DiagnosticStrip::show(const Doc& doc)
{
    text_->setText(StatusTitles::strip(doc));
    count_->setText(StatusTitles::stripCount(doc));
    problem_ = !doc.diagnostics().isEmpty();
    setCursor(problem_ ? Qt::PointingHandCursor : Qt::ArrowCursor);
    setToolTip(problem_ ? QStringLiteral("点击转到问题所在") : QString());
}

void DiagnosticStrip::mouseReleaseEvent(QMouseEvent* e)
{
    if (problem_ && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()) && onClick)
        onClick();
}

EditorArea::EditorArea(WindowModel& model, EditorCache& editors, QWidget* parent)
    : QSplitter(Qt::Horizontal, parent), model_(model), editors_(editors)
{
    setHandleWidth(5);
    setChildrenCollapsible(false);
    column_ = new QWidget(this);
    auto* col = new QVBoxLayout(column_);
    col->setContentsMargins(0, 0, 0, 0);
    col->setSpacing(0);
    stack_ = new QStackedWidget(column_);
    col->addWidget(stack_, 1);
    strip_ = new DiagnosticStrip(column_);
    col->addWidget(strip_);
    strip_->onClick = [this] {
        EditorController* c = doc_ ? editors_.existing(doc_->id) : nullptr;
        if (c && !doc_->diagnostics().isEmpty())
            c->revealDiagnostic(doc_->diagnostics().first());
    };
    badge_ = new Badge(column_);
    column_->installEventFilter(this);
    addWidget(column_);
    setStretchFactor(0, 1);
    // Not a child of the splitter itself, which would take it for a pane.
    PreviewSurface::prepareWindow(column_);
    // Once a document shows a preview, the engine starts while the window is
    // idle rather than in the turn after that document is shown; a session
    // without one never loads it (its libraries, a hundred megabytes of processes).
    warmUp_ = new QTimer(this);
    warmUp_->setObjectName(QStringLiteral("previewWarmUp"));
    warmUp_->setSingleShot(true);
    warmUp_->setInterval(warmUpDelayMSecs);
    connect(warmUp_, &QTimer::timeout, this, [this] { warmUp(); });
    connect(&model_.documents(), &DocumentModel::listChanged, this, &EditorArea::scheduleWarmUp);
    connect(&model_.view(), &ViewState::zoomChanged, this, [this] {
        if (preview_)
            preview_->setZoom(model_.zoom() / double(Zoom::normal));
    });
    scheduleWarmUp();
}

void EditorArea::scheduleWarmUp()
{
    if ((PreviewEngine::isLoaded() && PreviewEngine::get()->isWarm()) || warmUp_->isActive())
        return;
    const QList<DocPtr> docs = model_.docs();
    if (std::any_of(docs.begin(), docs.end(),
                    [](const DocPtr& d) { return d->plugin().supportsPreview() && d->mode() != ViewMode::editor; }))
        warmUp_->start();
}

double EditorArea::topSourceLine(CodeTextView& view)
{
    // Scintilla scrolls by display lines; inside a wrapped line the fraction says how far.
    const long shown = view.SendScintilla(QsciScintillaBase::SCI_GETFIRSTVISIBLELINE);
    const long line = view.SendScintilla(QsciScintillaBase::SCI_DOCLINEFROMVISIBLE, shown);
    const long first = view.SendScintilla(QsciScintillaBase::SCI_VISIBLEFROMDOCLINE, line);
    // Unwrapped, a line is one display line; asking would lay out the whole line (seconds for a huge one).
    if (!view.wrapping())
        return double(line);
    const long wraps = view.SendScintilla(QsciScintillaBase::SCI_WRAPCOUNT, line);
    return double(line) + (wraps > 1 ? double(std::clamp(shown - first, 0L, wraps)) / double(wraps) : 0.0);
}

QSplitterHandle* EditorArea::createHandle() { return new Handle(orientation(), this); }

void EditorArea::setDoc(const DocPtr& doc)
{
    doc_ = doc;
    editorShown_ = false;
    refresh();
}

void EditorArea::refresh()
{
    if (!doc_)
        return;
    const ViewMode mode = doc_->mode();
    const bool editing = mode != ViewMode::preview;
    column_->setVisible(editing);
    if (editing)
        showEditor();
    else
        editorShown_ = false;

    const bool previewing = mode != ViewMode::editor;
    if (previewing && !preview_ && !previewQueued_) {
        // The engine's module, the engine and the first view each take a
        // while: each gets a turn of its own, after the one that opened the file.
        previewQueued_ = true;
        QMetaObject::invokeMethod(
            this, [this] { warmUp([this] { makePreview(); }); }, Qt::QueuedConnection);
    }
    if (preview_) {
        // The content changes before the view shows again, never after.
        preview_->setDoc(previewing ? doc_ : nullptr);
        preview_->widget()->setVisible(previewing);
    }
    watchScrolling();

    strip_->setVisible(doc_->plugin().validates);
    if (doc_->plugin().validates)
        strip_->show(*doc_);

    if (const auto n = model_.multiCaretCount(); n && editing) {
        const QString fg = Palette::accentFg().resolve().name();
        badge_->setText(QStringLiteral("<span style='color:%1'>%2 个光标&nbsp;&nbsp;<span style='color:%3'>Home 行首 · "
                                       "End 行尾 · Esc 退出</span></span>")
                            .arg(fg)
                            .arg(*n)
                            .arg(Palette::accentFg().withAlpha(0.9).resolve().name(QColor::HexArgb)));
        badge_->show();
        placeBadge();
    } else {
        badge_->hide();
    }
}

void EditorArea::warmUp(const std::function<void()>& then)
{
    PreviewEngine* engine = PreviewEngine::get();
    // A queued call could still run in this pass of the event loop: timers do not.
    QTimer::singleShot(30, this, [this, engine, then] {
        if (engine)
            engine->warmUp();
        if (then)
            QTimer::singleShot(30, this, then);
    });
}

void EditorArea::makePreview()
{
    previewQueued_ = false;
    if (preview_ || !doc_ || doc_->mode() == ViewMode::editor)
        return;
    QString error;
    PreviewEngine* engine = PreviewEngine::get(&error);
    preview_ = engine ? engine->createPane(this) : new PreviewFailure(error, this);
    preview_->setZoom(model_.zoom() / double(Zoom::normal));
    preview_->onLineClicked = [this](int line) { revealLine(line); };
    addWidget(preview_->widget());
    setStretchFactor(1, 1);
    setSizes({1000, 1000});
    preview_->setDoc(doc_);
    watchScrolling();
}

void EditorArea::showEditor()
{
    EditorController& c = editors_.controller(doc_);
    QWidget* w = c.widget();
    if (w->parentWidget() != stack_)
        stack_->addWidget(w);
    const bool switched = stack_->currentWidget() != w || !editorShown_;
    stack_->setCurrentWidget(w);
    editorShown_ = true;
    if (!switched)
        return;
    // A newly shown editor takes the keyboard after layout.
    const DocPtr doc = doc_;
    QTimer::singleShot(0, this, [this, doc] {
        if (doc != doc_ || !column_->isVisible())
            return;
        EditorController* c = editors_.existing(doc->id);
        if (!c)
            return;
        c->refreshHighlights(true);
        if (!model_.dialog() && !model_.showNewFile())
            c->focus();
    });
}

void EditorArea::watchScrolling()
{
    EditorController* c = doc_ ? editors_.existing(doc_->id) : nullptr;
    CodeTextView* view = c && doc_->mode() == ViewMode::split && preview_ ? c->textView() : nullptr;
    if (view == followed_)
        return;
    disconnect(scrollLink_);
    followed_ = view;
    if (!view) {
        if (preview_)
            preview_->stopFollowing();
        return;
    }
    // Scintilla reports every vertical scroll (wheel, keys, caret moves, the scroll bar) here;
    // the scroll bar's own signal is blocked while Scintilla moves it.
    scrollLink_ = connect(view, &QsciScintillaBase::SCN_UPDATEUI, this, [this](int updated) {
        if (updated & QsciScintillaBase::SC_UPDATE_V_SCROLL)
            followEditor();
    });
    followEditor();
}

void EditorArea::followEditor()
{
    if (followed_ && preview_)
        preview_->followLine(topSourceLine(*followed_));
}

void EditorArea::revealLine(int line)
{
    EditorController* c = doc_ && doc_->mode() != ViewMode::preview ? editors_.existing(doc_->id) : nullptr;
    CodeTextView* view = c ? c->textView() : nullptr;
    if (!view)
        return;
    view->setCursorPosition(view->lineStart(std::clamp(line, 0, view->lineCount() - 1)));
    view->SendScintilla(QsciScintillaBase::SCI_SCROLLCARET);
    c->focus();
}

void EditorArea::placeBadge()
{
    badge_->adjustSize();
    badge_->move(column_->width() - badge_->width() - 24, 10);
    badge_->raise();
}

bool EditorArea::eventFilter(QObject* o, QEvent* e)
{
    if (o == column_ && e->type() == QEvent::Resize && badge_->isVisible())
        placeBadge();
    return QSplitter::eventFilter(o, e);
}
