#include "core/SessionRestorer.h"

#include "core/BackupStore.h"
#include "core/DocumentModel.h"
#include "core/DocumentReloader.h"
#include "core/EditorLink.h"
#include "core/OpenPaths.h"
#include "core/Prompter.h"
#include "core/SessionStore.h"
#include "core/TagStore.h"
#include "text/WorkLanes.h"

#include <QFileInfo>
#include <QPointer>

SessionRestorer::SessionRestorer(DocumentFlowParts& parts, DocumentReloader& reloader, OpenQuietly open,
                                 QObject* parent)
    : QObject(parent), parts_(parts), reloader_(reloader), open_(std::move(open))
{
}

SessionRestorer::~SessionRestorer() = default;

void SessionRestorer::restore()
{
    DocumentModel& documents = parts_.documents;
    parts_.session.restore();
    restoreSession();

    const auto path = parts_.session.activePath();
    if (path)
        for (const DocPtr& d : documents.docs())
            if (d->url() && *d->url() == *path) {
                documents.setActiveID(d->id);
                break;
            }
    if (!documents.active())
        documents.setActiveID(documents.docs().isEmpty() ? std::nullopt
                                                         : std::optional<QUuid>(documents.docs().first()->id));
    if (path && later_.contains(OpenPaths::standard(*path)))
        await(OpenPaths::standard(*path));

    connect(&documents, &DocumentModel::activeChanged, &parts_.session, &SessionStore::schedulePersistSession,
            Qt::UniqueConnection);
    parts_.session.schedulePersistSession();
}

void SessionRestorer::restoreSession()
{
    const auto later = [this](const SessionItem& item) { return restoreLater(item); };
    if (parts_.session.restoreSession(open_, later))
        parts_.prompter->flash(QStringLiteral("已恢复未保存的修改"));
}

bool SessionRestorer::showWhenComing(const QString& standardPath)
{
    if (!later_.contains(standardPath))
        return false;
    await(standardPath);
    return true;
}

bool SessionRestorer::restoreLater(const SessionItem& item)
{
    const auto large = [](const QString& file) { return QFileInfo(file).size() >= DocumentReloader::backgroundBytes; };
    const bool snapshot = item.backup && BackupStore::exists(*item.backup);
    const QString target = item.path ? OpenPaths::standard(*item.path) : QString();
    if (snapshot ? !large(BackupStore::fileFor(*item.backup)) && !(item.path && large(target))
                 : target.isEmpty() || !large(target) || OpenPaths::find(parts_.documents.docs(), target))
        return false;
    // Straight into an editor's buffer, as open reads a large file; a
    // snapshot's text comes from its own file.
    std::shared_ptr<TextSink> sink = !snapshot && parts_.editorLink
        ? parts_.editorLink->textSink(target, QFileInfo(target).size())
        : nullptr;
    later_ << target;
    QPointer<SessionRestorer> self(this);
    reloader_.load([self, item, target, snapshot, sink = std::move(sink)]() mutable {
        std::optional<DocSnapshot> s = snapshot ? BackupStore::load(*item.backup) : std::nullopt;
        std::optional<Result<Doc::Loaded>> read;
        if (s && s->path)
            read = Doc::read(*s->path, s->encoding);
        else if (!s && !target.isEmpty() && FileIO::contentKind(target) == ContentKind::text)
            // A snapshot that cannot be read leaves its file, as a restore at once does.
            read = Doc::read(target, std::nullopt, std::move(sink));
        WorkLanes::deliver(self, CancelToken(), [self, item, s = std::move(s), read = std::move(read)]() mutable {
            self->settleLater(item, std::move(s), std::move(read));
        });
    });
    return true;
}

void SessionRestorer::settleLater(const SessionItem& item, std::optional<DocSnapshot> snapshot,
                                  std::optional<Result<Doc::Loaded>> read)
{
    DocumentModel& documents = parts_.documents;
    const QString target = item.path ? OpenPaths::standard(*item.path) : QString();
    later_.removeOne(target);
    DocPtr doc;
    if (snapshot && !documents.doc(snapshot->id)) {
        doc = Doc::restore(*snapshot, read ? std::move(*read) : Result<Doc::Loaded>::failure(QString()));
    } else if (!snapshot && read && *read && !OpenPaths::find(documents.docs(), target)) {
        doc = Doc::fromLoaded(target, std::move(read->value()));
        doc->setTags(parts_.tags.tagsOfFile(target));
        QStringList recent = parts_.session.recent();
        if (recent.removeAll(target) > 0) {
            parts_.session.setRecent(recent);
            parts_.session.persist();
        }
    }
    parts_.session.settleLater(item, doc);
    if (!awaited_ || awaited_->path != target)
        return;
    const bool show = doc && documents.activeID() == awaited_->activeThen;
    awaited_.reset();
    parts_.session.setAwaitedActive(std::nullopt);
    if (show)
        documents.setActiveID(doc->id);
}

void SessionRestorer::await(const QString& path)
{
    awaited_ = Awaited{path, parts_.documents.activeID()};
    parts_.session.setAwaitedActive(path);
    connect(&parts_.documents, &DocumentModel::activeChanged, this, &SessionRestorer::keepChosen, Qt::UniqueConnection);
}

void SessionRestorer::keepChosen()
{
    // Another document chosen meanwhile stays.
    if (awaited_ && parts_.documents.activeID() != awaited_->activeThen) {
        awaited_.reset();
        parts_.session.setAwaitedActive(std::nullopt);
    }
}
