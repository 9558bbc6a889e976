#include "views/overlays/DialogLayer.h"

#include "editor/AppFonts.h"
#include "editor/Palette.h"
#include "views/controls/CardShadow.h"
#include "views/controls/Controls.h"
#include "views/controls/Fade.h"
#include "views/controls/FocusRing.h"
#include "views/sheets/SheetParts.h"
#include "views/state/WindowModel.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>

namespace {

class Card : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override { SheetParts::paintCard(*this); }
};

RoleButton::Role look(Dialog::Role role)
{
    switch (role) {
    case Dialog::Role::primary: return RoleButton::Role::primary;
    case Dialog::Role::danger: return RoleButton::Role::danger;
    default: return RoleButton::Role::normal;
    }
}

}

DialogLayer::DialogLayer(WindowModel& model, QWidget* parent) : QWidget(parent), model_(model)
{
    hide();
    connect(&model_.view(), &ViewState::dialogChanged, this, &DialogLayer::sync);
    if (parent)
        parent->installEventFilter(this);
}

void DialogLayer::sync()
{
    const auto& d = model_.dialog();
    const std::optional<QUuid> id = d ? std::optional<QUuid>(d->id) : std::nullopt;
    if (id == shown_)
        return;
    shown_ = id;
    if (card_)
        card_->deleteLater();
    card_ = nullptr;
    input_ = nullptr;
    if (!d) {
        hide();
        return;
    }
    card_ = new Card(this);
    card_->setFixedWidth(440);
    auto* col = new QVBoxLayout(card_);
    col->setContentsMargins(20, 18, 20, 18);
    col->setSpacing(10);
    auto* title = SheetParts::title(d->title, card_);
    title->setWordWrap(true);
    col->addWidget(title);
    if (!d->message.isEmpty()) {
        auto* message = SheetParts::caption(d->message, card_);
        message->setWordWrap(true);
        message->setFont(AppFonts::sans(13));
        col->addWidget(message);
    }
    if (d->input) {
        input_ = new QLineEdit(model_.dialogInput(), card_);
        input_->setPlaceholderText(*d->input);
        input_->setFont(AppFonts::sans(13));
        input_->setMinimumHeight(30);
        input_->setAccessibleName(*d->input);
        connect(input_, &QLineEdit::textEdited, this, [this](const QString& t) { model_.setDialogInput(t); });
        col->addWidget(input_);
    }
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->setSpacing(4);
    QPointer<RoleButton> primary;
    for (const Dialog::Button& b : d->buttons) {
        auto* button = new RoleButton(
            b.title, look(b.role), [this, b] { choose(b); }, card_);
        button->setProperty("role", int(b.role));
        row->addWidget(button);
        if (b.role == Dialog::Role::primary && !primary)
            primary = button;
    }
    col->addLayout(row);
    if (parentWidget())
        setGeometry(parentWidget()->rect());
    place();
    const bool appearing = !isVisible();
    show();
    raise();
    card_->show();
    if (appearing)
        Fade::run(this, true);
    if (input_)
        QTimer::singleShot(0, input_, [f = input_, length = d->inputSelection] {
            f->setFocus();
            if (length)
                f->setSelection(0, *length);
            else
                f->selectAll();
        });
    else
        // The default button holds the keyboard, its ring showing what Return does.
        QTimer::singleShot(0, card_, [this, primary] {
            if (QWidget* w = primary ? primary.data() : FocusRing::first(card_))
                w->setFocus(Qt::OtherFocusReason);
            else
                setFocus();
        });
}

bool DialogLayer::focusNextPrevChild(bool next) { return card_ ? FocusRing::cycle(card_, next) : true; }

bool DialogLayer::handleKey(QKeyEvent* e)
{
    const auto& d = model_.dialog();
    if (!d)
        return false;
    const int key = e->key();
    QWidget* focused = QApplication::focusWidget();
    auto* focusedButton = card_ && card_->isAncestorOf(focused) ? dynamic_cast<RoleButton*>(focused) : nullptr;
    if (key == Qt::Key_Escape) {
        const Dialog::Button* chosen = nullptr;
        for (const auto& b : d->buttons)
            if (b.role == Dialog::Role::cancel && !chosen)
                chosen = &b;
        if (!chosen && d->buttons.size() == 1)
            chosen = &d->buttons.front();
        if (chosen)
            model_.dismissDialog(chosen->action);
        return true;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (focusedButton) {
            focusedButton->click();
            return true;
        }
        for (const auto& b : d->buttons)
            if (b.role == Dialog::Role::primary) {
                model_.dismissDialog(b.action);
                break;
            }
        return true;
    }
    if (e->modifiers() & Qt::ControlModifier)
        return false;
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
        // From wherever the keyboard is, Tab lands in the card.
        if (!card_ || !card_->isAncestorOf(focused))
            FocusRing::cycle(card_, key == Qt::Key_Tab && !(e->modifiers() & Qt::ShiftModifier));
        else
            return false;
        return true;
    }
    if (focusedButton && (key == Qt::Key_Space || key == Qt::Key_Left || key == Qt::Key_Right)) {
        if (key == Qt::Key_Space)
            return false;
        FocusRing::cycle(card_, key == Qt::Key_Right);
        return true;
    }
    return !d->input.has_value();
}

void DialogLayer::choose(const Dialog::Button& b)
{
    const auto action = b.action;
    model_.dismissDialog(action);
}

void DialogLayer::place()
{
    if (!card_)
        return;
    // Wrapped labels only know their height for a given width; adjustSize
    // alone guesses one and clips long messages.
    const int h = card_->layout()->hasHeightForWidth() ? card_->layout()->totalHeightForWidth(card_->width())
                                                       : card_->sizeHint().height();
    card_->setFixedHeight(h);
    card_->move((width() - card_->width()) / 2, 70);
}

void DialogLayer::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(0, 0, 0, 71));  // 28 %
    if (card_)
        CardShadow::paint(p, card_->geometry(), 12, 10, 18, 77);
}

bool DialogLayer::eventFilter(QObject* o, QEvent* e)
{
    if (o == parentWidget() && e->type() == QEvent::Resize && isVisible()) {
        setGeometry(parentWidget()->rect());
        place();
    }
    return false;
}
