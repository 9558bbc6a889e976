#include "views/window/DocSwitchModel.h"

DocSwitchModel::DocSwitchModel(DocumentModel& docs, QObject* parent) : QSortFilterProxyModel(parent)
{
    setSourceModel(&docs);
    sort(0);
}

void DocSwitchModel::setOrder(const QList<QUuid>& ids)
{
    if (order_ == ids)
        return;
    order_ = ids;
    invalidate();
}

bool DocSwitchModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    return order_.contains(sourceModel()->index(sourceRow, 0, sourceParent).data(DocumentModel::idRole).toUuid());
}

bool DocSwitchModel::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    return order_.indexOf(left.data(DocumentModel::idRole).toUuid())
        < order_.indexOf(right.data(DocumentModel::idRole).toUuid());
}
