#include "core/TagStore.h"

#include "core/DocumentModel.h"
#include "core/StoredValue.h"
#include "text/Blanks.h"

#include <QUuid>

TagStore::TagStore(Preferences& ud, DocumentModel& docs, QObject* parent) : QObject(parent), ud_(ud), docs_(docs) {}

QList<Tag> TagStore::builtInTags()
{
    return {
        {QStringLiteral("work"), QStringLiteral("工作"), 0},
        {QStringLiteral("write"), QStringLiteral("写作"), 1},
        {QStringLiteral("conf"), QStringLiteral("配置"), 2},
        {QStringLiteral("ops"), QStringLiteral("运维"), 3},
    };
}

void TagStore::setTags(QList<Tag> tags)
{
    if (tags_ == tags)
        return;
    tags_ = std::move(tags);
    emit tagsChanged();
}

void TagStore::setCollapsed(QSet<QString> collapsed)
{
    if (collapsed_ == collapsed)
        return;
    collapsed_ = std::move(collapsed);
    emit collapsedChanged();
}

void TagStore::restore()
{
    setTags(StoredValue::load<QList<Tag>>(ud_, tagsKey).value_or(builtInTags()));
    setCollapsed(StoredValue::load<QSet<QString>>(ud_, collapsedKey).value_or(QSet<QString>{}));
}

void TagStore::persist()
{
    const Preferences::Batch batch(ud_);
    StoredValue::store(ud_, tagsKey, tags_);
    StoredValue::store(ud_, collapsedKey, collapsed_);
}

qsizetype TagStore::indexOf(const QString& tagID) const
{
    for (qsizetype i = 0; i < tags_.size(); ++i)
        if (tags_[i].id == tagID)
            return i;
    return -1;
}

TagStore::FileTags TagStore::fileTags() const
{
    return StoredValue::load<FileTags>(ud_, fileTagsKey).value_or(FileTags{});
}

void TagStore::toggleTag(const QString& tagID, const DocPtr& doc)
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
}

void TagStore::addTag(const QString& name, const DocPtr& doc)
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

void TagStore::saveTags(const DocPtr& doc)
{
    if (!doc || !doc->url())
        return;
    FileTags map = fileTags();
    if (doc->tags().isEmpty())
        map.remove(*doc->url());
    else
        map.insert(*doc->url(), doc->tags());
    StoredValue::store(ud_, fileTagsKey, map);
}

QStringList TagStore::tagsOfFile(const QString& path) const
{
    QStringList kept;
    for (const QString& id : fileTags().value(path))
        if (indexOf(id) >= 0)
            kept.append(id);
    return kept;
}

void TagStore::forgetFile(const QString& path)
{
    FileTags map = fileTags();
    if (map.remove(path))
        StoredValue::store(ud_, fileTagsKey, map);
}

void TagStore::renameTag(const QString& tagID, const QString& name)
{
    const QString trimmed = trimBlanks(name);
    const qsizetype at = indexOf(tagID);
    if (at < 0 || trimmed.isEmpty())
        return;
    QList<Tag> all = tags_;
    all[at].name = trimmed;
    setTags(all);
    persist();
}

void TagStore::moveTag(const QString& tagID, const std::optional<QString>& before)
{
    const qsizetype from = indexOf(tagID);
    if (from < 0 || before == tagID)
        return;
    QList<Tag> all = tags_;
    const Tag moving = all.takeAt(from);
    qsizetype to = all.size();
    for (qsizetype i = 0; before && i < all.size(); ++i)
        if (all[i].id == *before)
            to = i;
    all.insert(to, moving);
    setTags(all);
    persist();
}

void TagStore::removeTag(const QString& tagID)
{
    const qsizetype at = indexOf(tagID);
    if (at < 0)
        return;
    // The documents first: once the tag is gone, no group may still list them under it.
    for (const DocPtr& d : docs_.docs())
        if (d->tags().contains(tagID)) {
            QStringList kept = d->tags();
            kept.removeAll(tagID);
            d->setTags(kept);
        }
    FileTags map = fileTags();
    for (auto it = map.begin(); it != map.end();) {
        it->removeAll(tagID);
        it = it->isEmpty() ? map.erase(it) : std::next(it);
    }
    const Preferences::Batch batch(ud_);
    StoredValue::store(ud_, fileTagsKey, map);
    QList<Tag> all = tags_;
    all.removeAt(at);
    setTags(all);
    persist();
}
