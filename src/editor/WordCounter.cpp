#include "editor/WordCounter.h"

#include "editor/CodeTextView.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThreadPool>

WordCounter::WordCounter(CodeTextView* view, std::function<void()> changed)
    : QObject(view), view_(view), changed_(std::move(changed))
{
    delay_.setSingleShot(true);
    delay_.setInterval(delayMSecs);
    connect(&delay_, &QTimer::timeout, this, &WordCounter::countText);
    countText();
}

void WordCounter::textChanged() { delay_.start(); }

void WordCounter::countText() { count(Part::text, view_->utf8()); }

void WordCounter::selectionChanged()
{
    const qsizetype from = view_->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONSTART);
    const qsizetype to = view_->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONEND);
    const bool selected = to > from && !view_->composing();
    if (!selected && !selected_)
        return;
    selected_ = selected;
    if (!selected) {
        selection_.reset();
        changed_();
        return;
    }
    QByteArray bytes(to - from, Qt::Uninitialized);
    view_->copyBytes(from, to - from, bytes.data());
    count(Part::selection, std::move(bytes));
}

void WordCounter::count(Part part, QByteArray bytes)
{
    auto& result = part == Part::text ? text_ : selection_;
    const unsigned round = ++round_[int(part)];
    if (bytes.size() <= TextCount::workerBytes) {
        result = TextCount::of(bytes).words;
        changed_();
        return;
    }
    result.reset();
    changed_();
    QPointer<WordCounter> self(this);
    QThreadPool::globalInstance()->start([self, part, round, bytes = std::move(bytes)] {
        const qsizetype words = TextCount::of(bytes).words;
        QMetaObject::invokeMethod(qApp, [self, part, round, words] {
            if (!self || self->round_[int(part)] != round)
                return;
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
