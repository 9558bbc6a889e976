#include "core/TextBaseline.h"

#include "core/Blocks.h"
#include "text/WorkerPriority.h"

#include <QCryptographicHash>
#include <algorithm>
#include <climits>
#include <optional>
#include <unicode/bytestream.h>
#include <unicode/normalizer2.h>
#include <unicode/utf8.h>
#include <utility>

namespace {

constexpr auto algorithm = QCryptographicHash::Blake2b_256;
constexpr qsizetype blockBytes = 1 << 20;

// A digest over the digests of 1 MiB blocks: it can be taken piece by
// piece, and copied where a text's NFC form starts to differ from it.
class TreeHash {
public:
    void add(QByteArrayView bytes)
    {
        length_ += bytes.size();
        addInBlocks(partial_, blockBytes, bytes,
                    [this](QByteArrayView b) { leaves_ += QCryptographicHash::hash(b, algorithm); });
    }
    QByteArray result() const
    {
        QCryptographicHash h(algorithm);
        h.addData(leaves_);
        h.addData(QCryptographicHash::hash(partial_, algorithm));
        h.addData(QByteArrayView(reinterpret_cast<const char*>(&length_), sizeof length_));
        return h.result();
    }

private:
    QByteArray leaves_;
    QByteArray partial_;
    qint64 length_ = 0;
};

QByteArray digest(QByteArrayView bytes)
{
    TreeHash t;
    t.add(bytes);
    return t.result();
}

const icu::Normalizer2* nfc()
{
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* n = icu::Normalizer2::getNFCInstance(status);
    return U_SUCCESS(status) ? n : nullptr;
}

// Feeds the normalised bytes straight into the hash: no normalised copy.
class HashSink : public icu::ByteSink {
public:
    explicit HashSink(TreeHash& to) : hash(to) {}
    TreeHash& hash;
    void Append(const char* bytes, int32_t n) override { hash.add(QByteArrayView(bytes, n)); }
};

bool fitsICU(QByteArrayView bytes) { return bytes.size() <= INT32_MAX; }

bool inNFC(QByteArrayView utf8)
{
    const icu::Normalizer2* n = nfc();
    if (!n || !fitsICU(utf8))
        return true;
    UErrorCode status = U_ZERO_ERROR;
    const bool yes = n->isNormalizedUTF8(icu::StringPiece(utf8.data(), int32_t(utf8.size())), status);
    return U_FAILURE(status) || yes;
}

void addNormalised(TreeHash& to, QByteArrayView utf8)
{
    HashSink sink(to);
    UErrorCode status = U_ZERO_ERROR;
    nfc()->normalizeUTF8(0, icu::StringPiece(utf8.data(), int32_t(utf8.size())), sink, nullptr, status);
}

// The digest of the NFC form of a text not in it.
QByteArray nfcDigest(QByteArrayView utf8)
{
    TreeHash t;
    addNormalised(t, utf8);
    return t.result();
}

}

struct TextBaseline::Builder::State {
    TreeHash exact;
    // Set from the first piece not in NFC on.
    std::optional<TreeHash> normal;
    QByteArray carry;
    qsizetype length = 0;

    // Whether normalisation cannot reach across the start of the character at i.
    bool boundary(QByteArrayView s, qsizetype i) const
    {
        if ((uchar(s[i]) & 0xC0) == 0x80)
            return false;
        UChar32 c;
        int32_t at = int32_t(i);
        U8_NEXT(reinterpret_cast<const uint8_t*>(s.data()), at, int32_t(std::min<qsizetype>(s.size(), i + 4)), c);
        const icu::Normalizer2* n = nfc();
        return c >= 0 && (!n || n->hasBoundaryBefore(c));
    }

    // A run of text that starts and ends at normalisation boundaries.
    void segment(QByteArrayView s)
    {
        if (s.isEmpty())
            return;
        const bool isNormal = inNFC(s);
        if (!normal && !isNormal)
            normal = exact;
        exact.add(s);
        if (normal) {
            if (isNormal)
                normal->add(s);
            else
                addNormalised(*normal, s);
        }
    }
};

TextBaseline::Builder::Builder() : s_(std::make_unique<State>()) {}
TextBaseline::Builder::~Builder() = default;
TextBaseline::Builder::Builder(Builder&&) noexcept = default;
TextBaseline::Builder& TextBaseline::Builder::operator=(Builder&&) noexcept = default;

void TextBaseline::Builder::add(QByteArrayView utf8)
{
    State& s = *s_;
    s.length += utf8.size();
    qsizetype first = 0;
    while (first < utf8.size() && !s.boundary(utf8, first))
        ++first;
    if (first == utf8.size()) {
        s.carry.append(utf8);
        return;
    }
    if (!s.carry.isEmpty()) {
        s.carry.append(utf8.first(first));
        s.segment(s.carry);
        s.carry.truncate(0);
    } else {
        s.segment(utf8.first(first));
    }
    qsizetype last = utf8.size() - 1;
    while (last > first && !s.boundary(utf8, last))
        --last;
    s.segment(utf8.sliced(first, last - first));
    s.carry.append(utf8.sliced(last));
}

TextBaseline TextBaseline::Builder::finish()
{
    State& s = *s_;
    s.segment(s.carry);
    s.carry = QByteArray();
    Digests d;
    d.exact = s.exact.result();
    d.nfc = s.normal ? s.normal->result() : d.exact;
    TextBaseline b;
    b.length_ = s.length;
    std::promise<Digests> done;
    done.set_value(std::move(d));
    b.digests_ = done.get_future().share();
    return b;
}

TextBaseline::TextBaseline()
{
    static const std::shared_future<Digests> empty = [] {
        std::promise<Digests> done;
        done.set_value(digestsOf(QByteArrayView()));
        return done.get_future().share();
    }();
    digests_ = empty;
}

TextBaseline::Digests TextBaseline::digestsOf(QByteArrayView utf8)
{
    Digests d;
    d.exact = digest(utf8);
    d.nfc = inNFC(utf8) ? d.exact : nfcDigest(utf8);
    return d;
}

TextBaseline TextBaseline::of(const QString& text)
{
    if (text.size() < 4096)
        return ofUtf8(text.toUtf8());
    TextBaseline b;
    // The length is asked for at once (comparing baselines): counted here,
    // converting happens aside.
    for (const QChar c : text)
        b.length_ += 1 + (c.unicode() >= 0x80) + (c.unicode() >= 0x800) - c.isSurrogate();
    // The task is kept with the result: it must not keep the text too.
    b.digests_ = std::async(std::launch::async, [text = QString(text)]() mutable {
                     yieldToWindow(10);
                     const QByteArray utf8 = std::exchange(text, QString()).toUtf8();
                     return digestsOf(utf8);
                 }).share();
    return b;
}

TextBaseline TextBaseline::ofUtf8(const QByteArray& utf8)
{
    TextBaseline b;
    b.length_ = utf8.size();
    if (utf8.size() < 8192) {
        // Not worth a thread.
        std::promise<Digests> done;
        done.set_value(digestsOf(utf8));
        b.digests_ = done.get_future().share();
    } else {
        b.digests_ = std::async(std::launch::async, [bytes = QByteArray(utf8)]() mutable {
                         yieldToWindow(10);
                         const QByteArray mine = std::exchange(bytes, QByteArray());
                         return digestsOf(mine);
                     }).share();
    }
    return b;
}

bool TextBaseline::matches(QStringView text) const { return matchesUtf8(text.toUtf8()); }

bool TextBaseline::sameBytes(QByteArrayView utf8) const
{
    return utf8.size() == length_ && digest(utf8) == digests_.get().exact;
}

bool TextBaseline::isNFC() const
{
    const Digests& d = digests_.get();
    return d.nfc == d.exact;
}

bool TextBaseline::matchesUtf8(QByteArrayView utf8) const
{
    if (sameBytes(utf8))
        return true;
    const Digests& d = digests_.get();
    const bool normal = inNFC(utf8);
    // Two different texts both in NFC are never equivalent.
    if (normal && d.nfc == d.exact)
        return false;
    return (normal ? digest(utf8) : nfcDigest(utf8)) == d.nfc;
}

bool TextBaseline::operator==(const TextBaseline& other) const
{
    return length_ == other.length_ && digests_.get().exact == other.digests_.get().exact;
}

QString TextBaseline::fingerprint() const { return QString::fromLatin1(digests_.get().exact.toHex().left(16)); }
