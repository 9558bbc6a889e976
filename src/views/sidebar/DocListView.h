#pragma once

#include "core/Doc.h"
#include "views/sidebar/DocRowDelegate.h"

#include <QListView>
#include <optional>

class WindowModel;
class QMenu;

// One group's open documents, a row each, over the grouped documents model
// rooted at the group. Reached by Tab or F6 like the other rows of the list:
// Up and Down move on across groups, Return opens, Escape goes back to the
// text. A click opens, a middle click closes, a drag reorders.
class DocListView : public QListView {
    Q_OBJECT
public:
    DocListView(WindowModel& model, QWidget* parent = nullptr);

    DocPtr docAt(const QModelIndex& index) const;
    // The row of a document in this list; invalid when it is not listed here.
    QModelIndex indexOf(QUuid id) const;
    int count() const;
    // Built fresh for every right click; owned by the caller.
    QMenu* contextMenu(const QModelIndex& index);
    // The row a dragged document would be dropped before; -1 for none.
    int dropRow() const { return dropRow_; }
    // What of this row the pointer is over; none while it is elsewhere.
    std::optional<DocRowDelegate::Part> hover(const QModelIndex& index) const;
    // Whether the tags popup of this row's document is open.
    bool tagOpen(const QModelIndex& index) const;
    void choose(const QModelIndex& index);

signals:
    // A row's tag button was clicked, just before its popup opens.
    void tagClicked();

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dragLeaveEvent(QDragLeaveEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    bool viewportEvent(QEvent* e) override;
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles = QList<int>()) override;

private:
    void setHover(const QModelIndex& index, DocRowDelegate::Part part);
    // Rows moving under a still pointer change what it is over.
    void hoverFromCursor();
    void setDropRow(int row);
    void updateRow(int row);

    WindowModel& model_;
    QPersistentModelIndex pressed_;
    DocRowDelegate::Part pressedPart_ = DocRowDelegate::Part::row;
    QPoint pressAt_;
    QPersistentModelIndex hover_;
    DocRowDelegate::Part hoverPart_ = DocRowDelegate::Part::row;
    int dropRow_ = -1;
};
