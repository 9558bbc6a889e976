#pragma once

#include "core/Dialog.h"

#include <QPointer>
#include <QWidget>

class WindowModel;
class QKeyEvent;
#include <QLineEdit>

// The veil and the card of the dialog on screen.
class DialogLayer : public QWidget {
    Q_OBJECT
public:
    DialogLayer(WindowModel& model, QWidget* parent);
    void sync();
    // The keys of the dialog on screen, wherever the keyboard is: Escape
    // cancels, Return chooses the focused button or else the primary one,
    // Tab and Space go to the focused control. True when consumed.
    bool handleKey(QKeyEvent* e);
    QWidget* card() const { return card_; }
    QLineEdit* input() const { return input_; }

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override {}
    bool eventFilter(QObject* o, QEvent* e) override;
    // Tab goes round the card's field and buttons, never behind the veil.
    bool focusNextPrevChild(bool next) override;

private:
    void choose(const Dialog::Button& b);
    void place();

    WindowModel& model_;
    std::optional<QUuid> shown_;
    QPointer<QWidget> card_;
    QPointer<QLineEdit> input_;
};
