#include "editor/WordCounter.h"

#include "editor/CodeTextView.h"
#include "text/WorkLanes.h"

#include <QCoreApplication>
#include <QPointer>
#include <algorithm>

WordCounter::WordCounter(CodeTextView* view, std::function<void()> changed)
    : QObject(view), view_(view), changed_(std::move(changed))
{
    delay_.setSingleShot(true);
    delay_.setInterval(delayMSecs);
    connect(&delay_, &QTimer::timeout, this, &WordCounter::countText);
    countText();
}

void WordCounter::textChanged()
{
    // A count of the text as it was is of no use any more.
    ++round_[int(Part::text)];
    delay_.start();
}

void WordCounter::countText() { count(Part::text, 0, view_->byteLength()); }

void WordCounter::selectionChanged()
{
    const qsizetype from = view_->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONSTART);
    const qsizetype to = view_->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONEND);
    const bool selected = to > from && !view_->composing();
    if (!selected && !selected_)
        return;
    selected_ = selected;
    if (!selected) {
        ++round_[int(Part::selection)];
        selection_.reset();
        changed_();
        return;
    }
    count(Part::selection, from, to);
}

void WordCounter::count(Part part, qsizetype from, qsizetype to)
{
    auto& result = part == Part::text ? text_ : selection_;
    const unsigned round = ++round_[int(part)];
    if (to - from <= TextCount::workerBytes) {
        QByteArray bytes(to - from, Qt::Uninitialized);
        view_->copyBytes(from, to - from, bytes.data());
        result = TextCount::of(bytes).words;
        changed_();
        return;
    }
    result.reset();
    changed_();
    countPiece(part, round, from, to, 0);
}

// Words never run across a line feed, so counts of pieces cut after one add
// up to the count of the whole.
void WordCounter::countPiece(Part part, unsigned round, qsizetype at, qsizetype to, qsizetype sum, QByteArray piece)
{
    if (round_[int(part)] != round)
        return;
    to = std::min(to, view_->byteLength());
    qsizetype cut = piece.size() - 1;
    if (at + piece.size() < to) {
        const qsizetype from = at + piece.size();
        const qsizetype n = std::min(TextCount::workerBytes, to - from);
        if (piece.capacity() < piece.size() + n)
            piece.reserve(std::max(2 * piece.capacity(), piece.size() + n));
        piece.resize(piece.size() + n);
        view_->copyBytes(from, n, piece.data() + piece.size() - n);
        // Only the bytes just added are searched for the last line feed.
        const qsizetype lf = QByteArrayView(piece).sliced(piece.size() - n).lastIndexOf('\n');
        if (lf < 0 && at + piece.size() < to) {
            // A line longer than a piece: a piece more per turn, so that no
            // turn copies the whole line.
            QTimer::singleShot(0, this, [this, part, round, at, to, sum, piece = std::move(piece)]() mutable {
                countPiece(part, round, at, to, sum, std::move(piece));
            });
            return;
        }
        cut = at + piece.size() >= to ? piece.size() - 1 : piece.size() - n + lf;
    }
    piece.truncate(cut + 1);
    const qsizetype next = at + piece.size();
    QPointer<WordCounter> self(this);
    WorkLanes::shared().post(Lane::Scan, [self, part, round, next, to, sum, piece = std::move(piece)] {
        const qsizetype words = sum + TextCount::of(piece).words;
        WorkLanes::deliver(self, CancelToken(), [self, part, round, next, to, words] {
            if (self->round_[int(part)] != round)
                return;
            if (next < to) {
                self->countPiece(part, round, next, to, words);
                return;
            }
            (part == Part::text ? self->text_ : self->selection_) = words;
            self->changed_();
        });
    });
}

QString WordCounter::text() const
{
    const auto shown = [](const std::optional<qsizetype>& n) { return n ? QString::number(*n) : QStringLiteral("…"); };
    if (selected_)
        return QStringLiteral("字数 %1 / %2").arg(shown(selection_), shown(text_));
    return QStringLiteral("字数 %1").arg(shown(text_));
}
