#pragma once

#include <QIcon>
#include <QStyledItemDelegate>

class DocListView;

// Paints one open document's row: name, extension badge, tag button, and the
// close button while the pointer is over the row or the unsaved dot otherwise.
// The buttons are painted parts; the view hit-tests them with part().
class DocRowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    static constexpr int rowHeight = 28;
    enum class Part { row, tag, close };

    explicit DocRowDelegate(DocListView& view);

    // Where the buttons sit in a row's rectangle.
    static QRect tagRect(const QRect& row);
    static QRect trailingRect(const QRect& row);
    // What a point of a row's rectangle is over; the close button only shows on hover.
    static Part part(const QRect& row, const QPoint& at);

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool helpEvent(QHelpEvent* e, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

private:
    void paintButton(QPainter& p, const QIcon& icon, const QRect& r, bool on, bool hover) const;
    DocListView& view_;
    QIcon tagIcon_;
    QIcon closeIcon_;
};
