#pragma once

#include <QList>
#include <QObject>
#include <QUuid>
#include <optional>

class AppModel;

// Switching documents from the keyboard. Ctrl+Tab walks the documents in the
// order they were last used, and keeps walking while Ctrl stays down: only
// releasing Ctrl makes the shown one the most recent. Ctrl+PgDown/PgUp and
// Alt+1…9 follow the sidebar's order.
class DocSwitcher : public QObject {
public:
    explicit DocSwitcher(AppModel& model, QObject* parent = nullptr);

    // One step through the recently used order (1 forward, -1 back).
    void walk(int by);
    // Ends a walk; the shown document becomes the most recent.
    void commit();
    bool walking() const { return walk_.has_value(); }
    // One step in the sidebar's order, wrapping around.
    void stepInList(int by);
    // The n-th document of the sidebar, counted from 0; nothing past the end.
    void showNth(int n);

    // Most recent first.
    const QList<QUuid>& recentOrder() const { return recent_; }
    // The open documents as the sidebar lists them.
    QList<QUuid> listOrder() const;

private:
    void noteActive();
    void show(QUuid id);

    AppModel& model_;
    QList<QUuid> recent_;
    std::optional<QList<QUuid>> walk_;
    int walkIndex_ = 0;
};
