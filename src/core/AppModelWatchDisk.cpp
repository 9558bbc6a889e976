#include "core/AppModel.h"

#include "core/BackupStore.h"
#include "core/EditorLink.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

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

void AppModel::checkDisk(const DocPtr& doc)
{
    if (!doc || !doc->url() || quitting_)
        return;
    DiskWatch::Entry scratch;
    DiskWatch::Entry& e = disk_ && disk_->entries.contains(doc->id) ? disk_->entries[doc->id] : scratch;
    const QString path = *doc->url();
    const auto now = FileIO::stamp(path);
    // The text here has become the only copy: it counts as modified, so it
    // is snapshotted and asked about, until the file comes back.
    const auto markMissing = [&] {
        if (!e.savedBeforeMissing)
            e.savedBeforeMissing = doc->baseline();
        doc->setSavedText(QString(QChar(u'\0')));
        doc->setNotice(DocNotice::missing);
    };
    if (!now) {
        if (doc->notice() != DocNotice::missing)
            markMissing();
        return;
    }
    const bool wasMissing = e.savedBeforeMissing.has_value();
    if (!wasMissing && e.noticed == now)
        return;
    // A stamp seen before settles nothing while it is recent: the content decides.
    if (!wasMissing && doc->diskStamp() == now
        && (!FileIO::ambiguous(*now) || FileIO::sameContent(path, *doc->diskStamp())))
        return;

    std::optional<QString> disk;
    std::optional<quint64> hash;
    if (auto bytes = FileIO::read(path)) {
        hash = FileIO::contentHash(bytes.value());
        if (auto decoded = doc->encoding().decode(bytes.value()))
            disk = LineEnding::normalize(std::move(*decoded));
    }
    const auto settled = [&] {
        FileStamp read = *now;
        read.contentHash = hash;
        doc->setDiskStamp(read);
        doc->setDiskModified(FileIO::modificationDate(path));
    };

    if (wasMissing) {
        if (!disk)
            return;
        const TextBaseline before = *std::exchange(e.savedBeforeMissing, std::nullopt);
        if (Doc::canonicallyEqual(*disk, doc->text())) {
            // Back as it was (moved away and back, or rewritten unchanged).
            doc->setSavedText(*disk);
            settled();
            doc->setNotice(std::nullopt);
            return;
        }
        doc->setBaseline(before);
        doc->setNotice(std::nullopt);
    }
    if (disk && doc->baseline().matches(*disk)) {
        // Touched or rewritten with the same content.
        settled();
        return;
    }
    if (!disk) {
        if (!doc->isDirty())
            markMissing();
        else
            doc->setNotice(DocNotice::changedOutside);
        e.noticed = now;
        return;
    }
    if (!doc->isDirty())
        return reloadChanged(doc);
    doc->setNotice(DocNotice::changedOutside);
    e.noticed = now;
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

bool AppModel::changedOnDisk(const DocPtr& doc)
{
    if (!doc || !doc->url())
        return false;
    if (doc->notice() == DocNotice::diskChanged || doc->notice() == DocNotice::changedOutside)
        return true;
    const QString path = *doc->url();
    const auto now = FileIO::stamp(path);
    if (!now)
        return false;  // gone: saving creates it again
    if (doc->diskStamp() == now && (!FileIO::ambiguous(*now) || FileIO::sameContent(path, *doc->diskStamp())))
        return false;
    // Only touched, recent enough to hide a write, or never read (restored while the file was missing).
    if (doc->diskStamp())
        if (auto bytes = FileIO::read(path))
            if (auto decoded = doc->encoding().decode(bytes.value()))
                if (doc->baseline().matches(LineEnding::normalize(std::move(*decoded)))) {
                    FileStamp read = *now;
                    read.contentHash = FileIO::contentHash(bytes.value());
                    doc->setDiskStamp(read);
                    return false;
                }
    return true;
}
