#include "core/AppModel.h"

#include "core/AppModelWatcher.h"
#include "core/BackupStore.h"

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
    // The connection is owned by the watcher and ends with it, the model or
    // the document, so neither is kept alive by the other.
    w->subscription = connect(doc.get(), &Doc::changed, this, [raw] {
        if (!raw->pendingSince.isValid())
            raw->pendingSince.start();
        const qint64 left = snapshotMaxWaitMSecs - raw->pendingSince.elapsed();
        raw->timer->start(int(std::clamp<qint64>(left, 0, snapshotQuietMSecs)));
    });
    watchers_.insert(id, std::move(w));
}

void AppModel::unwatch(QUuid docID) { watchers_.remove(docID); }

void AppModel::unwatchAll() { watchers_.clear(); }

void AppModel::snapshotDue(QUuid docID)
{
    const auto it = watchers_.constFind(docID);
    if (it == watchers_.constEnd())
        return;
    Watcher& w = **it;
    w.pendingSince.invalidate();
    const DocPtr doc = w.doc.lock();
    if (!doc || quitting_)
        return;
    const bool had = BackupStore::exists(docID);
    const bool dirty = doc->isDirty();
    if (dirty)
        BackupStore::write(*doc);
    else if (had)
        BackupStore::remove(docID);
    if (had != dirty)
        persistSession();
}
