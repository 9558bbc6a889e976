#include "views/pane/PaneStatusBar.h"

#include "editor/AppFonts.h"
#include "editor/CodeTextView.h"
#include "editor/EditorCache.h"
#include "editor/EditorController.h"
#include "views/controls/Controls.h"
#include "views/pane/StatusTitles.h"
#include "views/state/WindowModel.h"

#include <QHBoxLayout>

PaneStatusBar::PaneStatusBar(WindowModel& model, EditorCache& editors,
                             const std::function<void(const QString&, QWidget*)>& reportAnchor, QWidget* parent)
    : PaneBar(28, parent, Line::top), model_(model), editors_(editors)
{
    row()->setContentsMargins(14, 2, 8, 2);
    caret_ = new ColorLabel(caretReadout({1, 1, 0}, std::nullopt), Palette::fg2(), 11.5, true, this);
    row()->addWidget(caret_);
    words_ = new ColorLabel(QString(), Palette::fg2(), 11.5, true, this);
    words_->setAccessibleName(QStringLiteral("字数"));
    words_->setContentsMargins(12, 0, 0, 0);
    row()->addWidget(words_);
    valid_ = new ColorLabel(QString(), Palette::accent(), 11.5, false, this);
    row()->addWidget(valid_);
    row()->addStretch(1);
    const auto button = [&](const QString& help, const Popup& popup) {
        auto* b = new TextButton(
            QString(), help, [this, popup] { model_.toggle(popup); }, this);
        b->setFont(AppFonts::mono(11.5));
        if (reportAnchor)
            reportAnchor(popup.anchor(), b);
        row()->addWidget(b);
        return b;
    };
    encoding_ = button(QStringLiteral("文件编码"), Popup::encoding());
    eol_ = button(QStringLiteral("换行符"), Popup::eol());
    format_ = button(QStringLiteral("切换格式"), Popup::format());
}

void PaneStatusBar::setDoc(const DocPtr& doc)
{
    doc_ = doc;
    refresh();
}

void PaneStatusBar::refresh()
{
    followEditor();
    showCaret();
    showWordCount();
    if (!doc_)
        return;
    const QString valid = StatusTitles::validation(*doc_);
    valid_->setVisible(!valid.isEmpty());
    valid_->setText(valid);
    valid_->setColor(doc_->diagnostics().isEmpty() ? Palette::accent() : Palette::danger());
    const auto set = [this](TextButton* b, const QString& title, const Popup& p) {
        if (b->text() != title) {
            b->setText(title);
            b->updateGeometry();
        }
        b->setOn(model_.popup() == p);
    };
    set(encoding_, doc_->encoding().rawValue(), Popup::encoding());
    set(eol_, doc_->eol().rawValue(), Popup::eol());
    set(format_, StatusTitles::format(doc_->name()), Popup::format());
}

QString PaneStatusBar::caretReadout(const CodeTextView::CaretPlace& at, std::optional<int> carets)
{
    QString s = QStringLiteral("行 %1，列 %2").arg(at.line).arg(at.column);
    if (at.selected >= 1 && at.selectedLines > 1)
        s += QStringLiteral("（已选 %1 行 %2 字符）").arg(at.selectedLines).arg(at.selected);
    else if (at.selected >= 1)
        s += QStringLiteral("（已选 %1 字符）").arg(at.selected);
    if (carets && *carets > 1)
        s += QStringLiteral(" · %1 个光标").arg(*carets);
    return s;
}

void PaneStatusBar::followEditor()
{
    // The caret and the count of the document on show, as its editor reports them.
    EditorController* shown = doc_ ? editors_.existing(doc_->id) : nullptr;
    if (shown == followed_)
        return;
    for (const auto& c : editorLinks_)
        disconnect(c);
    editorLinks_.clear();
    followed_ = shown;
    if (shown) {
        editorLinks_ << connect(shown, &EditorController::wordCountChanged, words_, [this] { showWordCount(); });
        editorLinks_ << connect(shown, &EditorController::caretMoved, caret_, [this] { showCaret(); });
    }
}

void PaneStatusBar::showCaret()
{
    const auto at = followed_ ? followed_->textView()->caretPlace() : CodeTextView::CaretPlace{1, 1, 0};
    caret_->setText(caretReadout(at, model_.multiCaretCount()));
}

void PaneStatusBar::showWordCount() { words_->setText(followed_ ? followed_->wordCount() : QString()); }
