#include "core/DocumentManager.h"

#include "core/BackupStore.h"
#include "core/EditorLink.h"
#include "plugins/WorkerPriority.h"

#include <QFileInfo>
#include <QPointer>

void DocumentManager::restore()
{
    parts_.session.restore();
    restoreSession();

    const auto path = parts_.session.activePath();
    if (path)
        for (const DocPtr& d : docs())
            if (d->url() && *d->url() == *path) {
                setActiveID(d->id);
                break;
            }
    if (!active())
        setActiveID(docs().isEmpty() ? std::nullopt : std::optional<QUuid>(docs().first()->id));
    if (path && later_.contains(standardPath(*path)))
        await(standardPath(*path));

    connect(&parts_.documents, &DocumentModel::activeChanged, &parts_.session, &SessionStore::schedulePersistSession,
            Qt::UniqueConnection);
    parts_.session.schedulePersistSession();
}

void DocumentManager::restoreSession()
{
    const auto later = [this](const SessionItem& item) { return restoreLater(item); };
    if (parts_.session.restoreSession([this](const QString& path) { return open(path, true); }, later))
        parts_.prompter->flash(QStringLiteral("已恢复未保存的修改"));
}

bool DocumentManager::restoreLater(const SessionItem& item)
{
    const auto large = [](const QString& file) { return QFileInfo(file).size() >= backgroundOpenBytes; };
    const bool snapshot = item.backup && BackupStore::exists(*item.backup);
    const QString target = item.path ? standardPath(*item.path) : QString();
    if (snapshot ? !large(BackupStore::fileFor(*item.backup)) && !(item.path && large(target))
                 : target.isEmpty() || !large(target) || docAt(target))
        return false;
    // Straight into an editor's buffer, as open reads a large file; a
    // snapshot's text comes from its own file.
    std::shared_ptr<TextSink> sink = !snapshot && parts_.editorLink
        ? parts_.editorLink->textSink(target, QFileInfo(target).size())
        : nullptr;
    later_ << target;
    QPointer<DocumentManager> self(this);
    loader().start([self, item, target, snapshot, sink = std::move(sink)]() mutable {
        yieldToWindow();
        std::optional<DocSnapshot> s = snapshot ? BackupStore::load(*item.backup) : std::nullopt;
        std::optional<Result<Doc::Loaded>> read;
        if (s && s->path)
            read = Doc::read(*s->path, s->encoding);
        else if (!s && !target.isEmpty() && FileIO::contentKind(target) == ContentKind::text)
            // A snapshot that cannot be read leaves its file, as a restore at once does.
            read = Doc::read(target, std::nullopt, std::move(sink));
        QMetaObject::invokeMethod(
            self,
            [self, item, s = std::move(s), read = std::move(read)]() mutable {
                if (self)
                    self->settleLater(item, std::move(s), std::move(read));
            },
            Qt::QueuedConnection);
    });
    return true;
}

void DocumentManager::settleLater(const SessionItem& item, std::optional<DocSnapshot> snapshot,
                                  std::optional<Result<Doc::Loaded>> read)
{
    const QString target = item.path ? standardPath(*item.path) : QString();
    later_.removeOne(target);
    DocPtr doc;
    if (snapshot && !this->doc(snapshot->id)) {
        doc = Doc::restore(*snapshot, read ? std::move(*read) : Result<Doc::Loaded>::failure(QString()));
    } else if (!snapshot && read && *read && !docAt(target)) {
        doc = Doc::fromLoaded(target, std::move(read->value()));
        doc->setTags(parts_.tags.tagsOfFile(target));
        QStringList recent = this->recent();
        if (recent.removeAll(target) > 0) {
            setRecent(recent);
            persist();
        }
    }
    parts_.session.settleLater(item, doc);
    if (!awaited_ || awaited_->path != target)
        return;
    const bool show = doc && activeID() == awaited_->activeThen;
    awaited_.reset();
    parts_.session.setAwaitedActive(std::nullopt);
    if (show)
        setActiveID(doc->id);
}

void DocumentManager::await(const QString& path)
{
    awaited_ = Awaited{path, activeID()};
    parts_.session.setAwaitedActive(path);
    connect(&parts_.documents, &DocumentModel::activeChanged, this, &DocumentManager::keepChosen, Qt::UniqueConnection);
}

void DocumentManager::keepChosen()
{
    // Another document chosen meanwhile stays.
    if (awaited_ && activeID() != awaited_->activeThen) {
        awaited_.reset();
        parts_.session.setAwaitedActive(std::nullopt);
    }
}
