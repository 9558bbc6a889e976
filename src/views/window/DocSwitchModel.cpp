#include "views/window/DocSwitchModel.h"

void DocSwitchModel::setDocs(QList<DocPtr> docs)
{
    beginResetModel();
    docs_ = std::move(docs);
    endResetModel();
}

int DocSwitchModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(docs_.size()); }

QVariant DocSwitchModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= docs_.size())
        return {};
    const DocPtr& d = docs_.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole: return d->name();
    case Qt::ToolTipRole: return d->fullPath();
    case folderRole: return d->displayPath();
    case editedRole: return d->isDirty();
    default: return {};
    }
}
