#include "core/PieceCopy.h"

#include <algorithm>

bool PieceCopy::step(qsizetype bytes)
{
    // Nothing before an edit's first byte moved: the copy still holds it.
    done_ = std::min(done_, std::max<qsizetype>(source_.takeEditedFrom(), 0));
    const qsizetype n = source_.length();
    if (out_.isNull())
        out_ = QByteArray(n, Qt::Uninitialized);
    else if (out_.size() != n)
        out_.resize(n);
    done_ = std::min(done_, n);
    const qsizetype piece = std::min(std::max<qsizetype>(bytes, 0), n - done_);
    if (piece > 0)
        source_.copy(done_, piece, out_.data() + done_);
    done_ += piece;
    return done_ == n;
}
