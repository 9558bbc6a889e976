#include "core/AppModel.h"
#include "core/EditorLink.h"

#include "core/AppModelWatcher.h"
#include "core/BackupStore.h"

#include <QPointer>
#include <QTimer>

void AppModel::persist()
{
    // One write of the store for all four, not one each.
    const Preferences::Batch batch(*ud_);
    store(tagsKey, tags_);
    store(recentKey, recent_);
    store(collapsedKey, collapsed_);
    store(settingsKey, settings_);
}

void AppModel::persistSession()
{
    const Preferences::Batch batch(*ud_);
    QList<SessionItem> items;
    sessionBackups_.clear();
    for (const DocPtr& d : docs()) {
        SessionItem item;
        // Listed before its snapshot is written: killed in between, the next
        // start still looks for the snapshot rather than taking the file.
        const auto w = watchers_.constFind(d->id);
        if (BackupStore::exists(d->id) || (w != watchers_.constEnd() && (*w)->pendingSince.isValid())) {
            item.backup = d->id;
            sessionBackups_.insert(d->id);
        }
        item.path = d->url();
        if (editorLink_)
            if (const auto at = editorLink_->place(d)) {
                item.caretLine = at->caretLine;
                item.topLine = at->topLine;
                item.caretColumn = at->caretColumn;
            }
        if (item.backup || item.path)
            items.append(item);
    }
    store(sessionKey, items);
    const DocPtr a = active();
    if (a && a->url())
        ud_->setString(activePathKey, *a->url());
    else
        ud_->remove(activePathKey);
}

void AppModel::applySettings()
{
    if (applySettingsHook_)
        applySettingsHook_(settings_);
}

void AppModel::schedulePersistSession()
{
    // Coalesced: several changes in one turn give one write, and it sees the
    // settled state.
    if (sessionSavePosted_)
        return;
    sessionSavePosted_ = true;
    QTimer::singleShot(0, this, [this] {
        sessionSavePosted_ = false;
        persistSession();
    });
}

void AppModel::restore()
{
    setTags(load<QList<Tag>>(tagsKey).value_or(builtInTags()));
    setRecent(load<QStringList>(recentKey).value_or(QStringList{}));
    setCollapsed(load<QSet<QString>>(collapsedKey).value_or(QSet<QString>{}));
    setSettings(load<Settings>(settingsKey).value_or(Settings{}));
    applySettings();

    restoreSession();

    if (const auto path = ud_->string(activePathKey))
        for (const DocPtr& d : docs())
            if (d->url() && *d->url() == *path) {
                setActiveID(d->id);
                break;
            }
    if (!active())
        setActiveID(docs().isEmpty() ? std::nullopt : std::optional<QUuid>(docs().first()->id));

    bag_.append(connect(this, &AppModel::activeChanged, this, &AppModel::schedulePersistSession));
    schedulePersistSession();
}

void AppModel::restoreSession()
{
    auto items = load<QList<SessionItem>>(sessionKey);
    if (!items) {
        // The older form: plain paths.
        if (const auto paths = load<QStringList>(sessionKey)) {
            items.emplace();
            for (const QString& p : *paths)
                items->append(SessionItem{p, std::nullopt});
        }
    }

    restoring_ = true;
    restoredFromPaths_ = false;
    QSet<QUuid> restored;
    // A snapshot restores one document; a second copy of an id (a damaged
    // session, a renamed snapshot file) must not duplicate it.
    const auto adopt = [&](const DocSnapshot& s) {
        if (doc(s.id))
            return false;
        DocPtr d = Doc::restore(s);
        appendDoc(d);
        watch(d);
        return true;
    };
    const auto placeOf = [this](const DocPtr& d, const SessionItem& item) {
        if (d && editorLink_ && item.caretLine)
            editorLink_->restorePlace(
                d, EditorPlace{*item.caretLine, item.topLine.value_or(*item.caretLine), item.caretColumn.value_or(0)});
    };
    for (const SessionItem& item : items.value_or(QList<SessionItem>{})) {
        if (item.backup) {
            if (const auto s = BackupStore::load(*item.backup)) {
                restored.insert(*item.backup);
                if (adopt(*s)) {
                    placeOf(doc(s->id), item);
                    continue;
                }
            }
        }
        if (item.path)
            placeOf(open(*item.path, true), item);
    }
    for (const QUuid& id : BackupStore::allIDs()) {
        if (restored.contains(id))
            continue;
        const auto s = BackupStore::load(id);
        if (!s)
            continue;
        if (s->path && docAt(*s->path))
            continue;
        adopt(*s);
    }
    restoring_ = false;
    if (restoredFromPaths_)
        persist();

    for (const DocPtr& d : docs())
        if (BackupStore::exists(d->id)) {
            flash(QStringLiteral("已恢复未保存的修改"));
            break;
        }
}
