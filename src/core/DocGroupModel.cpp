#include "core/DocGroupModel.h"

QList<DocGroupModel::Group> DocGroupModel::arrange(const QList<DocPtr>& docs, const QList<Tag>& tags)
{
    QList<Group> out;
    for (const Tag& t : tags) {
        Group g{t.id, t.name, t.color, {}};
        for (const DocPtr& d : docs)
            if (d->tags().contains(t.id))
                g.docs.append(d);
        if (!g.docs.isEmpty())
            out.append(g);
    }
    Group untagged{DocumentModel::untaggedGroup, QStringLiteral("未分组"), -1, {}};
    for (const DocPtr& d : docs)
        if (d->tags().isEmpty())
            untagged.docs.append(d);
    if (!untagged.docs.isEmpty() || out.isEmpty())
        out.append(untagged);
    return out;
}

DocGroupModel::DocGroupModel(DocumentModel& docs, QObject* parent) : QAbstractItemModel(parent), source_(docs)
{
    for (const Group& g : arrange(source_.docs(), tags_))
        groups_.append(std::make_shared<Group>(g));
    connect(&source_, &QAbstractItemModel::rowsInserted, this, &DocGroupModel::sync);
    connect(&source_, &QAbstractItemModel::rowsRemoved, this, &DocGroupModel::sync);
    connect(&source_, &QAbstractItemModel::rowsMoved, this, &DocGroupModel::sync);
    connect(&source_, &QAbstractItemModel::modelReset, this, &DocGroupModel::sync);
    connect(&source_, &QAbstractItemModel::layoutChanged, this, &DocGroupModel::sync);
    connect(&source_, &QAbstractItemModel::dataChanged, this, &DocGroupModel::sourceChanged);
}

void DocGroupModel::setTags(const QList<Tag>& tags)
{
    if (tags_ == tags)
        return;
    tags_ = tags;
    sync();
}

void DocGroupModel::sync()
{
    const QList<Group> wanted = arrange(source_.docs(), tags_);
    const auto wantedAt = [&wanted](const QString& id) {
        return std::find_if(wanted.begin(), wanted.end(), [&id](const Group& g) { return g.id == id; });
    };
    for (int i = int(groups_.size()) - 1; i >= 0; --i)
        if (wantedAt(groups_[i]->id) == wanted.end()) {
            beginRemoveRows({}, i, i);
            groups_.removeAt(i);
            endRemoveRows();
        }
    // Rows before k are in place; the group wanted at k, if listed, is further down.
    for (int k = 0; k < wanted.size(); ++k) {
        const int at = groupRow(wanted[k].id);
        if (at == k)
            continue;
        if (at > k) {
            beginMoveRows({}, at, at, {}, k);
            groups_.move(at, k);
            endMoveRows();
        } else {
            beginInsertRows({}, k, k);
            groups_.insert(k, std::make_shared<Group>(wanted[k]));
            endInsertRows();
        }
    }
    for (int k = 0; k < wanted.size(); ++k) {
        Group& g = *groups_[k];
        const qsizetype count = g.docs.size();
        syncRows(k, wanted[k].docs);
        if (g.name != wanted[k].name || g.color != wanted[k].color || g.docs.size() != count) {
            g.name = wanted[k].name;
            g.color = wanted[k].color;
            emit dataChanged(index(k, 0), index(k, 0), {Qt::DisplayRole, colorRole, countRole});
        }
    }
}

void DocGroupModel::syncRows(int groupRow, const QList<DocPtr>& wanted)
{
    QList<DocPtr>& docs = groups_[groupRow]->docs;
    const QModelIndex parent = index(groupRow, 0);
    for (int i = int(docs.size()) - 1; i >= 0; --i)
        if (!wanted.contains(docs[i])) {
            beginRemoveRows(parent, i, i);
            docs.removeAt(i);
            endRemoveRows();
        }
    for (int k = 0; k < wanted.size(); ++k) {
        const int at = int(docs.indexOf(wanted[k]));
        if (at == k)
            continue;
        if (at > k) {
            beginMoveRows(parent, at, at, parent, k);
            docs.move(at, k);
            endMoveRows();
        } else {
            beginInsertRows(parent, k, k);
            docs.insert(k, wanted[k]);
            endInsertRows();
        }
    }
}

void DocGroupModel::sourceChanged(const QModelIndex& from, const QModelIndex& to, const QList<int>& roles)
{
    if (roles.isEmpty() || roles.contains(DocumentModel::groupsRole) || roles.contains(DocumentModel::tagsRole))
        sync();
    for (int r = from.row(); r <= to.row(); ++r) {
        const DocPtr d = source_.at(r);
        for (int g = 0; g < groups_.size(); ++g)
            if (const int at = int(groups_[g]->docs.indexOf(d)); at >= 0) {
                const QModelIndex i = index(at, 0, index(g, 0));
                emit dataChanged(i, i, roles);
            }
    }
}

int DocGroupModel::groupRow(const Group* group) const
{
    for (qsizetype i = 0; i < groups_.size(); ++i)
        if (groups_[i].get() == group)
            return int(i);
    return -1;
}

int DocGroupModel::groupRow(const QString& id) const
{
    for (qsizetype i = 0; i < groups_.size(); ++i)
        if (groups_[i]->id == id)
            return int(i);
    return -1;
}

QModelIndex DocGroupModel::index(int row, int column, const QModelIndex& parent) const
{
    if (column != 0 || row < 0)
        return {};
    if (!parent.isValid())
        return row < groups_.size() ? createIndex(row, 0, nullptr) : QModelIndex();
    if (parent.internalPointer() || parent.row() >= groups_.size())
        return {};
    Group* g = groups_[parent.row()].get();
    return row < g->docs.size() ? createIndex(row, 0, g) : QModelIndex();
}

QModelIndex DocGroupModel::parent(const QModelIndex& child) const
{
    if (!child.isValid() || !child.internalPointer())
        return {};
    const int r = groupRow(static_cast<const Group*>(child.internalPointer()));
    return r < 0 ? QModelIndex() : createIndex(r, 0, nullptr);
}

int DocGroupModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return int(groups_.size());
    if (parent.internalPointer() || parent.row() >= groups_.size())
        return 0;
    return int(groups_[parent.row()]->docs.size());
}

int DocGroupModel::columnCount(const QModelIndex& /*parent*/) const { return 1; }

DocPtr DocGroupModel::doc(const QModelIndex& index) const
{
    const auto* g = index.isValid() ? static_cast<const Group*>(index.internalPointer()) : nullptr;
    return g && index.row() < g->docs.size() ? g->docs[index.row()] : nullptr;
}

QVariant DocGroupModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    if (const auto* g = static_cast<const Group*>(index.internalPointer())) {
        if (role == groupIDRole)
            return g->id;
        if (role == colorRole)
            return g->color;
        if (role == isGroupRole)
            return false;
        const int r = source_.row(doc(index).get());
        return r < 0 ? QVariant() : source_.data(source_.index(r), role);
    }
    if (index.row() >= groups_.size())
        return {};
    const Group& g = *groups_[index.row()];
    switch (role) {
    case Qt::DisplayRole: return g.name;
    case groupIDRole: return g.id;
    case colorRole: return g.color;
    case countRole: return int(g.docs.size());
    case isGroupRole: return true;
    default: return {};
    }
}

QHash<int, QByteArray> DocGroupModel::roleNames() const
{
    QHash<int, QByteArray> names = source_.roleNames();
    names.insert(groupIDRole, "groupID");
    names.insert(colorRole, "color");
    names.insert(countRole, "count");
    names.insert(isGroupRole, "isGroup");
    return names;
}

QModelIndex DocGroupModel::groupIndex(const QString& groupID) const
{
    const int r = groupRow(groupID);
    return r < 0 ? QModelIndex() : index(r, 0);
}

QModelIndex DocGroupModel::docIndex(const QString& groupID, QUuid docID) const
{
    const int g = groupRow(groupID);
    if (g < 0)
        return {};
    const QList<DocPtr>& docs = groups_[g]->docs;
    for (qsizetype i = 0; i < docs.size(); ++i)
        if (docs[i]->id == docID)
            return index(int(i), 0, index(g, 0));
    return {};
}
