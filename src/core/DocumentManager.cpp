#include "core/DocumentManager.h"

#include "core/AnalysisQueue.h"

DocumentManager::DocumentManager(DocumentModel& docs, TagStore& tags, SessionStore& session, DiskWatcher& disk,
                                 Prompter& prompter, QObject* parent)
    : QObject(parent), parts_{docs, tags, session, disk, &prompter}
{
    // Whichever flow chose it, the document on screen gets its own analysis
    // lane, before the views (connected later) show it.
    connect(&docs, &DocumentModel::activeChanged, this, [this] {
        const DocPtr shown = active();
        AnalysisQueue::shared().setShown(shown.get());
    });
}

DocumentManager::~DocumentManager() = default;

void DocumentManager::activate(const DocPtr& doc)
{
    if (doc)
        setActiveID(doc->id);
}
