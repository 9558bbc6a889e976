#include "core/AppModel.h"

QList<AppModel::Group> AppModel::groups() const
{
    QList<Group> out;
    for (const Tag& t : tags_) {
        Group g{t.id, t.name, t.color, {}};
        for (const DocPtr& d : docs_)
            if (d->tags().contains(t.id))
                g.docs << d;
        if (!g.docs.isEmpty())
            out << g;
    }
    Group untagged{QStringLiteral("_"), QStringLiteral("未分组"), -1, {}};
    for (const DocPtr& d : docs_)
        if (d->tags().isEmpty())
            untagged.docs << d;
    if (!untagged.docs.isEmpty() || out.isEmpty())
        out << untagged;
    return out;
}

void AppModel::toggleTag(const QString& tagID, const DocPtr& doc)
{
    QStringList list = doc->tags();
    if (!list.removeOne(tagID))
        list << tagID;
    doc->setTags(list);
    persistSession();
}

void AppModel::move(QUuid id, std::optional<QUuid> before)
{
    if (before && *before == id)
        return;
    QList<DocPtr> list = docs_;
    const auto it = std::find_if(list.begin(), list.end(), [&](const DocPtr& d) { return d->id == id; });
    if (it == list.end())
        return;
    const DocPtr moving = *it;
    list.erase(it);
    qsizetype at = list.size();
    if (before)
        for (qsizetype i = 0; i < list.size(); ++i)
            if (list[i]->id == *before)
                at = i;
    list.insert(at, moving);
    setDocs(list);
    persistSession();
}

void AppModel::step(const DocPtr& doc, int by)
{
    QList<qsizetype> peers;
    for (qsizetype i = 0; i < docs_.size(); ++i)
        if (docs_[i]->tags() == doc->tags())
            peers << i;
    const qsizetype self = std::find_if(peers.begin(), peers.end(), [&](qsizetype i) { return docs_[i] == doc; }) - peers.begin();
    const qsizetype partner = self + by;
    if (self >= peers.size() || partner < 0 || partner >= peers.size())
        return;
    QList<DocPtr> list = docs_;
    list.swapItemsAt(peers[self], peers[partner]);
    setDocs(list);
    persistSession();
}
