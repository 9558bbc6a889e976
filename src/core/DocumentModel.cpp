#include "core/DocumentModel.h"

#include "plugins/FormatPlugin.h"

DocumentModel::DocumentModel(QObject* parent) : QAbstractListModel(parent) {}

DocumentModel::~DocumentModel()
{
    for (const DocPtr& d : docs_)
        disconnect(d.get(), nullptr, this, nullptr);
}

int DocumentModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(docs_.size()); }

QVariant DocumentModel::data(const QModelIndex& index, int role) const
{
    const DocPtr d = index.isValid() && !index.parent().isValid() ? at(index.row()) : nullptr;
    if (!d)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole: return d->name();
    case Qt::ToolTipRole: return d->fullPath();
    case folderRole: return d->displayPath();
    case idRole: return d->id;
    case pathRole: return d->url() ? QVariant(*d->url()) : QVariant();
    case formatRole: return d->plugin().id;
    case modifiedRole: return d->isDirty();
    case tagsRole: return d->tags();
    case groupsRole: return groupsOf(*d);
    case modeRole: return int(d->mode());
    case activeRole: return activeID_ == d->id;
    default: return {};
    }
}

QHash<int, QByteArray> DocumentModel::roleNames() const
{
    QHash<int, QByteArray> names = QAbstractListModel::roleNames();
    names.insert(idRole, "id");
    names.insert(pathRole, "path");
    names.insert(folderRole, "folder");
    names.insert(formatRole, "format");
    names.insert(modifiedRole, "modified");
    names.insert(tagsRole, "tags");
    names.insert(groupsRole, "groups");
    names.insert(modeRole, "mode");
    names.insert(activeRole, "active");
    return names;
}

DocPtr DocumentModel::doc(QUuid id) const { return at(row(id)); }

DocPtr DocumentModel::at(int row) const { return row >= 0 && row < docs_.size() ? docs_[row] : nullptr; }

int DocumentModel::row(QUuid id) const
{
    for (qsizetype i = 0; i < docs_.size(); ++i)
        if (docs_[i]->id == id)
            return int(i);
    return -1;
}

int DocumentModel::row(const Doc* doc) const
{
    for (qsizetype i = 0; i < docs_.size(); ++i)
        if (docs_[i].get() == doc)
            return int(i);
    return -1;
}

QStringList DocumentModel::groupsOf(const Doc& doc)
{
    return doc.tags().isEmpty() ? QStringList{untaggedGroup} : doc.tags();
}

DocPtr DocumentModel::active() const { return activeID_ ? doc(*activeID_) : nullptr; }

bool DocumentModel::setActiveID(std::optional<QUuid> id)
{
    if (activeID_ == id)
        return false;
    const std::optional<QUuid> was = std::exchange(activeID_, id);
    for (const std::optional<QUuid>& one : {was, id})
        if (const int r = one ? row(*one) : -1; r >= 0)
            emit dataChanged(index(r), index(r), {activeRole});
    emit activeChanged();
    return true;
}

bool DocumentModel::insert(int row, const DocPtr& doc)
{
    if (!doc || this->row(doc->id) >= 0 || row < 0 || row > docs_.size())
        return false;
    beginInsertRows({}, row, row);
    docs_.insert(row, doc);
    follow(doc.get());
    endInsertRows();
    emit listChanged();
    return true;
}

bool DocumentModel::remove(QUuid id)
{
    const int r = row(id);
    if (r < 0)
        return false;
    beginRemoveRows({}, r, r);
    const DocPtr gone = docs_.takeAt(r);
    disconnect(gone.get(), nullptr, this, nullptr);
    endRemoveRows();
    emit listChanged();
    return true;
}

bool DocumentModel::move(int from, int to)
{
    const int count = int(docs_.size());
    if (from < 0 || from >= count || to < 0 || to >= count || from == to)
        return false;
    // The destination is counted before the row leaves its place.
    beginMoveRows({}, from, from, {}, to > from ? to + 1 : to);
    docs_.move(from, to);
    endMoveRows();
    emit listChanged();
    return true;
}

void DocumentModel::follow(Doc* doc)
{
    // The text's own changes are not here: only what a row shows.
    connect(doc, &Doc::nameChanged, this, [this, doc] {
        changed(doc, {Qt::DisplayRole, Qt::AccessibleTextRole, Qt::ToolTipRole, formatRole});
    });
    connect(doc, &Doc::urlChanged, this, [this, doc] { changed(doc, {Qt::ToolTipRole, pathRole, folderRole}); });
    connect(doc, &Doc::modifiedChanged, this, [this, doc] { changed(doc, {modifiedRole}); });
    connect(doc, &Doc::tagsChanged, this, [this, doc] { changed(doc, {tagsRole, groupsRole}); });
    connect(doc, &Doc::modeChanged, this, [this, doc] { changed(doc, {modeRole}); });
}

void DocumentModel::changed(const Doc* doc, const QList<int>& roles)
{
    if (const int r = row(doc); r >= 0)
        emit dataChanged(index(r), index(r), roles);
}
