#include "core/Doc.h"

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

// A file is read in pieces of 1 MiB and each piece goes on at once: checked
// or decoded, its line ends normalised, into the text's destination and the
// baseline's digests. No whole-file buffer or whole-text copy is made, except
// for files whose encoding has to be guessed from all of their bytes.

namespace {

constexpr qsizetype pieceBytes = FileIO::ContentHash::block;
// How far a NUL makes valid UTF-8 look like UTF-16 instead.
constexpr qsizetype sniffBytes = 64 * 1024;

QString outOfMemory() { return QStringLiteral("内存不足，无法读入该文件"); }

// The file's bytes, piece by piece, hashed as they pass.
class RawPieces {
public:
    explicit RawPieces(const QString& path) : file_(path) {}
    std::optional<QString> open() { return FileIO::openForReading(file_); }
    // A full piece unless the file ends; nullopt on a read error.
    std::optional<QByteArray> next()
    {
        QByteArray piece(pieceBytes, Qt::Uninitialized);
        qsizetype got = 0;
        while (got < piece.size()) {
            const qint64 n = file_.read(piece.data() + got, piece.size() - got);
            if (n < 0) {
                error_ = errno;
                return std::nullopt;
            }
            if (n == 0)
                break;
            got += n;
        }
        piece.truncate(got);
        hash_.add(piece);
        return piece;
    }
    QString failure() const
    {
        return QStringLiteral("无法读取文件：%1\n%2").arg(file_.fileName(), FileIO::reason(error_));
    }
    quint64 hash() const { return hash_.result(); }

private:
    QFile file_;
    FileIO::ContentHash hash_;
    int error_ = EIO;
};

// Digests the pieces on a thread of its own, a few pieces behind the
// reader, which meanwhile fills the text's destination.
class AsideDigest {
public:
    AsideDigest()
        : thread_([this] {
              for (;;) {
                  QByteArray piece;
                  {
                      std::unique_lock lock(mutex_);
                      ready_.wait(lock, [this] { return !queue_.empty() || done_; });
                      if (queue_.empty())
                          return;
                      piece = std::move(queue_.front());
                      queue_.pop_front();
                  }
                  ready_.notify_all();
                  builder_.add(piece);
              }
          })
    {
    }
    ~AsideDigest() { stop(); }
    void add(QByteArray piece)
    {
        std::unique_lock lock(mutex_);
        // A few pieces at most wait: the memory stays small.
        ready_.wait(lock, [this] { return queue_.size() < 4; });
        queue_.push_back(std::move(piece));
        ready_.notify_all();
    }
    TextBaseline finish()
    {
        stop();
        return builder_.finish();
    }

private:
    void stop()
    {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        ready_.notify_all();
        if (thread_.joinable())
            thread_.join();
    }
    TextBaseline::Builder builder_;
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<QByteArray> queue_;
    bool done_ = false;
    std::thread thread_;
};

// Takes the text in UTF-8 pieces cut anywhere: a CR at a piece's end waits
// for the next piece, which may start with its LF.
class Emitter {
public:
    explicit Emitter(TextSink& sink) : sink_(sink) {}
    bool push(QByteArray utf8, bool last)
    {
        if (heldCR_) {
            utf8.prepend('\r');
            heldCR_ = false;
        }
        if (!last && utf8.endsWith('\r')) {
            heldCR_ = true;
            utf8.chop(1);
        }
        if (const qsizetype cr = utf8.indexOf('\r'); cr >= 0) {
            sawCR_ = true;
            sawCRLF_ = sawCRLF_ || utf8.indexOf("\r\n", cr) >= 0;
            utf8 = LineEnding::normalize(std::move(utf8));
        }
        if (utf8.isEmpty())
            return true;
        if (!sink_.append(utf8))
            return false;
        baseline_.add(std::move(utf8));
        return true;
    }
    LineEnding eol() const { return sawCRLF_ ? LineEnding::crlf : sawCR_ ? LineEnding::cr : LineEnding::lf; }
    TextBaseline finish() { return baseline_.finish(); }

private:
    TextSink& sink_;
    AsideDigest baseline_;
    bool heldCR_ = false;
    bool sawCR_ = false;
    bool sawCRLF_ = false;
};

// Where a UTF-8 sequence cut off by the end of `b` starts; b.size() if none is.
qsizetype completeUpTo(QByteArrayView b)
{
    for (qsizetype back = 1; back <= std::min<qsizetype>(3, b.size()); ++back) {
        const uchar c = uchar(b[b.size() - back]);
        if ((c & 0xC0) == 0x80)
            continue;
        const qsizetype need = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        return need > back ? b.size() - back : b.size();
    }
    return b.size();
}

enum class Outcome { done, failed, readWhole };

struct Streamed {
    Outcome outcome = Outcome::done;
    QString error;
};

// UTF-8 (checked, never converted) and encodings decoded piece by piece.
// Without a given encoding, a file that is not UTF-8 or may be UTF-16 is
// left to be read whole.
Streamed stream(const QString& path, std::optional<TextEncoding> given, TextSink& sink, Doc::Loaded& out)
{
    RawPieces raw(path);
    if (auto error = raw.open())
        return {Outcome::failed, *error};
    const TextEncoding asked = given.value_or(TextEncoding::utf8);
    const bool isUtf8 = asked == TextEncoding::utf8 || asked == TextEncoding::utf8BOM;
    std::optional<TextEncoding::Utf8Decoder> decoder;
    if (!isUtf8)
        decoder.emplace(asked);
    Emitter emitter(sink);
    TextEncoding found = asked;
    QByteArray cut;  // a character split by the end of the last piece
    for (bool first = true;; first = false) {
        auto piece = raw.next();
        if (!piece)
            return {Outcome::failed, raw.failure()};
        const bool last = piece->size() < pieceBytes;
        if (decoder) {
            auto utf8 = decoder->decode(*piece, last);
            if (!utf8)
                return {Outcome::failed, {}};
            if (!emitter.push(std::move(*utf8), last))
                return {Outcome::failed, outOfMemory()};
        } else {
            QByteArray data = cut.isEmpty() ? std::move(*piece) : cut + *piece;
            cut.clear();
            if (first) {
                static const QByteArray mark = TextEncoding(TextEncoding::utf8BOM).byteOrderMark();
                if (!given && data.startsWith(mark))
                    found = TextEncoding::utf8BOM;
                else if (!given && std::memchr(data.constData(), 0, std::min(data.size(), sniffBytes)))
                    return {Outcome::readWhole, {}};
                // Plain UTF-8 keeps a leading mark as text.
                if (found == TextEncoding::utf8BOM && data.startsWith(mark))
                    data.remove(0, mark.size());
            }
            const qsizetype whole = last ? data.size() : completeUpTo(data);
            if (!isValidUTF8(data.constData(), whole))
                return given ? Streamed{Outcome::failed, {}} : Streamed{Outcome::readWhole, {}};
            if (whole < data.size()) {
                cut = data.sliced(whole);
                data.truncate(whole);
            }
            if (!emitter.push(std::move(data), last))
                return {Outcome::failed, outOfMemory()};
        }
        if (last)
            break;
    }
    out.encoding = found;
    out.eol = emitter.eol();
    out.baseline = emitter.finish();
    if (out.stamp)
        out.stamp->contentHash = raw.hash();
    return {};
}

// Read whole, then detected or decoded as a whole, then passed on in pieces.
Streamed readWhole(const QString& path, std::optional<TextEncoding> given, TextSink& sink, Doc::Loaded& out)
{
    auto bytes = FileIO::read(path);
    if (!bytes)
        return {Outcome::failed, bytes.error()};
    if (out.stamp)
        out.stamp->contentHash = FileIO::contentHash(bytes.value());
    QByteArray utf8;
    if (given) {
        auto text = given->decodeToUtf8(std::exchange(bytes.value(), QByteArray()));
        if (!text)
            return {Outcome::failed, {}};
        utf8 = std::move(*text);
        out.encoding = *given;
    } else {
        auto d = TextEncoding::detectUtf8(std::exchange(bytes.value(), QByteArray()));
        utf8 = std::move(d.utf8);
        out.encoding = d.encoding;
        out.likely = d.likely;
    }
    Emitter emitter(sink);
    for (qsizetype at = 0; at < utf8.size() || at == 0;) {
        const qsizetype n = std::min(pieceBytes, utf8.size() - at);
        const bool last = at + n == utf8.size();
        if (!emitter.push(utf8.sliced(at, n), last))
            return {Outcome::failed, outOfMemory()};
        at += n;
        if (last)
            break;
    }
    out.eol = emitter.eol();
    out.baseline = emitter.finish();
    return {};
}

}

Result<Doc::Loaded> Doc::read(const QString& path, std::optional<TextEncoding> encoding, std::shared_ptr<TextSink> into)
{
    Loaded out;
    // Taken before reading: a change while reading shows up as a change.
    out.stamp = FileIO::stamp(path);
    out.text = into ? std::move(into) : std::make_shared<ByteSink>(out.stamp ? out.stamp->size : 0);
    Streamed r;
    if (!encoding || *encoding == TextEncoding::utf8 || *encoding == TextEncoding::utf8BOM
        || encoding->decodesInPieces())
        r = stream(path, encoding, *out.text, out);
    else
        r.outcome = Outcome::readWhole;
    if (r.outcome == Outcome::readWhole) {
        // What the pieces left behind is no part of the text.
        if (out.text->size() > 0)
            out.text = std::make_shared<ByteSink>();
        r = readWhole(path, encoding, *out.text, out);
    }
    if (r.outcome == Outcome::failed)
        return Result<Loaded>::failure(r.error.isEmpty() ? decodeFailure(encoding.value_or(TextEncoding::utf8))
                                                         : r.error);
    out.modified = FileIO::modificationDate(path);
    return out;
}
