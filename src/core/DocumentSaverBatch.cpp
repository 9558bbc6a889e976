#include "core/DocumentSaver.h"

#include "core/DocGroupModel.h"
#include "core/DocumentModel.h"
#include "core/TagStore.h"

#include <QPointer>

namespace {

// Each save starts after the one before has finished (a new file asks where).
void saveFrom(const QPointer<DocumentSaver>& self, QList<DocPtr> rest, const DocumentSaver::Done& then)
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

void DocumentSaver::closeEach(QList<DocPtr> docs, Done then)
{
    if (docs.isEmpty()) {
        if (then)
            then(true);
        return;
    }
    const DocPtr first = docs.takeFirst();
    QPointer<DocumentSaver> self(this);
    close(first, [self, docs, then](bool ok) {
        if (ok && self)
            return self->closeEach(docs, then);
        if (then)
            then(false);
    });
}

void DocumentSaver::saveAll(Done then)
{
    QList<DocPtr> dirty;
    for (const DocGroupModel::Group& g : DocGroupModel::arrange(parts_.documents.docs(), parts_.tags.tags()))
        for (const DocPtr& d : g.docs)
            if (d->isDirty() && !dirty.contains(d))
                dirty << d;
    saveFrom(QPointer<DocumentSaver>(this), dirty, then);
}
