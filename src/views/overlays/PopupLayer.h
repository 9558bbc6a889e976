#pragma once

#include "views/state/Popup.h"

#include <QHash>
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <functional>
#include <optional>

class WindowModel;
class QGraphicsOpacityEffect;
class QKeyEvent;

// Where a popup of this size goes next to its anchor, inside bounds:
// below the anchor, or above it when the anchor sits in the lower half
// (the status bar) or there is no room below; always fully inside.
QRect placePopup(const QSize& size, const QRect& anchor, const QRect& bounds);
// A panel of `size` in the middle of `bounds`, its top-left corner kept inside.
QRect centredPopup(const QSize& size, const QRect& bounds);

// The panel look shared by popups: window colour, rounded, thin border, shadow.
class PopupPanel : public QWidget {
    Q_OBJECT
public:
    explicit PopupPanel(QWidget* content, int padding = 0, QWidget* parent = nullptr);
    QWidget* content() const { return content_; }

protected:
    void paintEvent(QPaintEvent*) override;
    // Tab goes round the panel's own controls.
    bool focusNextPrevChild(bool next) override;

private:
    QWidget* content_;
};

// Covers the window while a popup is open: a click outside the panel closes it.
class PopupLayer : public QWidget {
    Q_OBJECT
public:
    // Builds the content of a popup; null for nothing to show.
    using ContentFactory = std::function<QWidget*(const Popup&)>;

    PopupLayer(WindowModel& model, ContentFactory factory, QWidget* parent);
    // The control that opens the popups of this anchor name.
    void setAnchor(const QString& name, QWidget* control);
    // Where a painted control is (a button inside a list's row), in the
    // coordinates of the widget given; asked for names no control reported.
    using AnchorFinder = std::function<std::optional<QRect>(const QString& name, const QWidget* in)>;
    void setAnchorFinder(AnchorFinder finder) { finder_ = std::move(finder); }
    // Where that control is in the window; none while it is not shown.
    std::optional<QRect> anchorRect(const QString& name) const;
    PopupPanel* panel() const { return panel_; }
    // Rebuilds from the model's popup.
    void sync();
    // The keys an open popup takes from the rest of the window: arrows,
    // Return, Home/End, Page keys and Tab (Tab only into a panel with controls).
    static bool isPopupKey(const QKeyEvent* e);
    // Gives such a key to the popup's content while the keyboard is outside
    // the panel; true when the rest of the window must not see it.
    bool handleKey(QKeyEvent* e);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void enterEvent(QEnterEvent*) override;
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    void place();
    // Whether the pointer is over the button of an open feature menu.
    bool overFeatureButton(const QPoint& pos) const;
    // Moves the keyboard into the panel, so typing never reaches the text behind it.
    static void takeKeyboard(PopupPanel* panel);
    // The catcher covers the feature button; its area still counts as the button.
    void reportFeatureHover(const QPoint& pos);

    WindowModel& model_;
    ContentFactory factory_;
    QHash<QString, QPointer<QWidget>> anchors_;
    AnchorFinder finder_;
    std::optional<Popup> shown_;
    QPointer<QWidget> returnFocus_;
    QPointer<PopupPanel> panel_;
    bool forwarding_ = false;
};
