#pragma once

#include "text/WorkLanes.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <memory>

// Builds the scripts that put preview fragments into the page. Escaping a
// fragment of many megabytes takes a good part of a second, so a big one is
// built on the Preview lane; a small one at once, keeping its order with
// whatever else goes to the page. Only the newest request's script ever
// comes back: an older one still under way is dropped.
class PreviewPush : public QObject {
    Q_OBJECT
public:
    // Fragments up to this many characters are built on the spot.
    static constexpr qsizetype workerChars = qsizetype(64) << 10;

    explicit PreviewPush(QObject* parent = nullptr);
    ~PreviewPush() override;
    // Asks for the fragment's script and returns its ticket. A small one
    // comes back by ready() before this returns; a big one in a later turn
    // (never, if another request or drop() came first).
    quint64 request(const QString& html);
    // Whatever is under way comes back to nobody.
    void drop();
    // True while a big fragment's script is being built.
    bool building() const { return building_ != 0 && building_ == latest_->load(); }

signals:
    void ready(quint64 ticket, const QString& script);

private:
    // The request on the Preview lane; cancelled by the next one.
    CancelToken token_;
    // The newest ticket, shared with the workers, which stop once theirs is old.
    std::shared_ptr<std::atomic<quint64>> latest_ = std::make_shared<std::atomic<quint64>>(0);
    quint64 building_ = 0;
};
