#include "render/PreviewPush.h"

#include "render/PreviewScript.h"
#include "text/WorkLanes.h"

#include <QPointer>

PreviewPush::PreviewPush(QObject* parent) : QObject(parent) {}

// A build under way sees its ticket is old and stops within milliseconds;
// it holds nothing of this object.
PreviewPush::~PreviewPush() { drop(); }

quint64 PreviewPush::request(const QString& html)
{
    const quint64 ticket = latest_->load() + 1;
    latest_->store(ticket);
    // A request queued behind a running one and already old never starts.
    WorkLanes::shared().cancel(Lane::Preview, std::exchange(token_, CancelToken()));
    if (html.size() <= workerChars) {
        building_ = 0;
        emit ready(ticket, PreviewScript::content(html));
        return ticket;
    }
    building_ = ticket;
    QPointer<PreviewPush> self(this);
    WorkLanes::shared().post(
        Lane::Preview,
        [self, html, ticket, latest = latest_, token = token_] {
            const auto old = [&] { return latest->load() != ticket; };
            if (old())
                return;
            QString script = PreviewScript::content(html, old);
            if (script.isEmpty())
                return;
            WorkLanes::deliver(self, token, [self, ticket, script = std::move(script)] {
                // Checked again here: a newer request may have come meanwhile.
                if (ticket != self->latest_->load())
                    return;
                self->building_ = 0;
                emit self->ready(ticket, script);
            });
        },
        token_);
    return ticket;
}

void PreviewPush::drop()
{
    latest_->store(latest_->load() + 1);
    building_ = 0;
    WorkLanes::shared().cancel(Lane::Preview, token_);
}
