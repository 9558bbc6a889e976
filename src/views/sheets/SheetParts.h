#pragma once

#include <QColor>
#include <QWidget>
#include <functional>

class QLabel;
class QKeyEvent;
#include "views/controls/Controls.h"

// Small building blocks of the sheets and the settings view.
namespace SheetParts {

QLabel* title(const QString& text, QWidget* parent);
QLabel* caption(const QString& text, QWidget* parent);
// A rounded push button; the primary one is filled with the accent colour.
RoleButton* button(const QString& text, bool primary, std::function<void()> action, QWidget* parent);
// The card background: window colour, rounded, thin border.
void paintCard(QWidget& w);

// Space on a focused tile or chip taps it; the arrow keys move within its group
// (FocusRing); Return is left to the sheet, which runs its default button.
bool tapKey(QWidget* w, QKeyEvent* e, const std::function<void()>& tap);

// A selectable box with a name and a line of detail.
class Tile : public QWidget {
    Q_OBJECT
public:
    Tile(QString name, QString detail, QWidget* parent = nullptr);
    std::function<void()> onTap;
    void setSelected(bool on);
    bool isSelected() const { return selected_; }
    // Custom content painter (the scheme previews); replaces the detail line.
    std::function<void(QPainter&, const QRect&)> painter;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void focusInEvent(QFocusEvent*) override { update(); }
    void focusOutEvent(QFocusEvent*) override { update(); }
    void enterEvent(QEnterEvent*) override;
    void leaveEvent(QEvent*) override;

private:
    QString name_, detail_;
    bool selected_ = false;
    bool hover_ = false;
};

// A rounded tag chip: colour dot and name.
class Chip : public QWidget {
    Q_OBJECT
public:
    Chip(QString name, QColor dot, QWidget* parent = nullptr);
    std::function<void()> onTap;
    void setSelected(bool on);
    bool isSelected() const { return selected_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void focusInEvent(QFocusEvent*) override { update(); }
    void focusOutEvent(QFocusEvent*) override { update(); }

private:
    QString name_;
    QColor dot_;
    bool selected_ = false;
};

}
