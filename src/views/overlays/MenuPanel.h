#pragma once

#include <QList>
#include <QString>
#include <QUuid>
#include <QWidget>
#include <functional>
#include <optional>

class WindowModel;

struct MenuItem {
    QUuid id = QUuid::createUuid();
    QString label;
    std::optional<QString> sub;  // dimmed, at the trailing end
    bool checked = false;
    std::function<void()> action;
};

struct MenuSection {
    QUuid id = QUuid::createUuid();
    std::optional<QString> title;
    QList<MenuItem> items;
};

// One choice of a popup menu: check column, label, trailing text.
class MenuRow : public QWidget {
    Q_OBJECT
public:
    static constexpr int rowHeight = 26;
    MenuRow(WindowModel& model, MenuItem item, QWidget* parent = nullptr);
    const MenuItem& item() const { return item_; }
    // What a click does: the popup closes first, then the action runs.
    void choose();
    // The keyboard's row; the pointer entering a row makes it that row.
    void setHighlighted(bool on);
    bool isHighlighted() const { return highlighted_; }
    std::function<void()> onEnter;

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void enterEvent(QEnterEvent*) override;
    void leaveEvent(QEvent*) override;

private:
    WindowModel& model_;
    MenuItem item_;
    bool hover_ = false;
    bool highlighted_ = false;
};

// The vertical list of sections most popups show.
class MenuPanel : public QWidget {
    Q_OBJECT
public:
    MenuPanel(WindowModel& model, const QList<MenuSection>& sections, int width = 220, QWidget* parent = nullptr);
    QList<MenuRow*> rows() const;
    // The highlighted row, -1 for none.
    int current() const { return current_; }
    void setCurrent(int index);

protected:
    // Up/Down (wrapping), Home/End and the Page keys move the highlight;
    // Return or Enter chooses it. Other keys are ignored.
    void keyPressEvent(QKeyEvent* e) override;

private:
    QList<MenuRow*> rows_;
    int current_ = -1;
};
