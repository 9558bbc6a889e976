#include "views/sidebar/GroupView.h"

#include "editor/Palette.h"
#include "views/icons/Icons.h"
#include "views/sidebar/DocListView.h"
#include "views/sidebar/SidebarRows.h"
#include "views/state/WindowModel.h"

#include <QDropEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

GroupView::GroupView(WindowModel& model, const QString& id, QWidget* parent) : QWidget(parent), model_(model), id_(id)
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

    list_ = new DocListView(model_, this);
    list_->setRootIndex(model_.docGroups().groupIndex(id_));
    column_->addWidget(list_);
    // A group that goes away takes its list with it; until the sidebar drops
    // the view the list must not fall back to showing the groups.
    connect(&model_.docGroups(), &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex& parent, int first, int last) {
                const QModelIndex root = list_->rootIndex();
                if (!parent.isValid() && root.isValid() && root.row() >= first && root.row() <= last)
                    list_->hide();
            });

    endZone_ = new QWidget(this);
    endZone_->setObjectName(QStringLiteral("groupEnd"));
    endZone_->setFixedHeight(6);
    endZone_->setAcceptDrops(true);
    endZone_->installEventFilter(this);
    column_->addWidget(endZone_);
}

void GroupView::setGroup(const SidebarGroup& group, bool capped)
{
    name_->setText(group.name);
    count_->setText(QString::number(group.docs.size()));
    color_ = group.color;
    open_ = !model_.collapsed().contains(id_);
    list_->setAccessibleName(group.name);
    if (!list_->rootIndex().isValid())
        list_->setRootIndex(model_.docGroups().groupIndex(id_));

    // One long group scrolls within eight rows when the list is short of room.
    const int rows = int(group.docs.size());
    capped_ = capped && open_ && rows > visibleLimit;
    list_->setFixedHeight((capped_ ? visibleLimit : rows) * rowHeight);
    list_->setVerticalScrollBarPolicy(capped_ ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    list_->setVisible(open_ && list_->rootIndex().isValid());
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
