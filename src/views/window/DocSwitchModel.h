#pragma once

#include "core/DocumentModel.h"

#include <QSortFilterProxyModel>

// The documents of a Ctrl+Tab walk as rows of the open documents, in the
// walk's order: name, folder and whether it has unsaved edits.
class DocSwitchModel : public QSortFilterProxyModel {
public:
    // DisplayRole the name, ToolTipRole the full path, folderRole the folder, editedRole a bool.
    enum Role { folderRole = DocumentModel::folderRole, editedRole = DocumentModel::modifiedRole };

    explicit DocSwitchModel(DocumentModel& docs, QObject* parent = nullptr);
    // The documents listed, in this order; others are left out.
    void setOrder(const QList<QUuid>& ids);
    using QSortFilterProxyModel::index;
    // The row of a list: it has one column and no children.
    QModelIndex index(int row) const { return index(row, 0); }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    QList<QUuid> order_;
};
