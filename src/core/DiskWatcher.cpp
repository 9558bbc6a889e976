#include "core/DiskWatcher.h"

#include "core/FileIO.h"
#include "text/WorkLanes.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPointer>
#include <atomic>

DiskWatcher::DiskWatcher(QObject* parent) : QObject(parent)
{
    settle_.setSingleShot(true);
    settle_.setInterval(settleMSecs);
    connect(&files_, &QFileSystemWatcher::fileChanged, this, &DiskWatcher::touched);
    connect(&files_, &QFileSystemWatcher::directoryChanged, this, &DiskWatcher::touched);
    connect(&settle_, &QTimer::timeout, this, [this] {
        const QSet<QUuid> due = std::exchange(due_, {});
        for (const QUuid& id : due)
            if (const auto it = entries_.constFind(id); it != entries_.constEnd())
                if (const DocPtr d = it->doc.lock())
                    check(d);
        refresh();
    });
}

DiskWatcher::~DiskWatcher() { unwatchAll(); }

void DiskWatcher::refresh()
{
    QSet<QString> wanted;
    for (const Entry& e : std::as_const(entries_)) {
        if (e.path.isEmpty())
            continue;
        if (QFileInfo::exists(e.path))
            wanted.insert(e.path);
        wanted.insert(QFileInfo(e.path).absolutePath());
    }
    QStringList have = files_.files() + files_.directories();
    QStringList gone;
    for (const QString& p : have)
        if (!wanted.contains(p))
            gone << p;
    if (!gone.isEmpty())
        files_.removePaths(gone);
    QStringList added;
    for (const QString& p : wanted)
        if (!have.contains(p))
            added << p;
    if (!added.isEmpty())
        files_.addPaths(added);
}

void DiskWatcher::watch(const DocPtr& doc)
{
    unwatch(doc->id);
    Entry e;
    e.doc = doc;
    e.path = doc->url().value_or(QString());
    const QUuid id = doc->id;
    // Save As and renaming move the watch along.
    e.urlChanged = connect(doc.get(), &Doc::urlChanged, this, [this, id] {
        auto it = entries_.find(id);
        if (it == entries_.end())
            return;
        if (const DocPtr d = it->doc.lock())
            it->path = d->url().value_or(QString());
        it->noticed.reset();
        it->savedBeforeMissing.reset();
        refresh();
    });
    entries_.insert(id, e);
    refresh();
}

void DiskWatcher::unwatch(QUuid docID)
{
    const auto it = entries_.find(docID);
    if (it == entries_.end())
        return;
    disconnect(it->urlChanged);
    entries_.erase(it);
    due_.remove(docID);
    refresh();
}

void DiskWatcher::unwatchAll()
{
    for (const Entry& e : std::as_const(entries_))
        disconnect(e.urlChanged);
    entries_.clear();
    due_.clear();
    settle_.stop();
    refresh();
}

void DiskWatcher::touched(const QString& path)
{
    if (stopped_)
        return;
    for (auto it = entries_.cbegin(); it != entries_.cend(); ++it)
        if (!it->path.isEmpty() && (it->path == path || QFileInfo(it->path).absolutePath() == path))
            due_.insert(it.key());
    if (!due_.isEmpty())
        settle_.start();
}

// What a worker found in a document's file, with what it was compared
// against; the main thread applies it unless the document moved on.
struct DiskWatcher::Look {
    std::weak_ptr<Doc> doc;
    quint64 serial = 0;
    quint64 revision = 0;
    TextBaseline baseline;
    // What the file is compared with: the baseline, or while the file was
    // missing the baseline from before.
    TextBaseline against;
    std::optional<FileStamp> stampBefore;
    FileStamp now;
    bool wasMissing = false;
    bool sameStamp = false;
    // Results
    std::optional<quint64> hash;
    bool decoded = false;
    bool matchesBaseline = false;
    bool matchesText = false;
};

namespace {
std::function<void()> diskCheckHook;
std::atomic<int> looksBeforeWriting{0};
}

int DiskWatcher::pendingLooksBeforeWriting() { return looksBeforeWriting; }

void DiskWatcher::setCheckHook(std::function<void()> hook) { diskCheckHook = std::move(hook); }

void DiskWatcher::check(const DocPtr& doc)
{
    if (!doc || !doc->url() || stopped_)
        return;
    Entry scratch;
    Entry& e = entries_.contains(doc->id) ? entries_[doc->id] : scratch;
    const QString path = *doc->url();
    const auto now = FileIO::stamp(path);
    if (!now) {
        if (doc->notice() != DocNotice::missing)
            markMissing(doc);
        return;
    }
    const bool wasMissing = e.savedBeforeMissing.has_value();
    if (!wasMissing && e.noticed == now)
        return;
    // A stamp seen before settles nothing while it is recent: the content decides.
    const bool sameStamp = !wasMissing && doc->diskStamp() == now;
    if (sameStamp && !FileIO::ambiguous(*now))
        return;

    // Reading, decoding and comparing a long file happen on a worker.
    auto check = std::make_shared<Look>();
    check->doc = doc;
    check->serial = ++e.checks;
    check->revision = doc->revision();
    check->baseline = doc->baseline();
    check->against = wasMissing ? *e.savedBeforeMissing : doc->baseline();
    check->stampBefore = doc->diskStamp();
    check->now = *now;
    check->wasMissing = wasMissing;
    check->sameStamp = sameStamp;
    const TextCopy text = wasMissing ? doc->textCopy() : TextCopy();
    const TextEncoding encoding = doc->encoding();
    QPointer<DiskWatcher> self(this);
    WorkLanes::shared().post(Lane::Disk, [self, check, text, encoding, path] {
        if (diskCheckHook)
            diskCheckHook();
        if (auto bytes = FileIO::read(path)) {
            check->hash = FileIO::contentHash(bytes.value());
            if (auto utf8 = encoding.decodeToUtf8(std::exchange(bytes.value(), QByteArray()))) {
                const QByteArray disk = LineEnding::normalize(std::move(*utf8));
                check->decoded = true;
                check->matchesBaseline = check->against.matchesUtf8(disk);
                if (check->wasMissing)
                    check->matchesText = TextBaseline::ofUtf8(disk).matchesUtf8(text.toUtf8());
            }
        }
        WorkLanes::deliver(self, CancelToken(), [self, check] { self->finish(*check); });
    });
}

// The text here has become the only copy: it counts as modified, so it is
// snapshotted and asked about, until the file comes back.
void DiskWatcher::markMissing(const DocPtr& doc)
{
    if (entries_.contains(doc->id)) {
        Entry& e = entries_[doc->id];
        if (!e.savedBeforeMissing)
            e.savedBeforeMissing = doc->baseline();
    }
    doc->setSavedText(QString(QChar(u'\0')));
    doc->setNotice(DocNotice::missing);
}

void DiskWatcher::finish(const Look& c)
{
    const DocPtr doc = c.doc.lock();
    if (!doc || !doc->url() || stopped_)
        return;
    Entry scratch;
    Entry& e = entries_.contains(doc->id) ? entries_[doc->id] : scratch;
    // Stale: a newer look is under way, or saving or reloading has brought
    // the document up to date with its file meanwhile.
    if ((&e != &scratch && e.checks != c.serial) || doc->diskStamp() != c.stampBefore
        || !(doc->baseline() == c.baseline))
        return;
    // Edited meanwhile: what to do depends on the edit, so look again.
    if (doc->revision() != c.revision) {
        if (&e != &scratch) {
            due_.insert(doc->id);
            settle_.start();
        }
        return;
    }
    if (c.sameStamp && (!c.stampBefore->contentHash || c.stampBefore->contentHash == c.hash))
        return;
    const QString path = *doc->url();
    const auto settled = [&] {
        FileStamp read = c.now;
        read.contentHash = c.hash;
        doc->setDiskStamp(read);
        doc->setDiskModified(FileIO::modificationDate(path));
    };

    if (c.wasMissing) {
        if (!c.decoded)
            return;
        const TextBaseline before = *std::exchange(e.savedBeforeMissing, std::nullopt);
        if (c.matchesText) {
            // Back as it was (moved away and back, or rewritten unchanged).
            doc->markSaved();
            settled();
            doc->setNotice(std::nullopt);
            return;
        }
        doc->setBaseline(before);
        doc->setNotice(std::nullopt);
    }
    if (c.decoded && c.matchesBaseline) {
        // Touched or rewritten with the same content.
        settled();
        return;
    }
    if (!c.decoded) {
        if (!doc->isDirty())
            markMissing(doc);
        else
            doc->setNotice(DocNotice::changedOutside);
        e.noticed = c.now;
        return;
    }
    if (!doc->isDirty()) {
        emit reloadWanted(doc);
        return;
    }
    doc->setNotice(DocNotice::changedOutside);
    e.noticed = c.now;
}

void DiskWatcher::whenChecked(const DocPtr& doc, std::function<void(bool)> then)
{
    if (!doc || !doc->url())
        return then(false);
    if (doc->notice() == DocNotice::diskChanged || doc->notice() == DocNotice::changedOutside)
        return then(true);
    const QString path = *doc->url();
    const auto now = FileIO::stamp(path);
    if (!now)
        return then(false);  // gone: saving creates it again
    const std::optional<FileStamp> before = doc->diskStamp();
    // Never read (restored while the file was missing): another program made it.
    if (!before)
        return then(true);
    const bool sameStamp = before == now;
    if (sameStamp && (!FileIO::ambiguous(*now) || !before->contentHash))
        return then(false);
    // Only touched, or recent enough to hide a write: the content decides.
    const TextBaseline baseline = doc->baseline();
    const TextEncoding encoding = doc->encoding();
    QPointer<DiskWatcher> self(this);
    ++looksBeforeWriting;
    // The document and `then` are moved along to the main thread, so that
    // the last reference to them never goes on the worker.
    // Counted down wherever the look ends: applied, dropped, or let go with a watcher that is gone.
    auto looked = std::shared_ptr<void>(nullptr, [](void*) { --looksBeforeWriting; });
    WorkLanes::shared().post(
        Lane::Disk,
        [self, doc = DocPtr(doc), then = std::move(then), path, now = *now, before, sameStamp, baseline, encoding,
         looked = std::move(looked)]() mutable {
            if (diskCheckHook)
                diskCheckHook();
            bool changed = true;
            std::optional<quint64> hash;
            if (auto bytes = FileIO::read(path)) {
                hash = FileIO::contentHash(bytes.value());
                changed = !(sameStamp && hash == before->contentHash);
                if (changed)
                    if (auto utf8 = encoding.decodeToUtf8(std::exchange(bytes.value(), QByteArray())))
                        changed = !baseline.matchesUtf8(LineEnding::normalize(std::move(*utf8)));
            }
            WorkLanes::deliver(self, CancelToken(),
                               [self, doc = std::move(doc), then = std::move(then), now, before, hash, changed,
                                looked = std::move(looked)] {
                                   // Settled as read, unless saving or reloading moved the stamp meanwhile.
                                   if (!changed && doc->diskStamp() == before) {
                                       FileStamp read = now;
                                       read.contentHash = hash;
                                       doc->setDiskStamp(read);
                                   }
                                   then(changed);
                               });
        });
}
