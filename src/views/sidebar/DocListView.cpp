#include "views/sidebar/DocListView.h"

#include "core/EditorLink.h"
#include "views/sidebar/Sidebar.h"
#include "views/sidebar/SidebarRows.h"
#include "views/state/WindowModel.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QDrag>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

DocListView::DocListView(WindowModel& model, QWidget* parent) : QListView(parent), model_(model)
{
    setObjectName(QStringLiteral("docList"));
    setModel(&model_.docGroups());
    setItemDelegate(new DocRowDelegate(*this));
    setUniformItemSizes(true);
    setFrameShape(QFrame::NoFrame);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setAttribute(Qt::WA_MacShowFocusRect, false);
    setMouseTracking(true);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    // The sidebar's colour shows through.
    setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);
    // Reached by Tab and F6; a click keeps the keyboard where it was.
    setFocusPolicy(Qt::TabFocus);
    for (const auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(&model_.docGroups(), signal, this, &DocListView::hoverFromCursor, Qt::QueuedConnection);
    connect(&model_.docGroups(), &QAbstractItemModel::rowsMoved, this, &DocListView::hoverFromCursor,
            Qt::QueuedConnection);
}

DocPtr DocListView::docAt(const QModelIndex& index) const
{
    return index.parent() == rootIndex() ? model_.docGroups().doc(index) : nullptr;
}

QModelIndex DocListView::indexOf(QUuid id) const
{
    return model_.docGroups().docIndex(rootIndex().data(DocGroupModel::groupIDRole).toString(), id);
}

int DocListView::count() const { return rootIndex().isValid() ? model()->rowCount(rootIndex()) : 0; }

std::optional<DocRowDelegate::Part> DocListView::hover(const QModelIndex& index) const
{
    if (!hover_.isValid() || hover_ != index)
        return std::nullopt;
    return hoverPart_;
}

bool DocListView::tagOpen(const QModelIndex& index) const
{
    const DocPtr d = docAt(index);
    return d && model_.popup() == Popup::tags(d->id);
}

void DocListView::choose(const QModelIndex& index)
{
    if (const DocPtr d = docAt(index))
        model_.activate(d);
}

void DocListView::updateRow(int row)
{
    if (row >= 0)
        update(model()->index(row, 0, rootIndex()));
}

void DocListView::setHover(const QModelIndex& index, DocRowDelegate::Part part)
{
    if (index == hover_ && part == hoverPart_)
        return;
    const int was = hover_.isValid() ? hover_.row() : -1;
    hover_ = index;
    hoverPart_ = part;
    updateRow(was);
    updateRow(index.isValid() ? index.row() : -1);
    viewport()->setCursor(index.isValid() && part != DocRowDelegate::Part::row ? Qt::PointingHandCursor
                                                                               : Qt::ArrowCursor);
}

void DocListView::hoverFromCursor()
{
    const QPoint at = viewport()->mapFromGlobal(QCursor::pos());
    const QModelIndex i = viewport()->underMouse() ? indexAt(at) : QModelIndex();
    setHover(i, i.isValid() ? DocRowDelegate::part(visualRect(i), at) : DocRowDelegate::Part::row);
}

bool DocListView::viewportEvent(QEvent* e)
{
    if (e->type() == QEvent::Leave)
        setHover({}, DocRowDelegate::Part::row);
    return QListView::viewportEvent(e);
}

void DocListView::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight, const QList<int>& roles)
{
    // Rows are all one height, so a change of what one shows only paints it
    // again; the list view's own handling lays every row out anew and
    // paints the whole list.
    if (topLeft.parent() == rootIndex())
        QAbstractItemView::dataChanged(topLeft, bottomRight, roles);  // NOLINT(bugprone-parent-virtual-call)
}

void DocListView::keyPressEvent(QKeyEvent* e)
{
    const int k = e->key();
    if (e->modifiers() & ~(Qt::KeypadModifier)) {
        e->ignore();
        return;
    }
    if (k == Qt::Key_Return || k == Qt::Key_Enter || k == Qt::Key_Space) {
        choose(currentIndex());
        return;
    }
    if (k == Qt::Key_Escape) {
        if (EditorLink* link = model_.editorLink(); link && model_.active())
            link->focus(model_.active());
        return;
    }
    if (k == Qt::Key_Up || k == Qt::Key_Down || k == Qt::Key_Home || k == Qt::Key_End) {
        for (QWidget* w = parentWidget(); w; w = w->parentWidget())
            if (auto* bar = qobject_cast<Sidebar*>(w)) {
                bar->step(this, k);
                break;
            }
        return;
    }
    e->ignore();
}

void DocListView::focusInEvent(QFocusEvent* e)
{
    // Tabbing in lands on the open document when it is listed here.
    if (e->reason() == Qt::TabFocusReason || e->reason() == Qt::BacktabFocusReason)
        if (const DocPtr a = model_.active())
            if (const QModelIndex i = indexOf(a->id); i.isValid())
                setCurrentIndex(i);
    QListView::focusInEvent(e);
}

void DocListView::mousePressEvent(QMouseEvent* e)
{
    const QPoint at = e->position().toPoint();
    const QModelIndex i = indexAt(at);
    if (!i.isValid() || (e->button() != Qt::LeftButton && e->button() != Qt::MiddleButton))
        return;
    pressed_ = i;
    pressedPart_ = DocRowDelegate::part(visualRect(i), at);
    pressAt_ = at;
}

void DocListView::mouseMoveEvent(QMouseEvent* e)
{
    const QPoint at = e->position().toPoint();
    const QModelIndex over = indexAt(at);
    setHover(over, over.isValid() ? DocRowDelegate::part(visualRect(over), at) : DocRowDelegate::Part::row);
    // A row dragged by anything but its buttons moves it.
    if (!pressed_.isValid() || pressedPart_ != DocRowDelegate::Part::row || !(e->buttons() & Qt::LeftButton))
        return;
    if ((at - pressAt_).manhattanLength() < QApplication::startDragDistance())
        return;
    const DocPtr d = docAt(pressed_);
    const QRect rect = visualRect(pressed_);
    pressed_ = QModelIndex();
    if (!d)
        return;
    auto* drag = new QDrag(this);
    auto* mime = new QMimeData;
    mime->setText(d->id.toString(QUuid::WithoutBraces));
    drag->setMimeData(mime);
    drag->setPixmap(viewport()->grab(rect));
    drag->setHotSpot(at - rect.topLeft());
    drag->exec(Qt::MoveAction);
}

void DocListView::mouseReleaseEvent(QMouseEvent* e)
{
    const QPoint at = e->position().toPoint();
    const QModelIndex i = indexAt(at);
    const bool same = pressed_.isValid() && i == pressed_;
    const DocRowDelegate::Part part = same ? DocRowDelegate::part(visualRect(i), at) : DocRowDelegate::Part::row;
    const bool onPressedPart = same && part == pressedPart_;
    pressed_ = QModelIndex();
    const DocPtr d = docAt(i);
    if (!onPressedPart || !d)
        return;
    if (e->button() == Qt::MiddleButton) {
        model_.close(d);
        return;
    }
    if (e->button() != Qt::LeftButton)
        return;
    switch (part) {
    case DocRowDelegate::Part::tag:
        emit tagClicked();
        model_.toggle(Popup::tags(d->id));
        break;
    case DocRowDelegate::Part::close: model_.close(d); break;
    case DocRowDelegate::Part::row: model_.activate(d); break;
    }
}

void DocListView::mouseDoubleClickEvent(QMouseEvent* e)
{
    // A second click is one more click, as on the buttons elsewhere.
    mousePressEvent(e);
}

QMenu* DocListView::contextMenu(const QModelIndex& index)
{
    const DocPtr doc = docAt(index);
    if (!doc)
        return nullptr;
    auto* menu = new QMenu(this);
    auto* tagMenu = menu->addMenu(QStringLiteral("标签"));
    for (const Tag& tag : model_.tags()) {
        auto* a = tagMenu->addAction(tag.name);
        a->setCheckable(true);
        a->setChecked(doc->tags().contains(tag.id));
        const QString tagID = tag.id;
        connect(a, &QAction::triggered, this, [this, tagID, doc] { model_.toggleTag(tagID, doc); });
    }
    connect(menu->addAction(QStringLiteral("上移")), &QAction::triggered, this, [this, doc] { model_.step(doc, -1); });
    connect(menu->addAction(QStringLiteral("下移")), &QAction::triggered, this, [this, doc] { model_.step(doc, 1); });
    connect(menu->addAction(QStringLiteral("重命名…")), &QAction::triggered, this,
            [this, doc] { model_.askRename(doc); });
    if (doc->url()) {
        const QString path = *doc->url();
        connect(menu->addAction(QStringLiteral("在文件管理器中显示")), &QAction::triggered, this,
                [path] { QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath())); });
        connect(menu->addAction(QStringLiteral("复制路径")), &QAction::triggered, this,
                [path] { QApplication::clipboard()->setText(path); });
    }
    connect(menu->addAction(QStringLiteral("关闭")), &QAction::triggered, this, [this, doc] { model_.close(doc); });
    return menu;
}

void DocListView::contextMenuEvent(QContextMenuEvent* e)
{
    // From the keyboard: the current row's menu, at the row.
    const bool keyboard = e->reason() == QContextMenuEvent::Keyboard;
    const QModelIndex i = keyboard ? currentIndex() : indexAt(e->pos());
    QMenu* menu = contextMenu(i);
    if (!menu)
        return;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(keyboard ? viewport()->mapToGlobal(visualRect(i).center()) : e->globalPos());
}

void DocListView::setDropRow(int row)
{
    if (row == dropRow_)
        return;
    updateRow(std::exchange(dropRow_, row));
    updateRow(row);
}

void DocListView::dragEnterEvent(QDragEnterEvent* e)
{
    if (!draggedDocID(e->mimeData()))
        return;
    e->acceptProposedAction();
    const QModelIndex i = indexAt(e->position().toPoint());
    setDropRow(i.isValid() ? i.row() : -1);
}

void DocListView::dragMoveEvent(QDragMoveEvent* e)
{
    const QModelIndex i = indexAt(e->position().toPoint());
    if (!draggedDocID(e->mimeData()) || !i.isValid()) {
        setDropRow(-1);
        e->ignore();
        return;
    }
    e->acceptProposedAction();
    setDropRow(i.row());
}

void DocListView::dragLeaveEvent(QDragLeaveEvent*) { setDropRow(-1); }

void DocListView::dropEvent(QDropEvent* e)
{
    setDropRow(-1);
    const auto id = draggedDocID(e->mimeData());
    const DocPtr before = docAt(indexAt(e->position().toPoint()));
    if (!id || !before)
        return;
    e->acceptProposedAction();
    model_.move(*id, before->id);
}
