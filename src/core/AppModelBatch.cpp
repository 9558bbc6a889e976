#include "core/AppModel.h"

#include <QPointer>

namespace {

// Each save starts after the one before has finished (a new file asks where).
void saveFrom(const QPointer<AppModel>& self, QList<DocPtr> rest, const AppModel::Done& then)
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

void AppModel::closeEach(QList<DocPtr> docs, Done then)
{
    if (docs.isEmpty()) {
        if (then)
            then(true);
        return;
    }
    const DocPtr first = docs.takeFirst();
    QPointer<AppModel> self(this);
    close(first, [self, docs, then](bool ok) {
        if (ok && self)
            return self->closeEach(docs, then);
        if (then)
            then(false);
    });
}

void AppModel::saveAll(Done then)
{
    QList<DocPtr> dirty;
    for (const Group& g : groups())
        for (const DocPtr& d : g.docs)
            if (d->isDirty() && !dirty.contains(d))
                dirty << d;
    saveFrom(QPointer<AppModel>(this), dirty, then);
}
