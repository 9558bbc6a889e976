#include "core/DocumentManager.h"

void DocumentManager::restore()
{
    session_.restore();
    restoreSession();

    if (const auto path = session_.activePath())
        for (const DocPtr& d : docs())
            if (d->url() && *d->url() == *path) {
                setActiveID(d->id);
                break;
            }
    if (!active())
        setActiveID(docs().isEmpty() ? std::nullopt : std::optional<QUuid>(docs().first()->id));

    connect(this, &DocumentManager::activeChanged, &session_, &SessionStore::schedulePersistSession,
            Qt::UniqueConnection);
    session_.schedulePersistSession();
}

void DocumentManager::restoreSession()
{
    if (session_.restoreSession([this](const QString& path) { return open(path, true); }))
        prompter_->flash(QStringLiteral("已恢复未保存的修改"));
}
