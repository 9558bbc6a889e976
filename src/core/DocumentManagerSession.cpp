#include "core/DocumentManager.h"

void DocumentManager::restore()
{
    parts_.session.restore();
    restoreSession();

    if (const auto path = parts_.session.activePath())
        for (const DocPtr& d : docs())
            if (d->url() && *d->url() == *path) {
                setActiveID(d->id);
                break;
            }
    if (!active())
        setActiveID(docs().isEmpty() ? std::nullopt : std::optional<QUuid>(docs().first()->id));

    connect(this, &DocumentManager::activeChanged, &parts_.session, &SessionStore::schedulePersistSession,
            Qt::UniqueConnection);
    parts_.session.schedulePersistSession();
}

void DocumentManager::restoreSession()
{
    if (parts_.session.restoreSession([this](const QString& path) { return open(path, true); }))
        parts_.prompter->flash(QStringLiteral("已恢复未保存的修改"));
}
