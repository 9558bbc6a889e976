#pragma once

#include "plugins/Outline.h"

#include <QAbstractListModel>

// The headings the outline lists, the one holding the caret marked; while
// there are none, a single row that says why and cannot be chosen.
class OutlineRows : public QAbstractListModel {
public:
    enum Role { levelRole = Qt::UserRole + 1, caretRole };

    using QAbstractListModel::QAbstractListModel;
    // A new list of headings; `caretEntry` is -1 when none holds the caret.
    void setEntries(QList<OutlineEntry> entries, int caretEntry);
    // Shown while there are no headings.
    void setNotice(const QString& text);
    const QList<OutlineEntry>& entries() const { return entries_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QList<OutlineEntry> entries_;
    int caretEntry_ = -1;
    QString notice_;
};
