#include "core/AppModel.h"

#include "text/Blanks.h"

void AppModel::toggleTag(const QString& tagID, const DocPtr& doc)
{
    if (!doc)
        return;
    QStringList tags = doc->tags();
    if (tags.contains(tagID))
        tags.removeAll(tagID);
    else
        tags.append(tagID);
    doc->setTags(tags);
    saveTags(doc);
    emit docsChanged();
}

void AppModel::addTag(const QString& name, const DocPtr& doc)
{
    const QString trimmed = trimBlanks(name);
    if (trimmed.isEmpty())
        return;
    std::optional<Tag> tag;
    for (const Tag& t : tags_)
        if (t.name == trimmed) {
            tag = t;
            break;
        }
    if (!tag) {
        // Colours are handed out in creation order and never recomputed.
        tag = Tag{QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper(), trimmed, int(tags_.size())};
        QList<Tag> all = tags_;
        all.append(*tag);
        setTags(all);
    }
    persist();
    if (doc && !doc->tags().contains(tag->id))
        toggleTag(tag->id, doc);
}

void AppModel::saveTags(const DocPtr& doc)
{
    if (!doc || !doc->url())
        return;
    auto map = load<QMap<QString, QStringList>>(fileTagsKey).value_or(QMap<QString, QStringList>{});
    if (doc->tags().isEmpty())
        map.remove(*doc->url());
    else
        map.insert(*doc->url(), doc->tags());
    store(fileTagsKey, map);
}

QList<AppModel::Group> AppModel::groups() const
{
    QList<Group> out;
    for (const Tag& t : tags_) {
        Group g{t.id, t.name, t.color, {}};
        for (const DocPtr& d : docs_)
            if (d->tags().contains(t.id))
                g.docs.append(d);
        if (!g.docs.isEmpty())
            out.append(g);
    }
    Group untagged{QStringLiteral("_"), QStringLiteral("未分组"), -1, {}};
    for (const DocPtr& d : docs_)
        if (d->tags().isEmpty())
            untagged.docs.append(d);
    if (!untagged.docs.isEmpty() || out.isEmpty())
        out.append(untagged);
    return out;
}

void AppModel::move(QUuid id, std::optional<QUuid> before)
{
    if (before == id)
        return;
    QList<DocPtr> list = docs_;
    qsizetype from = -1;
    for (qsizetype i = 0; i < list.size(); ++i)
        if (list[i]->id == id)
            from = i;
    if (from < 0)
        return;
    const DocPtr moving = list.takeAt(from);
    qsizetype to = list.size();
    if (before)
        for (qsizetype i = 0; i < list.size(); ++i)
            if (list[i]->id == *before) {
                to = i;
                break;
            }
    list.insert(to, moving);
    setDocs(list);
    persistSession();
}

void AppModel::step(const DocPtr& doc, int by)
{
    if (!doc)
        return;
    QList<qsizetype> peers;  // positions in docs_
    for (qsizetype i = 0; i < docs_.size(); ++i)
        if (docs_[i]->tags() == doc->tags())
            peers.append(i);
    qsizetype at = -1;
    for (qsizetype k = 0; k < peers.size(); ++k)
        if (docs_[peers[k]]->id == doc->id)
            at = k;
    const qsizetype partner = at + by;
    if (at < 0 || partner < 0 || partner >= peers.size())
        return;
    QList<DocPtr> list = docs_;
    list.swapItemsAt(peers[at], peers[partner]);
    setDocs(list);
    persistSession();
}
