#pragma once

#include "core/Dialog.h"

#include <QPointer>
#include <QWidget>

class AppModel;
#include <QLineEdit>

// The veil and the card of the dialog on screen.
class DialogLayer : public QWidget {
    Q_OBJECT
public:
    DialogLayer(AppModel& model, QWidget* parent);
    void sync();
    QWidget* card() const { return card_; }
    QLineEdit* input() const { return input_; }

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override {}
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    void choose(const Dialog::Button& b);
    void place();

    AppModel& model_;
    std::optional<QUuid> shown_;
    QPointer<QWidget> card_;
    QPointer<QLineEdit> input_;
};
