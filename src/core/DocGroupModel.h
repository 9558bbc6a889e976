#pragma once

#include "core/DocumentModel.h"
#include "core/Tag.h"

#include <QAbstractItemModel>
#include <memory>

// The open documents under their tags: a group row per tag that has
// documents, in the tags' order, then "_" for the untagged ones (shown as
// well when there are no groups at all). A document with two tags is listed
// in both. Every change of the documents or the tags is applied as row
// insertions, removals and moves, never as a reset, so that views keep their
// selection, focus and scroll position.
class DocGroupModel : public QAbstractItemModel {
    Q_OBJECT
public:
    enum Role {
        groupIDRole = DocumentModel::lastRole + 1,  // on a document row: the group it is listed under
        colorRole,                                  // the tag's colour index; -1 for "_"
        countRole,                                  // a group's number of documents
        isGroupRole,
    };
    struct Group {
        QString id;  // tag id, or "_" for the untagged documents
        QString name;
        int color = -1;
        QList<DocPtr> docs;
    };
    // The groups as they are listed.
    static QList<Group> arrange(const QList<DocPtr>& docs, const QList<Tag>& tags);

    explicit DocGroupModel(DocumentModel& docs, QObject* parent = nullptr);

    void setTags(const QList<Tag>& tags);

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    // Null for a group row.
    DocPtr doc(const QModelIndex& index) const;
    QModelIndex groupIndex(const QString& groupID) const;
    QModelIndex docIndex(const QString& groupID, QUuid docID) const;

private:
    void sync();
    void syncRows(int groupRow, const QList<DocPtr>& wanted);
    void sourceChanged(const QModelIndex& from, const QModelIndex& to, const QList<int>& roles);
    int groupRow(const Group* group) const;
    int groupRow(const QString& id) const;

    DocumentModel& source_;
    QList<Tag> tags_;
    // Shared so that an index's pointer to its group survives moves.
    QList<std::shared_ptr<Group>> groups_;
};
