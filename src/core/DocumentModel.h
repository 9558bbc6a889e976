#pragma once

#include "core/Doc.h"

#include <QAbstractListModel>
#include <QList>
#include <QUuid>
#include <optional>

// The open documents in sidebar order, and which one is active: the one list
// every view of the documents shows. A document's own change signals become
// dataChanged for its row with just the roles they touch.
class DocumentModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role {
        // DisplayRole is the name, ToolTipRole the full path shown to the user.
        idRole = Qt::UserRole + 1,
        pathRole,      // the file, or nothing for a new document
        folderRole,    // its folder as shown, or "未保存"
        formatRole,    // the format plugin's id
        modifiedRole,  // the unsaved mark
        tagsRole,
        groupsRole,  // the groups the document is listed under: its tags, or "_"
        modeRole,
        activeRole,
        lastRole = activeRole,
    };
    static inline const QString untaggedGroup = QStringLiteral("_");

    explicit DocumentModel(QObject* parent = nullptr);
    ~DocumentModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    const QList<DocPtr>& docs() const { return docs_; }
    DocPtr doc(QUuid id) const;
    DocPtr at(int row) const;
    // -1 when the document is not in the list.
    int row(QUuid id) const;
    int row(const Doc* doc) const;
    // The group names of a document's rows.
    static QStringList groupsOf(const Doc& doc);

    const std::optional<QUuid>& activeID() const { return activeID_; }
    DocPtr active() const;
    // False when it was already the active one.
    bool setActiveID(std::optional<QUuid> id);

    // Ids stay unique: a null document or one already listed is refused.
    bool insert(int row, const DocPtr& doc);
    bool append(const DocPtr& doc) { return insert(int(docs_.size()), doc); }
    // Takes the row out; the active id stays as it was for the caller to replace.
    bool remove(QUuid id);
    // Moves the row at `from` so that it ends up at index `to`.
    bool move(int from, int to);

signals:
    void activeChanged();
    // Rows were inserted, removed or moved. Sent once every view and proxy
    // of this model has applied the row signal, so a listener that reads
    // them sees them current.
    void listChanged();

private:
    void follow(Doc* doc);
    void changed(const Doc* doc, const QList<int>& roles);

    QList<DocPtr> docs_;
    std::optional<QUuid> activeID_;
};
