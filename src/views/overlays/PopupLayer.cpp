#include "views/overlays/PopupLayer.h"

#include "editor/Palette.h"
#include "views/controls/FocusRing.h"
#include "views/state/WindowModel.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

#include "views/controls/CardShadow.h"
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPropertyAnimation>
#include <QVBoxLayout>
#include <algorithm>

namespace {
constexpr int gap = 4;
constexpr int margin = 8;
}

QRect centredPopup(const QSize& size, const QRect& bounds)
{
    const QRect inner = bounds.adjusted(margin, margin, -margin, -margin);
    const int x = std::max(inner.left(), bounds.center().x() - size.width() / 2);
    const int y = std::max(inner.top(), bounds.center().y() - size.height() / 2);
    return QRect(QPoint(x, y), size);
}

QRect placePopup(const QSize& size, const QRect& anchor, const QRect& bounds)
{
    const QRect inner = bounds.adjusted(margin, margin, -margin, -margin);
    const bool roomBelow = anchor.bottom() + gap + size.height() <= inner.bottom();
    const bool roomAbove = anchor.top() - gap - size.height() >= inner.top();
    const bool lowerHalf = anchor.center().y() > bounds.center().y();
    const bool above = roomAbove && (lowerHalf || !roomBelow);
    int y = above ? anchor.top() - gap - size.height() : anchor.bottom() + 1 + gap;
    int x = anchor.left();
    // Too big for the window: keep the top-left corner visible.
    x = std::max(inner.left(), std::min(x, inner.right() + 1 - size.width()));
    y = std::max(inner.top(), std::min(y, inner.bottom() + 1 - size.height()));
    return QRect(QPoint(x, y), size);
}

PopupPanel::PopupPanel(QWidget* content, int padding, QWidget* parent) : QWidget(parent), content_(content)
{
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(padding + 1, padding + 1, padding + 1, padding + 1);
    box->addWidget(content);
}

void PopupPanel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Palette::line().resolve(), 1));
    p.setBrush(Palette::window().resolve());
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
}

bool PopupPanel::focusNextPrevChild(bool next) { return FocusRing::cycle(this, next); }

bool PopupLayer::isPopupKey(const QKeyEvent* e)
{
    if (e->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier))
        return false;
    switch (e->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return true;
    default: return false;
    }
}

bool PopupLayer::handleKey(QKeyEvent* e)
{
    if (!panel_ || !isPopupKey(e) || forwarding_)
        return false;
    // Inside the panel the focused control answers (the tag field, the settings).
    if (panel_->isAncestorOf(QApplication::focusWidget()))
        return false;
    if (e->key() == Qt::Key_Tab || e->key() == Qt::Key_Backtab)
        return FocusRing::cycle(panel_, e->key() == Qt::Key_Tab);
    if (forwarding_)
        return false;  // the copy below, on its way up from the content
    forwarding_ = true;
    QKeyEvent copy(e->type(), e->key(), e->modifiers(), e->text(), e->isAutoRepeat(), ushort(e->count()));
    QCoreApplication::sendEvent(panel_->content(), &copy);
    forwarding_ = false;
    return true;
}

PopupLayer::PopupLayer(WindowModel& model, ContentFactory factory, QWidget* parent)
    : QWidget(parent), model_(model), factory_(std::move(factory))
{
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    hide();
    connect(&model_.view(), &ViewState::popupChanged, this, &PopupLayer::sync);
    if (parent)
        parent->installEventFilter(this);
}

void PopupLayer::setAnchor(const QString& name, QWidget* control) { anchors_.insert(name, control); }

std::optional<QRect> PopupLayer::anchorRect(const QString& name) const
{
    const QPointer<QWidget> w = anchors_.value(name);
    if (!w && finder_ && parentWidget())
        return finder_(name, parentWidget());
    if (!w || !parentWidget() || !w->isVisible())
        return std::nullopt;
    return QRect(w->mapTo(parentWidget(), QPoint(0, 0)), w->size());
}

bool PopupLayer::overFeatureButton(const QPoint& pos) const
{
    if (!shown_ || shown_->kind() != Popup::Kind::feature)
        return false;
    const std::optional<QRect> button = anchorRect(shown_->anchor());
    return button && button->contains(pos);
}

void PopupLayer::sync()
{
    const std::optional<Popup>& wanted = model_.popup();
    if (wanted == shown_)
        return;
    if (!shown_)
        returnFocus_ = QApplication::focusWidget();
    shown_ = wanted;
    if (panel_)
        panel_->deleteLater();
    panel_ = nullptr;
    QWidget* content = wanted ? factory_(*wanted) : nullptr;
    if (!content) {
        // The keyboard goes back where it was before the popup took it, not
        // to whatever widget hiding the popup would hand it to.
        if (isAncestorOf(QApplication::focusWidget()) && returnFocus_ && returnFocus_->isVisible()
            && !isAncestorOf(returnFocus_))
            returnFocus_->setFocus(Qt::PopupFocusReason);
        hide();
        return;
    }
    panel_ = new PopupPanel(content, 0, this);
    if (parentWidget())
        setGeometry(parentWidget()->rect());
    place();
    show();
    raise();
    panel_->show();
    // After the window has noted where the keyboard was, so closing gives it back there.
    // A menu the pointer opened in passing leaves the keyboard with the text until clicked.
    if (!(wanted->kind() == Popup::Kind::feature && model_.featureByHover()))
        QTimer::singleShot(0, panel_, [p = panel_.data()] { takeKeyboard(p); });
}

void PopupLayer::takeKeyboard(PopupPanel* panel)
{
    // A popup closed before its turn came (a click that chose at once) is
    // gone for the user: the keyboard stays where closing put it.
    if (!panel->isVisible())
        return;
    if (panel->isAncestorOf(QApplication::focusWidget()))
        return;  // the content took it itself (the outline list)
    // A popup with a field is for typing into; otherwise its first control, or the menu itself.
    QWidget* target = nullptr;
    for (QLineEdit* field : panel->findChildren<QLineEdit*>())
        if (field->isVisibleTo(panel) && field->isEnabled()) {
            target = field;
            break;
        }
    if (!target)
        target = FocusRing::first(panel);
    if (!target)
        target = panel->content();
    target->setFocus(Qt::PopupFocusReason);
}

void PopupLayer::place()
{
    if (!panel_ || !shown_)
        return;
    panel_->adjustSize();
    const QSize size = panel_->sizeHint().expandedTo(panel_->size());
    // A popup with no control to hang from (one opened by its keys) sits in
    // the middle of the window, as a dialog would.
    const std::optional<QRect> anchor = anchorRect(shown_->anchor());
    panel_->setGeometry(anchor ? placePopup(size, *anchor, rect()) : centredPopup(size, rect()));
    update();
}

void PopupLayer::paintEvent(QPaintEvent*)
{
    if (!panel_)
        return;
    QPainter p(this);
    CardShadow::paint(p, panel_->geometry(), 8, 6, 12, 46);
}

void PopupLayer::mousePressEvent(QMouseEvent* e)
{
    const QPoint at = e->position().toPoint();
    if (panel_ && panel_->geometry().contains(at))
        return;
    // The catcher lies over the feature button: a click there is the button's,
    // which keeps a menu the pointer opened.
    if (overFeatureButton(at)) {
        model_.clickFeature();
        if (panel_ && model_.popup())
            takeKeyboard(panel_);
        return;
    }
    // Anything else outside the panel closes the popup.
    model_.setPopup(std::nullopt);
}

void PopupLayer::reportFeatureHover(const QPoint& pos)
{
    if (shown_ && shown_->kind() == Popup::Kind::feature)
        model_.hoverFeature(overFeatureButton(pos), std::nullopt);
}

void PopupLayer::mouseMoveEvent(QMouseEvent* e) { reportFeatureHover(e->position().toPoint()); }

void PopupLayer::enterEvent(QEnterEvent* e) { reportFeatureHover(e->position().toPoint()); }

bool PopupLayer::eventFilter(QObject* o, QEvent* e)
{
    if (o == parentWidget() && e->type() == QEvent::Resize && isVisible()) {
        setGeometry(parentWidget()->rect());
        place();
    }
    return false;
}
