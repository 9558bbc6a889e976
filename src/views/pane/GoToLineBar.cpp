#include "views/pane/GoToLineBar.h"

#include "editor/AppFonts.h"
#include "editor/CodeTextView.h"
#include "editor/EditorCache.h"
#include "editor/EditorController.h"
#include "views/controls/Controls.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpression>

namespace {

// Return and Escape belong to the field, not to the window's shortcuts.
class LineField : public QLineEdit {
public:
    using QLineEdit::QLineEdit;
    std::function<void()> onSubmit, onEscape;

protected:
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::ShortcutOverride) {
            const int k = static_cast<QKeyEvent*>(e)->key();
            if (k == Qt::Key_Escape || k == Qt::Key_Return || k == Qt::Key_Enter) {
                e->accept();
                return true;
            }
        }
        return QLineEdit::event(e);
    }
    void keyPressEvent(QKeyEvent* e) override
    {
        const int k = e->key();
        if ((k == Qt::Key_Return || k == Qt::Key_Enter) && onSubmit)
            onSubmit();
        else if (k == Qt::Key_Escape && onEscape)
            onEscape();
        else
            QLineEdit::keyPressEvent(e);
    }
};

}

std::optional<GoToLineBar::Target> GoToLineBar::parse(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^\\s*([0-9]{1,9})\\s*(?:[:,]\\s*([0-9]{1,9})\\s*)?$"));
    // Full-width digits and colons, as a Chinese input method types them, read as ASCII.
    const QRegularExpressionMatch m = form.match(text.normalized(QString::NormalizationForm_KC));
    if (!m.hasMatch())
        return std::nullopt;
    Target t{m.captured(1).toInt(), std::nullopt};
    if (m.hasCaptured(2))
        t.column = m.captured(2).toInt();
    return t;
}

GoToLineBar::GoToLineBar(EditorCache& editors, QWidget* parent) : PaneBar(34, parent), editors_(editors)
{
    row()->setContentsMargins(14, 4, 10, 4);
    row()->setSpacing(8);
    row()->addWidget(new ColorLabel(QStringLiteral("转到行"), Palette::fg3(), 11.5, false, this));
    auto* field = new LineField(this);
    field_ = field;
    field_->setPlaceholderText(QStringLiteral("行号 或 行:列"));
    field_->setAccessibleName(QStringLiteral("转到行"));
    field_->setFont(AppFonts::mono(12));
    field_->setFrame(false);
    field_->setFixedWidth(150);
    box_ = new FieldBox(field_, this);
    row()->addWidget(box_);
    row()->addWidget(new ColorLabel(QStringLiteral("↵ 跳转 · Esc 关闭"), Palette::fg3(), 11, false, this));
    row()->addStretch(1);
    field->onSubmit = [this] { jump(); };
    field->onEscape = [this] { close(); };
    connect(field_, &QLineEdit::textEdited, this, [this] { box_->setInvalid(false); });
    hide();
}

void GoToLineBar::setDoc(const DocPtr& doc)
{
    if (doc == doc_)
        return;
    doc_ = doc;
    // A half-typed number belongs to the document it was meant for.
    if (isVisible())
        hide();
}

void GoToLineBar::open()
{
    if (!doc_)
        return;
    EditorController& c = editors_.controller(doc_);
    field_->setText(QString::number(c.textView()->lineOf(c.textView()->cursorPosition()) + 1));
    box_->setInvalid(false);
    show();
    field_->setFocus(Qt::ShortcutFocusReason);
    field_->selectAll();
}

void GoToLineBar::close()
{
    hide();
    if (doc_)
        editors_.controller(doc_).focus();
}

void GoToLineBar::jump()
{
    const std::optional<Target> t = parse(field_->text());
    if (!t || !doc_) {
        box_->setInvalid(true);
        return;
    }
    editors_.controller(doc_).goToLine(t->line, t->column.value_or(1));
    close();
}
