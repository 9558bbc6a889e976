#include "core/DocumentManager.h"

#include "core/AnalysisQueue.h"
#include "core/DiskWatcher.h"

DocumentManager::DocumentManager(DocumentModel& docs, TagStore& tags, SessionStore& session, DiskWatcher& disk,
                                 Prompter& prompter, QObject* parent)
    : QObject(parent), documents_(docs), tags_(tags), session_(session), disk_(disk), prompter_(&prompter)
{
    connect(&disk_, &DiskWatcher::reloadWanted, this, &DocumentManager::reloadChanged);
}

DocumentManager::~DocumentManager() = default;

void DocumentManager::setActiveID(std::optional<QUuid> id)
{
    if (!documents_.setActiveID(id))
        return;
    // The document on screen gets its own analysis lane.
    const DocPtr shown = active();
    AnalysisQueue::shared().setShown(shown.get());
    emit activeChanged();
}

void DocumentManager::activate(const DocPtr& doc)
{
    if (doc)
        setActiveID(doc->id);
}

QThreadPool& DocumentManager::loader()
{
    if (!loader_) {
        loader_ = std::make_unique<QThreadPool>();
        loader_->setMaxThreadCount(1);  // one after another: they finish in order
    }
    return *loader_;
}
