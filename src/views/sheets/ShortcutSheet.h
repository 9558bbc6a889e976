#pragma once

#include <QKeySequence>
#include <QList>
#include <QWidget>

class QAction;
class QMenuBar;
class QTreeWidget;

// 键盘快捷键: every key of the menus, grouped by menu, and the window's own
// keys, read from the actions when the sheet is made so it never drifts.
class ShortcutSheet : public QWidget {
    Q_OBJECT
public:
    struct Row {
        QString group, name, keys;
        bool operator==(const Row&) const = default;
    };
    // Menu items with keys in menu order (submenus under their menu), then
    // the window's actions under 其他. An action whose keys are read
    // elsewhere names them after a tab in its text ("最近的文档\tCtrl+Tab").
    static QList<Row> rows(const QMenuBar* bar, const QList<QAction*>& windowActions);
    // The keys worth listing: a Shift form of another of the action's keys
    // is left out (Ctrl+Shift+= is how some layouts send Ctrl++).
    static QList<QKeySequence> shownKeys(const QList<QKeySequence>& keys);
    // "打开…" of "打开(&O)…\tCtrl+O", "文件" of "文件(&F)".
    static QString plainName(const QString& text);

    ShortcutSheet(const QMenuBar* bar, const QList<QAction*>& windowActions, QWidget* parent = nullptr);
    QTreeWidget* table() const { return table_; }

protected:
    // The arrows and page keys forwarded by the popup scroll the table.
    void keyPressEvent(QKeyEvent* e) override;

private:
    QTreeWidget* table_;
};
