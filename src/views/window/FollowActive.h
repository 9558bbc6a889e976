#pragma once

#include "views/state/WindowModel.h"

#include <QObject>
#include <memory>

// Runs `changed` when another document becomes the active one, the list
// changes, and when the active document emits one of `docSignals`: what
// menus enable follows the document on show without waking on every key.
template <class... Signals>
void followActive(QObject* context, WindowModel& model, const std::function<void()>& changed, Signals... docSignals)
{
    auto links = std::make_shared<QList<QMetaObject::Connection>>();
    const auto follow = [context, &model, changed, links, docSignals...] {
        for (const auto& c : *links)
            QObject::disconnect(c);
        links->clear();
        if (const DocPtr d = model.active())
            (links->append(QObject::connect(d.get(), docSignals, context, changed)), ...);
        changed();
    };
    QObject::connect(&model.documents(), &DocumentModel::activeChanged, context, follow);
    QObject::connect(&model.documents(), &DocumentModel::listChanged, context, follow);
}
