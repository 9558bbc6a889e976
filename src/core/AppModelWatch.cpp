#include "core/AppModel.h"

#include "core/AppModelWatcher.h"
#include "core/BackupStore.h"

#include <QPointer>

void AppModel::watch(const DocPtr& doc)
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
    // The connections are owned by the watcher and end with it, the model or
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

void AppModel::unwatch(QUuid docID)
{
    watchers_.remove(docID);
    disk_.unwatch(docID);
}

void AppModel::unwatchAll()
{
    watchers_.clear();
    disk_.unwatchAll();
}

void AppModel::snapshotDue(QUuid docID)
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
    QPointer<AppModel> self(this);
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
    // have been discarded, or the workspace may be quitting.
    doc->withTextCopy([self, id = docID, weak = doc->weakSelf(), done](Doc::TextCopy text) mutable {
        const DocPtr d = weak.lock();
        if (d && self && !self->quitting_ && !self->discarded_.contains(id) && self->watchers_.contains(id))
            BackupStore::sync(*d, std::move(text), std::move(done));
    });
}
