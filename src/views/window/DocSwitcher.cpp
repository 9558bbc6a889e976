#include "views/window/DocSwitcher.h"

#include "views/state/WindowModel.h"

#include <algorithm>

DocSwitcher::DocSwitcher(WindowModel& model, QObject* parent) : QObject(parent), model_(model)
{
    connect(&model_.documents(), &DocumentModel::activeChanged, this, &DocSwitcher::noteActive);
    connect(&model_.documents(), &DocumentModel::listChanged, this, &DocSwitcher::noteActive);
    noteActive();
}

void DocSwitcher::noteActive()
{
    QList<QUuid> open;
    for (const DocPtr& d : model_.docs())
        open << d->id;
    // Closed documents leave the order; ones never shown go last.
    QList<QUuid> next;
    for (const QUuid& id : recent_)
        if (open.contains(id))
            next << id;
    for (const QUuid& id : open)
        if (!next.contains(id))
            next << id;
    if (walk_) {
        // While walking the order stays as it was when the walk began.
        const QUuid marked = walk_->value(walkIndex_);
        walk_->removeIf([&](const QUuid& id) { return !open.contains(id); });
        walkIndex_ = std::max(0, int(walk_->indexOf(marked)));
        if (walk_->size() < 2)
            walk_.reset();
        walkChanged();
    } else if (const auto& a = model_.activeID(); a && next.contains(*a)) {
        next.removeAll(*a);
        next.prepend(*a);
    }
    recent_ = next;
}

void DocSwitcher::walk(int by)
{
    if (recent_.size() < 2)
        return;
    if (!walk_) {
        walk_ = recent_;
        walkIndex_ = 0;
    }
    const int n = int(walk_->size());
    walkIndex_ = ((walkIndex_ + by) % n + n) % n;
    walkChanged();
}

void DocSwitcher::highlight(int row)
{
    if (!walk_ || row < 0 || row >= walk_->size())
        return;
    walkIndex_ = row;
    walkChanged();
}

void DocSwitcher::commit()
{
    if (!walk_)
        return;
    const QUuid chosen = walk_->at(walkIndex_);
    walk_.reset();
    walkChanged();
    show(chosen);
    noteActive();
}

void DocSwitcher::cancel()
{
    if (!walk_)
        return;
    walk_.reset();
    walkChanged();
    noteActive();
}

void DocSwitcher::walkChanged()
{
    if (onWalkChange)
        onWalkChange();
}

QList<QUuid> DocSwitcher::listOrder() const
{
    QList<QUuid> ids;
    for (const WindowModel::Group& g : model_.groups())
        for (const DocPtr& d : g.docs)
            if (!ids.contains(d->id))  // a document with two tags is listed twice
                ids << d->id;
    return ids;
}

void DocSwitcher::stepInList(int by)
{
    cancel();
    const QList<QUuid> ids = listOrder();
    if (ids.isEmpty())
        return;
    const auto& a = model_.activeID();
    const int at = a ? int(ids.indexOf(*a)) : -1;
    const int n = int(ids.size());
    show(ids.at(at < 0 ? 0 : ((at + by) % n + n) % n));
}

void DocSwitcher::showNth(int n)
{
    cancel();
    const QList<QUuid> ids = listOrder();
    if (n >= 0 && n < ids.size())
        show(ids.at(n));
}

void DocSwitcher::show(QUuid id)
{
    if (DocPtr d = model_.doc(id))
        model_.activate(d);
}
