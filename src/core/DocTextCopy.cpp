#include "core/Doc.h"

#include "core/PieceCopy.h"

#include <QElapsedTimer>
#include <QTimer>
#include <utility>

namespace {
// A turn copies pieces of this size until it has spent this long; a
// loaded machine copies less per turn instead of stalling longer.
constexpr qsizetype pieceBytes = qsizetype(1) << 20;
constexpr qint64 turnNSecs = 8'000'000;
}

bool Doc::copiesInPieces() const
{
    return live_.copyBytes && live_.takeEditedFrom && live_.byteLength && live_.byteLength() >= pieceCopyFrom;
}

void Doc::withTextCopy(std::function<void(TextCopy)> ready)
{
    if (!copiesInPieces() && !copying_) {
        ready(textCopy());
        return;
    }
    waitingForCopy_.push_back(std::move(ready));
    if (copying_)
        return;
    copying_ = std::make_unique<PieceCopy>(PieceCopy::Source{live_.byteLength, live_.copyBytes, live_.takeEditedFrom});
    QTimer::singleShot(0, this, &Doc::copyPieces);
}

void Doc::copyPieces()
{
    if (!copying_)
        return;
    QElapsedTimer turn;
    turn.start();
    bool done = false;
    while (!done && turn.nsecsElapsed() < turnNSecs)
        done = copying_->step(pieceBytes);
    if (!done) {
        QTimer::singleShot(0, this, &Doc::copyPieces);
        return;
    }
    handOverCopy(TextCopy::fromUtf8(copying_->take()));
}

void Doc::handOverCopy(TextCopy copy)
{
    copying_.reset();
    auto waiting = std::exchange(waitingForCopy_, {});
    // Everyone shares the one copy; the last one takes it, so no reference
    // stays behind here.
    if (waiting.empty())
        return;
    for (size_t i = 0; i + 1 < waiting.size(); ++i)
        waiting[i](copy);
    waiting.back()(std::move(copy));
}
