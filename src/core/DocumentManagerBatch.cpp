#include "core/DocumentManager.h"

#include <QPointer>

namespace {

// Each save starts after the one before has finished (a new file asks where).
void saveFrom(const QPointer<DocumentManager>& self, QList<DocPtr> rest, const DocumentManager::Done& then)
{
    if (!self || rest.isEmpty()) {
        if (then)
            then(bool(self));
        return;
    }
    const DocPtr d = rest.takeFirst();
    self->save(d, false, [self, rest, then](bool ok) {
        if (ok)
            return saveFrom(self, rest, then);
        if (then)
            then(false);
    });
}

}

void DocumentManager::closeEach(QList<DocPtr> docs, Done then)
{
    if (docs.isEmpty()) {
        if (then)
            then(true);
        return;
    }
    const DocPtr first = docs.takeFirst();
    QPointer<DocumentManager> self(this);
    close(first, [self, docs, then](bool ok) {
        if (ok && self)
            return self->closeEach(docs, then);
        if (then)
            then(false);
    });
}

void DocumentManager::saveAll(Done then)
{
    QList<DocPtr> dirty;
    for (const DocGroupModel::Group& g : DocGroupModel::arrange(docs(), tags_.tags()))
        for (const DocPtr& d : g.docs)
            if (d->isDirty() && !dirty.contains(d))
                dirty << d;
    saveFrom(QPointer<DocumentManager>(this), dirty, then);
}
