#include "views/sidebar/GroupView.h"

#include "core/AppModel.h"
#include "editor/Palette.h"
#include "views/icons/Icons.h"
#include "views/sidebar/SidebarRows.h"

#include <QDropEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>

GroupView::GroupView(AppModel& model, const QString& id, QWidget* parent) : QWidget(parent), model_(model), id_(id)
{
    column_ = new QVBoxLayout(this);
    column_->setContentsMargins(0, 0, 0, 0);
    column_->setSpacing(0);

    header_ = new QWidget(this);
    header_->setObjectName(QStringLiteral("groupHeader"));
    header_->setFixedHeight(rowHeight);
    header_->setCursor(Qt::PointingHandCursor);
    header_->installEventFilter(this);
    auto* hrow = new QHBoxLayout(header_);
    hrow->setContentsMargins(26 + 12, 0, 12, 0);
    name_ = new QLabel(header_);
    name_->setObjectName(QStringLiteral("groupName"));
    name_->setTextFormat(Qt::PlainText);
    QFont nf = name_->font();
    nf.setWeight(QFont::DemiBold);
    name_->setFont(nf);
    hrow->addWidget(name_);
    hrow->addStretch();
    count_ = new QLabel(header_);
    count_->setObjectName(QStringLiteral("groupCount"));
    count_->setForegroundRole(QPalette::PlaceholderText);
    hrow->addWidget(count_);
    column_->addWidget(header_);

    rowBox_ = new QWidget(this);
    rowList_ = new QVBoxLayout(rowBox_);
    rowList_->setContentsMargins(0, 0, 0, 0);
    rowList_->setSpacing(0);
    column_->addWidget(rowBox_);

    endZone_ = new QWidget(this);
    endZone_->setObjectName(QStringLiteral("groupEnd"));
    endZone_->setFixedHeight(6);
    endZone_->setAcceptDrops(true);
    endZone_->installEventFilter(this);
    column_->addWidget(endZone_);
}

QList<DocRow*> GroupView::rows() const
{
    QList<DocRow*> out;
    if (!open_)
        return out;
    for (int i = 0; i < rowList_->count(); ++i)
        if (auto* r = qobject_cast<DocRow*>(rowList_->itemAt(i)->widget()))
            out << r;
    return out;
}

void GroupView::setGroup(const SidebarGroup& group, bool capped)
{
    name_->setText(group.name);
    count_->setText(QString::number(group.docs.size()));
    color_ = group.color;
    open_ = !model_.collapsed().contains(id_);

    // Reuse the rows of documents still here, in the new order.
    QHash<QUuid, DocRow*> existing;
    while (QLayoutItem* item = rowList_->takeAt(0)) {
        if (auto* r = qobject_cast<DocRow*>(item->widget()))
            existing.insert(r->doc()->id, r);
        delete item;
    }
    for (const DocPtr& d : group.docs) {
        DocRow* r = existing.take(d->id);
        if (!r || r->doc() != d) {
            delete r;
            r = new DocRow(model_, d, rowBox_);
            if (onRowMade)
                onRowMade(r);
        } else {
            r->refresh();
        }
        rowList_->addWidget(r);
    }
    qDeleteAll(existing);

    // One long group scrolls within eight rows when the list is short of room.
    const bool scroll = capped && open_ && group.docs.size() > visibleLimit;
    if (scroll && !rowScroll_) {
        rowScroll_ = new QScrollArea(this);
        rowScroll_->setObjectName(QStringLiteral("groupScroll"));
        rowScroll_->setFrameShape(QFrame::NoFrame);
        rowScroll_->setFocusPolicy(Qt::NoFocus);
        rowScroll_->setWidgetResizable(true);
        rowScroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        rowScroll_->setFixedHeight(visibleLimit * rowHeight);
        rowScroll_->viewport()->setAutoFillBackground(false);
        column_->removeWidget(rowBox_);
        rowScroll_->setWidget(rowBox_);
        column_->insertWidget(1, rowScroll_);
    } else if (!scroll && rowScroll_) {
        rowScroll_->takeWidget();
        rowBox_->setParent(this);
        column_->insertWidget(1, rowBox_);
        delete rowScroll_;
        rowScroll_ = nullptr;
    }
    rowBox_->setAutoFillBackground(false);
    rowBox_->setVisible(open_);
    if (rowScroll_)
        rowScroll_->setVisible(open_);
    header_->update();
}

void GroupView::paintHeader()
{
    QPainter p(header_);
    Icons::paint(p, open_ ? QStringLiteral("chevron.down") : QStringLiteral("chevron.right"), QRect(10, 8, 12, 12),
                 Palette::fg3().resolve());
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(color_);
    p.drawEllipse(QPointF(31, rowHeight / 2.0), 4, 4);
}

bool GroupView::eventFilter(QObject* o, QEvent* e)
{
    if (o == header_) {
        if (e->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton) {
            QSet<QString> set = model_.collapsed();
            if (!set.remove(id_))
                set.insert(id_);
            model_.setCollapsed(set);
            model_.persist();
            return true;
        }
        if (e->type() == QEvent::Paint) {
            paintHeader();
            return false;
        }
    }
    if (o == endZone_) {
        switch (e->type()) {
        case QEvent::DragEnter: {
            auto* de = static_cast<QDragEnterEvent*>(e);
            if (draggedDocID(de->mimeData())) {
                de->acceptProposedAction();
                endOver_ = true;
                endZone_->update();
            }
            return true;
        }
        case QEvent::DragLeave:
            endOver_ = false;
            endZone_->update();
            return true;
        case QEvent::Drop: {
            auto* de = static_cast<QDropEvent*>(e);
            endOver_ = false;
            endZone_->update();
            if (const auto id = draggedDocID(de->mimeData())) {
                de->acceptProposedAction();
                model_.move(*id, std::nullopt);
            }
            return true;
        }
        case QEvent::Paint:
            if (endOver_) {
                QPainter p(endZone_);
                p.setPen(QPen(Palette::accent().resolve(), 2));
                p.drawLine(QPointF(8, 1), QPointF(endZone_->width() - 8, 1));
            }
            return true;
        default: break;
        }
    }
    return QWidget::eventFilter(o, e);
}
