#include "core/AppModel.h"

#include "core/BackupStore.h"
#include "core/EditorLink.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QPointer>
#include <QTimer>
#include <atomic>
#include <thread>

// Every open file and its folder are watched; the folder too, because
// editors and tools replace files by renaming a new one over them, which
// ends a watch on the file itself.
struct AppModel::DiskWatch {
    struct Entry {
        std::weak_ptr<Doc> doc;
        QString path;
        // The change the user was already told about.
        std::optional<FileStamp> noticed;
        // The baseline while the file is gone or unreadable.
        std::optional<TextBaseline> savedBeforeMissing;
        // Counts the looks at the file; only the latest one's result counts.
        quint64 checks = 0;
        QMetaObject::Connection urlChanged;
    };

    // Other programs write files in steps; look once they are done.
    static constexpr int settleMSecs = 150;

    QFileSystemWatcher files;
    QTimer settle;
    QSet<QUuid> due;
    QHash<QUuid, Entry> entries;

    ~DiskWatch()
    {
        for (const Entry& e : std::as_const(entries))
            QObject::disconnect(e.urlChanged);
    }

    // Watches exactly the files and folders of the entries.
    void refresh()
    {
        QSet<QString> wanted;
        for (const Entry& e : std::as_const(entries)) {
            if (e.path.isEmpty())
                continue;
            if (QFileInfo::exists(e.path))
                wanted.insert(e.path);
            wanted.insert(QFileInfo(e.path).absolutePath());
        }
        QStringList have = files.files() + files.directories();
        QStringList gone;
        for (const QString& p : have)
            if (!wanted.contains(p))
                gone << p;
        if (!gone.isEmpty())
            files.removePaths(gone);
        QStringList added;
        for (const QString& p : wanted)
            if (!have.contains(p))
                added << p;
        if (!added.isEmpty())
            files.addPaths(added);
    }
};

void AppModel::watchFile(const DocPtr& doc)
{
    if (!disk_) {
        disk_ = std::make_shared<DiskWatch>();
        disk_->settle.setSingleShot(true);
        disk_->settle.setInterval(DiskWatch::settleMSecs);
        connect(&disk_->files, &QFileSystemWatcher::fileChanged, this, [this](const QString& p) { diskEvent(p); });
        connect(&disk_->files, &QFileSystemWatcher::directoryChanged, this, [this](const QString& p) { diskEvent(p); });
        connect(&disk_->settle, &QTimer::timeout, this, [this] {
            const QSet<QUuid> due = std::exchange(disk_->due, {});
            for (const QUuid& id : due)
                if (const DocPtr d = this->doc(id))
                    checkDisk(d);
            disk_->refresh();
        });
    }
    unwatchFile(doc->id);
    DiskWatch::Entry e;
    e.doc = doc;
    e.path = doc->url().value_or(QString());
    const QUuid id = doc->id;
    // Save As and renaming move the watch along.
    e.urlChanged = connect(doc.get(), &Doc::changed, this, [this, id](Doc::Field f) {
        if (f != Doc::Field::url || !disk_)
            return;
        auto it = disk_->entries.find(id);
        if (it == disk_->entries.end())
            return;
        if (const DocPtr d = it->doc.lock())
            it->path = d->url().value_or(QString());
        it->noticed.reset();
        it->savedBeforeMissing.reset();
        disk_->refresh();
    });
    disk_->entries.insert(id, e);
    disk_->refresh();
}

void AppModel::unwatchFile(QUuid docID)
{
    if (!disk_)
        return;
    const auto it = disk_->entries.find(docID);
    if (it == disk_->entries.end())
        return;
    disconnect(it->urlChanged);
    disk_->entries.erase(it);
    disk_->due.remove(docID);
    disk_->refresh();
}

bool AppModel::isWatchingFile(const QString& path) const { return disk_ && disk_->files.files().contains(path); }

void AppModel::diskEvent(const QString& path)
{
    if (!disk_ || quitting_)
        return;
    for (auto it = disk_->entries.cbegin(); it != disk_->entries.cend(); ++it)
        if (!it->path.isEmpty() && (it->path == path || QFileInfo(it->path).absolutePath() == path))
            disk_->due.insert(it.key());
    if (!disk_->due.isEmpty())
        disk_->settle.start();
}

// What a worker found in a document's file, with what it was compared
// against; the main thread applies it unless the document moved on.
struct AppModel::DiskCheck {
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

int AppModel::pendingLooksBeforeWriting() { return looksBeforeWriting; }

void AppModel::setDiskCheckHook(std::function<void()> hook) { diskCheckHook = std::move(hook); }

void AppModel::checkDisk(const DocPtr& doc)
{
    if (!doc || !doc->url() || quitting_)
        return;
    DiskWatch::Entry scratch;
    DiskWatch::Entry& e = disk_ && disk_->entries.contains(doc->id) ? disk_->entries[doc->id] : scratch;
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
    auto check = std::make_shared<DiskCheck>();
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
    QPointer<AppModel> self(this);
    std::thread([self, check, text, encoding, path] {
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
        if (QCoreApplication::instance())
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [self, check] {
                    if (self)
                        self->finishDiskCheck(*check);
                },
                Qt::QueuedConnection);
    }).detach();
}

// The text here has become the only copy: it counts as modified, so it is
// snapshotted and asked about, until the file comes back.
void AppModel::markMissing(const DocPtr& doc)
{
    if (disk_ && disk_->entries.contains(doc->id)) {
        DiskWatch::Entry& e = disk_->entries[doc->id];
        if (!e.savedBeforeMissing)
            e.savedBeforeMissing = doc->baseline();
    }
    doc->setSavedText(QString(QChar(u'\0')));
    doc->setNotice(DocNotice::missing);
}

void AppModel::finishDiskCheck(const DiskCheck& c)
{
    const DocPtr doc = c.doc.lock();
    if (!doc || !doc->url() || quitting_)
        return;
    DiskWatch::Entry scratch;
    DiskWatch::Entry& e = disk_ && disk_->entries.contains(doc->id) ? disk_->entries[doc->id] : scratch;
    // Stale: a newer look is under way, or saving or reloading has brought
    // the document up to date with its file meanwhile.
    if ((&e != &scratch && e.checks != c.serial) || doc->diskStamp() != c.stampBefore
        || !(doc->baseline() == c.baseline))
        return;
    // Edited meanwhile: what to do depends on the edit, so look again.
    if (doc->revision() != c.revision) {
        if (disk_ && &e != &scratch) {
            disk_->due.insert(doc->id);
            disk_->settle.start();
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
    if (!doc->isDirty())
        return reloadChanged(doc);
    doc->setNotice(DocNotice::changedOutside);
    e.noticed = c.now;
}

void AppModel::reloadChanged(const DocPtr& doc)
{
    const int line = editorLink_ ? editorLink_->caretLine(doc) : 0;
    if (doc->reload(doc->encoding()))
        return;
    doc->setOriginalName(std::nullopt);
    doc->setMetaDirty(false);
    if (editorLink_) {
        editorLink_->loadFromDoc(doc);
        editorLink_->setCaretLine(doc, line);
    }
    BackupStore::remove(doc->id);
    flash(QStringLiteral("已重新载入 ") + doc->name() + QStringLiteral("：文件已被其他程序修改"));
}

void AppModel::whenCheckedOnDisk(const DocPtr& doc, std::function<void(bool)> then)
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
    QPointer<AppModel> self(this);
    ++looksBeforeWriting;
    // The document and `then` are moved along to the main thread, so that
    // the last reference to them never goes on the worker.
    std::thread([self, doc = DocPtr(doc), then = std::move(then), path, now = *now, before, sameStamp, baseline,
                 encoding]() mutable {
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
        if (!QCoreApplication::instance())
            return void(--looksBeforeWriting);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, doc = std::move(doc), then = std::move(then), now, before, hash, changed] {
                if (self) {
                    // Settled as read, unless saving or reloading moved the stamp meanwhile.
                    if (!changed && doc->diskStamp() == before) {
                        FileStamp read = now;
                        read.contentHash = hash;
                        doc->setDiskStamp(read);
                    }
                    then(changed);
                }
                --looksBeforeWriting;
            },
            Qt::QueuedConnection);
    }).detach();
}
