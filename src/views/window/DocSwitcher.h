#pragma once

#include <QList>
#include <QObject>
#include <QUuid>
#include <functional>
#include <optional>

class WindowModel;

// Switching documents from the keyboard. Ctrl+Tab starts a walk through the
// documents in the order they were last used; while Ctrl stays down each Tab
// moves the highlight, and releasing Ctrl opens the highlighted one, which
// becomes the most recent. Ctrl+PgDown/PgUp and Alt+1…9 follow the sidebar's order.
class DocSwitcher : public QObject {
public:
    explicit DocSwitcher(WindowModel& model, QObject* parent = nullptr);

    // One step of the highlight through the recently used order (1 forward, -1 back).
    void walk(int by);
    // Ends a walk, opening the highlighted document.
    void commit();
    // Ends a walk and leaves the active document as it was.
    void cancel();
    // Moves the highlight of the walk to this row.
    void highlight(int row);
    bool walking() const { return walk_.has_value(); }
    // The documents of the walk, most recent first, and the highlighted row.
    QList<QUuid> walkOrder() const { return walk_.value_or(QList<QUuid>{}); }
    int walkIndex() const { return walkIndex_; }
    // Called whenever a walk starts, moves, changes its documents or ends.
    std::function<void()> onWalkChange;

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
    void walkChanged();

    WindowModel& model_;
    QList<QUuid> recent_;
    std::optional<QList<QUuid>> walk_;
    int walkIndex_ = 0;
};
