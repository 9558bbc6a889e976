#pragma once

#include "core/Doc.h"

#include <QAbstractListModel>

// The documents of a Ctrl+Tab walk as rows: name, folder and whether it has unsaved edits.
class DocSwitchModel : public QAbstractListModel {
public:
    enum Role { folderRole = Qt::UserRole + 1, editedRole };

    using QAbstractListModel::QAbstractListModel;
    void setDocs(QList<DocPtr> docs);
    int rowCount(const QModelIndex& parent = {}) const override;
    // DisplayRole the name, ToolTipRole the full path, folderRole the folder, editedRole a bool.
    QVariant data(const QModelIndex& index, int role) const override;

private:
    QList<DocPtr> docs_;
};
