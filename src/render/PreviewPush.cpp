#include "render/PreviewPush.h"

#include "plugins/WorkerPriority.h"
#include "render/PreviewScript.h"

PreviewPush::PreviewPush(QObject* parent) : QObject(parent) { pool_.setMaxThreadCount(1); }

PreviewPush::~PreviewPush()
{
    // A worker under way sees its ticket is old and stops within milliseconds.
    drop();
    pool_.clear();
    pool_.waitForDone();
}

quint64 PreviewPush::request(const QString& html)
{
    const quint64 ticket = latest_->load() + 1;
    latest_->store(ticket);
    if (html.size() <= workerChars) {
        building_ = 0;
        emit ready(ticket, PreviewScript::content(html));
        return ticket;
    }
    building_ = ticket;
    // Requests that were queued behind a running one and are already old never start.
    pool_.clear();
    pool_.start([this, html, ticket, latest = latest_] {
        yieldToWindow();
        const auto old = [&] { return latest->load() != ticket; };
        if (old())
            return;
        QString script = PreviewScript::content(html, old);
        if (script.isEmpty())
            return;
        QMetaObject::invokeMethod(
            this,
            [this, ticket, script = std::move(script)] {
                // Checked again here: a newer request may have come meanwhile.
                if (ticket != latest_->load())
                    return;
                building_ = 0;
                emit ready(ticket, script);
            },
            Qt::QueuedConnection);
    });
    return ticket;
}

void PreviewPush::drop()
{
    latest_->store(latest_->load() + 1);
    building_ = 0;
}
