#include "views/overlays/OutlineRows.h"

void OutlineRows::setEntries(QList<OutlineEntry> entries, int caretEntry)
{
    beginResetModel();
    entries_ = std::move(entries);
    caretEntry_ = caretEntry;
    endResetModel();
}

void OutlineRows::setNotice(const QString& text)
{
    if (notice_ == text)
        return;
    notice_ = text;
    if (entries_.isEmpty())
        emit dataChanged(index(0), index(0), {Qt::DisplayRole});
}

int OutlineRows::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return entries_.isEmpty() ? 1 : int(entries_.size());
}

QVariant OutlineRows::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    if (entries_.isEmpty())
        return role == Qt::DisplayRole || role == Qt::AccessibleTextRole ? QVariant(notice_) : QVariant();
    if (index.row() >= entries_.size())
        return {};
    const OutlineEntry& e = entries_[index.row()];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole: return e.title.isEmpty() ? QStringLiteral("（空标题）") : e.title;
    case Qt::ToolTipRole: return QStringLiteral("第 %1 行").arg(e.line + 1);
    case levelRole: return e.level;
    case caretRole: return index.row() == caretEntry_;
    default: return {};
    }
}

Qt::ItemFlags OutlineRows::flags(const QModelIndex& index) const
{
    if (!index.isValid() || entries_.isEmpty())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}
