#pragma once

#include <QList>
#include <QString>
#include <QUuid>
#include <QWidget>
#include <functional>
#include <optional>

class AppModel;

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
    MenuRow(AppModel& model, MenuItem item, QWidget* parent = nullptr);
    const MenuItem& item() const { return item_; }
    // What a click does: the popup closes first, then the action runs.
    void choose();

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void enterEvent(QEnterEvent*) override;
    void leaveEvent(QEvent*) override;

private:
    AppModel& model_;
    MenuItem item_;
    bool hover_ = false;
};

// The vertical list of sections most popups show.
class MenuPanel : public QWidget {
    Q_OBJECT
public:
    MenuPanel(AppModel& model, const QList<MenuSection>& sections, int width = 220, QWidget* parent = nullptr);
    QList<MenuRow*> rows() const;
};
