#pragma once

#include "core/AppModel.h"

#include <QElapsedTimer>
#include <QTimer>

// One document's debounced change subscription.
struct AppModel::Watcher {
    std::weak_ptr<Doc> doc;
    std::unique_ptr<QTimer> timer;
    QList<QMetaObject::Connection> subscriptions;
    // Running while a change waits for its snapshot.
    QElapsedTimer pendingSince;

    ~Watcher()
    {
        for (const auto& c : subscriptions)
            QObject::disconnect(c);
    }
};
