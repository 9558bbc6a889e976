#include "core/TextBaseline.h"

#include "core/WorkerPriority.h"

#include <QCryptographicHash>
#include <climits>
#include <unicode/bytestream.h>
#include <unicode/normalizer2.h>
#include <utility>

namespace {

QByteArray digest(QByteArrayView bytes) { return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256); }

const icu::Normalizer2* nfc()
{
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* n = icu::Normalizer2::getNFCInstance(status);
    return U_SUCCESS(status) ? n : nullptr;
}

// Feeds the normalised bytes straight into the hash: no normalised copy.
class HashSink : public icu::ByteSink {
public:
    QCryptographicHash hash{QCryptographicHash::Sha256};
    void Append(const char* bytes, int32_t n) override { hash.addData(QByteArrayView(bytes, n)); }
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

// The digest of the NFC form of a text not in it.
QByteArray nfcDigest(QByteArrayView utf8)
{
    HashSink sink;
    UErrorCode status = U_ZERO_ERROR;
    nfc()->normalizeUTF8(0, icu::StringPiece(utf8.data(), int32_t(utf8.size())), sink, nullptr, status);
    return U_SUCCESS(status) ? sink.hash.result() : QByteArray();
}

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
