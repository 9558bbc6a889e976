#include "core/SessionStore.h"

#include "core/BackupStore.h"
#include "core/DiskWatcher.h"
#include "core/DocumentModel.h"
#include "core/EditorLink.h"
#include "core/OpenPaths.h"
#include "core/SessionItem.h"
#include "core/TagStore.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>

// One document's debounced change subscription.
struct SessionStore::Watcher {
    std::weak_ptr<Doc> doc;
    std::unique_ptr<QTimer> timer;
    QList<QMetaObject::Connection> subscriptions;
    // Running while a change waits for its snapshot.
    QElapsedTimer pendingSince;

    ~Watcher()
    {
        for (const auto& c : subscriptions)
            QObject::disconnect(c);
    }
};

SessionStore::SessionStore(Preferences& ud, DocumentModel& docs, TagStore& tags, DiskWatcher& disk, QObject* parent)
    : QObject(parent), ud_(ud), docs_(docs), tags_(tags), disk_(disk)
{
}

SessionStore::~SessionStore() { unwatchAll(); }

void SessionStore::setRecent(QStringList recent)
{
    if (recent_ == recent)
        return;
    recent_ = std::move(recent);
    emit recentChanged();
}

void SessionStore::noteClosed(const QString& path)
{
    QStringList recent = recent_;
    recent.removeAll(path);
    recent.prepend(path);
    while (recent.size() > recentLimit)
        recent.removeLast();
    setRecent(recent);
    persist();
}

void SessionStore::noteRecent(const QString& path) const
{
    if (noteRecentHook_)
        noteRecentHook_(path);
}

void SessionStore::setSettings(const Settings& s)
{
    if (settings_ == s)
        return;
    settings_ = s;
    emit settingsChanged();
    applySettings();
    persist();
}

void SessionStore::applySettings()
{
    if (applySettingsHook_)
        applySettingsHook_(settings_);
}

void SessionStore::persist()
{
    // One write of the store for all four, not one each.
    const Preferences::Batch batch(ud_);
    tags_.persist();
    store(recentKey, recent_);
    store(settingsKey, settings_);
}

void SessionStore::persistSession()
{
    const Preferences::Batch batch(ud_);
    QList<SessionItem> items;
    QList<QUuid> listed;  // the document of each item
    sessionBackups_.clear();
    for (const DocPtr& d : docs_.docs()) {
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
        if (item.backup || item.path) {
            items.append(item);
            listed.append(d->id);
        }
    }
    // Still being read: a session written meanwhile must not lose them.
    for (const Later& l : later_) {
        qsizetype at = l.before ? listed.indexOf(*l.before) : -1;
        if (at < 0)
            at = items.size();
        items.insert(at, l.item);
        listed.insert(at, QUuid());
        if (l.item.backup)
            sessionBackups_.insert(*l.item.backup);
    }
    store(sessionKey, items);
    const DocPtr a = docs_.active();
    if (awaitedActive_)
        ud_.setString(activePathKey, *awaitedActive_);
    else if (a && a->url())
        ud_.setString(activePathKey, *a->url());
    else
        ud_.remove(activePathKey);
}

void SessionStore::schedulePersistSession()
{
    if (sessionSavePosted_)
        return;
    sessionSavePosted_ = true;
    QTimer::singleShot(0, this, [this] {
        sessionSavePosted_ = false;
        persistSession();
    });
}

void SessionStore::restore()
{
    tags_.restore();
    setRecent(load<QStringList>(recentKey).value_or(QStringList{}));
    setSettings(load<Settings>(settingsKey).value_or(Settings{}));
    applySettings();
}

bool SessionStore::restoreSession(const std::function<DocPtr(const QString&)>& open,
                                  const std::function<bool(const SessionItem&)>& later)
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
    bool fromPaths = false;
    QSet<QUuid> restored;
    // A snapshot restores one document; a second copy of an id (a damaged
    // session, a renamed snapshot file) must not duplicate it.
    const auto adopt = [&](const DocSnapshot& s) {
        if (docs_.doc(s.id))
            return false;
        DocPtr d = Doc::restore(s);
        docs_.append(d);
        watch(d);
        return true;
    };
    // Each item taken for later, with the number of documents before it.
    QList<std::pair<SessionItem, qsizetype>> taken;
    QStringList laterPaths;
    for (const SessionItem& item : items.value_or(QList<SessionItem>{})) {
        if (later && !(item.backup && restored.contains(*item.backup)) && later(item)) {
            taken.append({item, docs_.docs().size()});
            if (item.backup)
                restored.insert(*item.backup);
            if (item.path)
                laterPaths << OpenPaths::standard(*item.path);
            continue;
        }
        if (item.backup) {
            if (const auto s = BackupStore::load(*item.backup)) {
                restored.insert(*item.backup);
                if (adopt(*s)) {
                    restorePlace(docs_.doc(s->id), item);
                    continue;
                }
            }
        }
        if (item.path) {
            const auto before = docs_.docs().size();
            restorePlace(open(*item.path), item);
            fromPaths = fromPaths || docs_.docs().size() > before;
        }
    }
    for (const QUuid& id : BackupStore::allIDs()) {
        if (restored.contains(id))
            continue;
        const auto s = BackupStore::load(id);
        if (!s)
            continue;
        if (s->path && (OpenPaths::find(docs_.docs(), *s->path) || laterPaths.contains(OpenPaths::standard(*s->path))))
            continue;
        adopt(*s);
    }
    // Each stands before the document that followed it in the session.
    for (const auto& [item, row] : taken)
        later_.append(
            Later{item, row < docs_.docs().size() ? std::optional<QUuid>(docs_.docs()[row]->id) : std::nullopt});
    restoring_ = false;
    // The files opened took themselves off the recent list; written once here.
    if (fromPaths)
        persist();

    return std::any_of(docs_.docs().begin(), docs_.docs().end(),
                       [](const DocPtr& d) { return BackupStore::exists(d->id); })
        || std::any_of(later_.begin(), later_.end(),
                       [](const Later& l) { return l.item.backup && BackupStore::exists(*l.item.backup); });
}

void SessionStore::settleLater(const SessionItem& item, const DocPtr& doc)
{
    const auto it = std::find_if(later_.begin(), later_.end(), [&](const Later& l) { return l.item == item; });
    const std::optional<QUuid> before = it != later_.end() ? it->before : std::nullopt;
    if (it != later_.end())
        later_.erase(it);
    if (doc) {
        // Its place when the document it stood before is still listed; the end otherwise.
        const int row = before ? docs_.row(*before) : -1;
        docs_.insert(row < 0 ? int(docs_.docs().size()) : row, doc);
        watch(doc);
        restorePlace(doc, item);
    }
    schedulePersistSession();
}

void SessionStore::restorePlace(const DocPtr& doc, const SessionItem& item)
{
    if (doc && editorLink_ && item.caretLine)
        editorLink_->restorePlace(
            doc, EditorPlace{*item.caretLine, item.topLine.value_or(*item.caretLine), item.caretColumn.value_or(0)});
}

void SessionStore::watch(const DocPtr& doc)
{
    if (!doc)
        return;
    auto w = std::make_shared<Watcher>();
    w->doc = doc;
    w->timer = std::make_unique<QTimer>();
    w->timer->setSingleShot(true);
    w->timer->setTimerType(Qt::PreciseTimer);
    const QUuid id = doc->id;
    connect(w->timer.get(), &QTimer::timeout, this, [this, id] { snapshotDue(id); });
    Watcher* raw = w.get();
    // The connections are owned by the watcher and end with it, the store or
    // the document, so neither is kept alive by the other.
    const auto changed = [this, raw, id] {
        if (!raw->pendingSince.isValid())
            raw->pendingSince.start();
        if (!sessionBackups_.contains(id) && !quitting_)
            schedulePersistSession();
        const qint64 left = snapshotMaxWaitMSecs - raw->pendingSince.elapsed();
        raw->timer->start(int(std::clamp<qint64>(left, 0, snapshotQuietMSecs)));
    };
    // What the snapshot holds. The notice bar, the checks and the preview are
    // not in it; a failed write that shows itself there must not ask for another.
    Doc* d = doc.get();
    for (const auto signal : {&Doc::textChanged, &Doc::savedTextChanged, &Doc::urlChanged, &Doc::nameChanged,
                              &Doc::encodingChanged, &Doc::eolChanged, &Doc::tagsChanged, &Doc::modeChanged,
                              &Doc::originalNameChanged, &Doc::metaDirtyChanged, &Doc::wrapChanged})
        w->subscriptions << connect(d, signal, this, changed);
    watchers_.insert(id, w);
    disk_.watch(doc);
}

void SessionStore::unwatch(QUuid docID)
{
    watchers_.remove(docID);
    disk_.unwatch(docID);
}

void SessionStore::unwatchAll()
{
    watchers_.clear();
    disk_.unwatchAll();
}

void SessionStore::setQuitting()
{
    quitting_ = true;
    disk_.stop();
}

void SessionStore::discard(QUuid docID)
{
    discarded_.insert(docID);
    if (const auto it = watchers_.constFind(docID); it != watchers_.constEnd()) {
        (*it)->timer->stop();
        (*it)->pendingSince.invalidate();
    }
}

void SessionStore::keepDiscarded()
{
    const QSet<QUuid> discarded = std::exchange(discarded_, {});
    for (const QUuid& id : discarded)
        if (const auto it = watchers_.constFind(id); it != watchers_.constEnd())
            (*it)->timer->start(0);
}

void SessionStore::snapshotDue(QUuid docID)
{
    const auto it = watchers_.constFind(docID);
    if (it == watchers_.constEnd())
        return;
    Watcher& w = **it;
    w.pendingSince.invalidate();
    const DocPtr doc = w.doc.lock();
    if (!doc || quitting_ || discarded_.contains(docID))
        return;
    // Comparing, encoding and writing a long text happen off the main
    // thread; the session follows once the snapshot appeared or went. A
    // failed write is shown on the document and tried again.
    QPointer<SessionStore> self(this);
    auto done = [self, docID, weak = doc->weakSelf()](bool had, bool has, const std::optional<QString>& failure) {
        if (!self || self->quitting_)
            return;
        if (had != has)
            self->persistSession();
        const DocPtr d = weak.lock();
        if (!d)
            return;
        d->setSnapshotFailure(failure);
        const auto w = self->watchers_.constFind(docID);
        if (failure && w != self->watchers_.constEnd() && !(*w)->timer->isActive())
            (*w)->timer->start(snapshotRetryMSecs);
    };
    if (!doc->isDirty()) {
        BackupStore::sync(*doc, Doc::TextCopy(), std::move(done));
        return;
    }
    // A long text is copied over several turns; by then the document may
    // have been discarded, or the store may be quitting.
    doc->withTextCopy([self, id = docID, weak = doc->weakSelf(), done](Doc::TextCopy text) mutable {
        const DocPtr d = weak.lock();
        if (d && self && !self->quitting_ && !self->discarded_.contains(id) && self->watchers_.contains(id))
            BackupStore::sync(*d, std::move(text), std::move(done));
    });
}
