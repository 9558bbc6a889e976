#include "core/TextBaseline.h"

#include "core/WorkerPriority.h"

#include <QCryptographicHash>
#include <optional>
#include <unicode/normalizer2.h>
#include <unicode/unistr.h>
#include <utility>

namespace {

QByteArray digest(QStringView text)
{
    return QCryptographicHash::hash(QByteArrayView(reinterpret_cast<const char*>(text.utf16()), text.size() * 2),
                                    QCryptographicHash::Sha256);
}

const icu::Normalizer2* nfc()
{
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* n = icu::Normalizer2::getNFCInstance(status);
    return U_SUCCESS(status) ? n : nullptr;
}

// The NFC form, or nothing when the text is already in it.
std::optional<icu::UnicodeString> normalized(QStringView text)
{
    const icu::Normalizer2* n = nfc();
    if (!n)
        return std::nullopt;
    const icu::UnicodeString u(false, reinterpret_cast<const UChar*>(text.utf16()), int32_t(text.size()));
    UErrorCode status = U_ZERO_ERROR;
    if (n->isNormalized(u, status) || U_FAILURE(status))
        return std::nullopt;
    status = U_ZERO_ERROR;
    icu::UnicodeString out = n->normalize(u, status);
    if (U_FAILURE(status))
        return std::nullopt;
    return out;
}

QStringView view(const icu::UnicodeString& u)
{
    return QStringView(reinterpret_cast<const char16_t*>(u.getBuffer()), u.length());
}

}

TextBaseline::TextBaseline()
{
    static const std::shared_future<Digests> empty = [] {
        std::promise<Digests> done;
        done.set_value(digestsOf(QStringView()));
        return done.get_future().share();
    }();
    digests_ = empty;
}

TextBaseline::Digests TextBaseline::digestsOf(QStringView text)
{
    Digests d;
    d.exact = digest(text);
    const auto n = normalized(text);
    d.nfc = n ? digest(view(*n)) : d.exact;
    return d;
}

TextBaseline TextBaseline::of(const QString& text)
{
    TextBaseline b;
    b.length_ = text.size();
    if (text.size() < 4096) {
        // Not worth a thread.
        std::promise<Digests> done;
        done.set_value(digestsOf(text));
        b.digests_ = done.get_future().share();
    } else {
        // The task is kept with the result: it must not keep the text too.
        b.digests_ = std::async(std::launch::async, [text = QString(text)]() mutable {
                         yieldToWindow(10);
                         const QString mine = std::exchange(text, QString());
                         return digestsOf(mine);
                     }).share();
    }
    return b;
}

bool TextBaseline::matches(QStringView text) const
{
    const Digests& d = digests_.get();
    if (text.size() == length_ && digest(text) == d.exact)
        return true;
    const auto n = normalized(text);
    // Two different texts both in NFC are never equivalent.
    if (!n && d.nfc == d.exact)
        return false;
    return digest(n ? view(*n) : text) == d.nfc;
}

bool TextBaseline::operator==(const TextBaseline& other) const
{
    return length_ == other.length_ && digests_.get().exact == other.digests_.get().exact;
}

QString TextBaseline::fingerprint() const { return QString::fromLatin1(digests_.get().exact.toHex().left(16)); }
