#include "core/DocText.h"

#include <QElapsedTimer>
#include <QTimer>
#include <utility>

namespace {

template <class... F> struct Overloaded : F... {
    using F::operator()...;
};
template <class... F> Overloaded(F...) -> Overloaded<F...>;

// A turn copies pieces of this size until it has spent this long; a
// loaded machine copies less per turn instead of stalling longer.
constexpr qsizetype pieceBytes = qsizetype(1) << 20;
constexpr qint64 turnNSecs = 8'000'000;

}

DocText::DocText(QObject* context, QString text) : context_(context), text_(std::move(text)) {}

DocText::~DocText() = default;

void DocText::holdBytes(QByteArray utf8)
{
    text_ = QString();
    if (utf8.isNull())
        form_ = Held{};
    else
        form_ = Bytes{std::move(utf8)};
}

void DocText::takeRead(std::shared_ptr<TextSink> sink)
{
    if (auto* bytes = dynamic_cast<ByteSink*>(sink.get())) {
        holdBytes(bytes->take());
    } else {
        text_ = QString();
        if (sink)
            form_ = Read{std::move(sink)};
        else
            form_ = Held{};
    }
    // A copy still in pieces was of the old text: its requesters get the new one.
    if (copying_)
        handOverCopy(copy());
}

void DocText::replace(const QString& text)
{
    if (!isLive())
        form_ = Held{};
    text_ = text;
}

void DocText::attach(LiveText live, bool atBaseline)
{
    form_ = Live{std::move(live), true, atBaseline};
    // The editor holds the text from here on.
    text_ = QString();
}

void DocText::detach()
{
    auto* live = std::get_if<Live>(&form_);
    if (!live)
        return;
    // The editor's bytes are kept as they are; converted only if someone
    // asks for the text as a QString.
    if (live->stale && live->editor.utf8) {
        holdBytes(live->editor.utf8());
    } else {
        text();
        form_ = Held{};
    }
    // A copy still in pieces is finished from what is kept now.
    if (copying_)
        handOverCopy(copy());
}

bool DocText::edited()
{
    auto* live = std::get_if<Live>(&form_);
    if (!live)
        return false;
    live->stale = true;
    return true;
}

void DocText::forgetSavePoint()
{
    if (auto* live = std::get_if<Live>(&form_))
        live->savePoint = false;
}

bool DocText::isStale() const
{
    const auto* live = std::get_if<Live>(&form_);
    return live && live->stale;
}

const std::shared_ptr<TextSink>& DocText::loaded() const
{
    static const std::shared_ptr<TextSink> none;
    const auto* read = std::get_if<Read>(&form_);
    return read ? read->sink : none;
}

const QString& DocText::text() const
{
    if (auto* bytes = std::get_if<Bytes>(&form_)) {
        // Needed as a QString after all: converted once, kept as that.
        text_ = TextCopy::decode(bytes->utf8);
        form_ = Held{};
    } else if (auto* read = std::get_if<Read>(&form_)) {
        // Kept beside the buffer until an editor takes that over.
        if (text_.isNull())
            text_ = TextCopy::decode(read->sink->utf8());
    } else if (auto* live = std::get_if<Live>(&form_); live && live->stale) {
        live->stale = false;
        text_ = live->editor.pull();
        // The editor's buffer stays the one owner of the text: readers in
        // this turn share the copy, then it goes.
        if (!dropQueued_) {
            dropQueued_ = true;
            QTimer::singleShot(0, context_, [this] {
                dropQueued_ = false;
                if (auto* l = std::get_if<Live>(&form_); l && !l->stale) {
                    text_ = QString();
                    l->stale = true;
                }
            });
        }
    }
    return text_;
}

TextCopy DocText::copy() const
{
    return std::visit(
        Overloaded{
            [this](const Held&) { return TextCopy(text_); },
            [](const Bytes& b) { return TextCopy::fromUtf8(b.utf8); },
            [this](const Read& r) { return text_.isNull() ? TextCopy::fromUtf8(r.sink->utf8()) : TextCopy(text_); },
            [this](const Live& l) {
                return l.stale && l.editor.utf8 ? TextCopy::fromUtf8(l.editor.utf8()) : TextCopy(text());
            },
        },
        form_);
}

QString DocText::leadingText(int lines) const
{
    const auto* live = std::get_if<Live>(&form_);
    return live && live->stale && live->editor.leadingLines ? live->editor.leadingLines(lines) : text();
}

bool DocText::differsFrom(const TextBaseline& baseline, bool confirmed) const
{
    return std::visit(Overloaded{
                          [&](const Held&) { return !baseline.matches(text_); },
                          [&](const Bytes& b) { return !baseline.matchesUtf8(b.utf8); },
                          [&](const Read& r) {
                              return text_.isNull() ? !baseline.matchesUtf8(r.sink->utf8()) : !baseline.matches(text_);
                          },
                          [&](const Live& l) {
                              if (!l.stale || !l.editor.utf8)
                                  return !baseline.matches(text());
                              // Back at the save point, or at a revision a worker found
                              // equal: clean without reading the text. The same length is
                              // worth a byte comparison, unless the text is long: then, as
                              // with any other length, it counts as changed until a worker
                              // (the snapshot's) finds it equal.
                              if ((l.savePoint && l.editor.atSavePoint && l.editor.atSavePoint()) || confirmed)
                                  return false;
                              const qsizetype n = l.editor.byteLength ? l.editor.byteLength() : l.editor.utf8().size();
                              return n != baseline.length() || n >= pieceCopyFrom
                                  || !baseline.sameBytes(l.editor.utf8());
                          },
                      },
                      form_);
}

TextBaseline DocText::save()
{
    if (auto* live = std::get_if<Live>(&form_); live && live->editor.utf8) {
        TextBaseline saved = TextBaseline::ofUtf8(live->editor.utf8());
        if (live->editor.setSavePoint)
            live->editor.setSavePoint();
        live->savePoint = bool(live->editor.setSavePoint);
        return saved;
    }
    const TextCopy now = copy();
    return now.isUtf8() ? TextBaseline::ofUtf8(now.utf8) : TextBaseline::of(now.text);
}

bool DocText::copiesInPieces() const
{
    const auto* live = std::get_if<Live>(&form_);
    return live && live->editor.copyBytes && live->editor.takeEditedFrom && live->editor.byteLength
        && live->editor.byteLength() >= pieceCopyFrom;
}

void DocText::withCopy(std::function<void(TextCopy)> ready)
{
    if (!copiesInPieces() && !copying_) {
        ready(copy());
        return;
    }
    waitingForCopy_.push_back(std::move(ready));
    if (copying_)
        return;
    const LiveText& editor = std::get<Live>(form_).editor;
    copying_ = std::make_unique<PieceCopy>(
        PieceCopy::Source{editor.byteLength, editor.copyBytes, editor.takeEditedFrom});
    QTimer::singleShot(0, context_, [this] { copyPieces(); });
}

void DocText::copyPieces()
{
    if (!copying_)
        return;
    QElapsedTimer turn;
    turn.start();
    bool done = false;
    while (!done && turn.nsecsElapsed() < turnNSecs)
        done = copying_->step(pieceBytes);
    if (!done) {
        QTimer::singleShot(0, context_, [this] { copyPieces(); });
        return;
    }
    handOverCopy(TextCopy::fromUtf8(copying_->take()));
}

void DocText::handOverCopy(TextCopy done)
{
    copying_.reset();
    auto waiting = std::exchange(waitingForCopy_, {});
    // Everyone shares the one copy; the last one takes it, so no reference
    // stays behind here.
    if (waiting.empty())
        return;
    for (size_t i = 0; i + 1 < waiting.size(); ++i)
        waiting[i](done);
    waiting.back()(std::move(done));
}
