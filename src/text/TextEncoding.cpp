#include "text/TextEncoding.h"

#include <unicode/ucnv.h>

#include <QStringDecoder>
#include <cstring>
#include <map>
#include <memory>
#include <string>

namespace {

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

Converter openStrict(const char* name)
{
    UErrorCode err = U_ZERO_ERROR;
    Converter cnv(ucnv_open(name, &err));
    if (U_FAILURE(err))
        return nullptr;
    ucnv_setToUCallBack(cnv.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &err);
    ucnv_setFromUCallBack(cnv.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &err);
    ucnv_setFallback(cnv.get(), false);
    if (U_FAILURE(err))
        return nullptr;
    return cnv;
}

// Opening a converter costs more than converting a short text, so each
// thread keeps one per character set and resets it before use.
UConverter* strictConverter(const char* name)
{
    thread_local std::map<std::string, Converter> cache;
    auto it = cache.find(name);
    if (it == cache.end())
        it = cache.emplace(name, openStrict(name)).first;
    if (it->second)
        ucnv_reset(it->second.get());
    return it->second.get();
}

// Runs one ICU conversion step into `out`, doubling it while ICU asks for
// more room.
template <typename Unit, typename Buffer, typename Step> std::optional<Buffer> convertInto(Buffer out, Step step)
{
    qsizetype written = 0;
    for (;;) {
        Unit* begin = reinterpret_cast<Unit*>(out.data());
        Unit* target = begin + written;
        UErrorCode err = U_ZERO_ERROR;
        step(&target, begin + out.size(), &err);
        written = target - begin;
        if (err == U_BUFFER_OVERFLOW_ERROR) {
            out.resize(out.size() * 2);
            continue;
        }
        if (U_FAILURE(err))
            return std::nullopt;
        out.resize(written);
        return out;
    }
}

std::optional<QString> icuDecode(const char* name, const char* src, qsizetype size)
{
    UConverter* cnv = strictConverter(name);
    if (!cnv)
        return std::nullopt;
    const char* source = src;
    // Every byte of these character sets yields at most one UTF-16 unit, so
    // one buffer of the input's length normally suffices.
    return convertInto<UChar>(QString(size + 16, Qt::Uninitialized),
                              [&](UChar** target, UChar* limit, UErrorCode* err) {
                                  ucnv_toUnicode(cnv, target, limit, &source, src + size, nullptr, true, err);
                              });
}

std::optional<QByteArray> icuEncode(const char* name, const QString& text)
{
    UConverter* cnv = strictConverter(name);
    if (!cnv)
        return std::nullopt;
    const UChar* source = reinterpret_cast<const UChar*>(text.utf16());
    const UChar* sourceLimit = source + text.size();
    return convertInto<char>(QByteArray(text.size() * 2 + 16, Qt::Uninitialized),
                             [&](char** target, char* limit, UErrorCode* err) {
                                 ucnv_fromUnicode(cnv, target, limit, &source, sourceLimit, nullptr, true, err);
                             });
}

bool hasUnpairedSurrogate(const char16_t* p, qsizetype n)
{
    for (qsizetype i = 0; i < n; ++i) {
        char16_t c = p[i];
        if (c < 0xD800 || c > 0xDFFF)
            continue;
        if (c >= 0xDC00 || i + 1 >= n || p[i + 1] < 0xDC00 || p[i + 1] > 0xDFFF)
            return true;
        ++i;
    }
    return false;
}

std::optional<QString> decodeUTF16(const char* src, qsizetype size, bool bigEndian)
{
    if (size % 2 != 0)
        return std::nullopt;
    QString out(size / 2, Qt::Uninitialized);
    char16_t* dst = reinterpret_cast<char16_t*>(out.data());
    std::memcpy(dst, src, size);
    const bool hostBig = QSysInfo::ByteOrder == QSysInfo::BigEndian;
    if (bigEndian != hostBig) {
        for (qsizetype i = 0; i < out.size(); ++i)
            dst[i] = char16_t((dst[i] >> 8) | (dst[i] << 8));
    }
    if (hasUnpairedSurrogate(dst, out.size()))
        return std::nullopt;
    return out;
}

QByteArray encodeUTF16(const QString& text, bool bigEndian)
{
    QByteArray out(text.size() * 2, Qt::Uninitialized);
    std::memcpy(out.data(), text.utf16(), out.size());
    const bool hostBig = QSysInfo::ByteOrder == QSysInfo::BigEndian;
    if (bigEndian != hostBig) {
        char* p = out.data();
        for (qsizetype i = 0; i + 1 < out.size(); i += 2)
            std::swap(p[i], p[i + 1]);
    }
    return out;
}

// Code points ICU's Big5 and GBK converters reach only through bytes the
// standards leave undefined: 0x80, 0xFF and the user-defined areas (mapped to
// private use), and for GBK the euro sign, which only the lone 0x80 carries.
bool outsideStandard(TextEncoding::Value v, const QString& text)
{
    if (v != TextEncoding::big5 && v != TextEncoding::gbk)
        return false;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80)
            continue;
        if (u <= 0x9F || (u >= 0xE000 && u <= 0xF8FF) || (v == TextEncoding::gbk && u == 0x20AC))
            return true;
    }
    return false;
}

}  // namespace

bool isValidUTF8(const char* data, qsizetype size)
{
    const auto* s = reinterpret_cast<const unsigned char*>(data);
    qsizetype i = 0;
    while (i < size) {
        if (s[i] < 0x80) {
            // Plain ASCII is the common case: check 16 bytes per step.
            while (i + 16 <= size) {
                std::uint64_t a, b;
                std::memcpy(&a, s + i, 8);
                std::memcpy(&b, s + i + 8, 8);
                if ((a | b) & 0x8080808080808080ULL)
                    break;
                i += 16;
            }
            while (i < size && s[i] < 0x80)
                ++i;
            continue;
        }
        const unsigned c = s[i];
        if (c >= 0xC2 && c <= 0xDF) {
            if (i + 1 >= size || (s[i + 1] & 0xC0) != 0x80)
                return false;
            i += 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            if (i + 2 >= size)
                return false;
            const unsigned lo = c == 0xE0 ? 0xA0 : 0x80;
            const unsigned hi = c == 0xED ? 0x9F : 0xBF;
            if (s[i + 1] < lo || s[i + 1] > hi || (s[i + 2] & 0xC0) != 0x80)
                return false;
            i += 3;
        } else if (c >= 0xF0 && c <= 0xF4) {
            if (i + 3 >= size)
                return false;
            const unsigned lo = c == 0xF0 ? 0x90 : 0x80;
            const unsigned hi = c == 0xF4 ? 0x8F : 0xBF;
            if (s[i + 1] < lo || s[i + 1] > hi || (s[i + 2] & 0xC0) != 0x80 || (s[i + 3] & 0xC0) != 0x80)
                return false;
            i += 4;
        } else {
            return false;
        }
    }
    return true;
}

QString TextEncoding::rawValue() const
{
    switch (v_) {
    case utf8: return QStringLiteral("UTF-8");
    case utf8BOM: return QStringLiteral("UTF-8 with BOM");
    case gb18030: return QStringLiteral("GB18030");
    case gbk: return QStringLiteral("GBK");
    case big5: return QStringLiteral("Big5");
    case shiftJIS: return QStringLiteral("Shift_JIS");
    case utf16LE: return QStringLiteral("UTF-16 LE");
    case utf16BE: return QStringLiteral("UTF-16 BE");
    case latin1: return QStringLiteral("ISO-8859-1");
    }
    return {};
}

std::optional<TextEncoding> TextEncoding::fromRawValue(const QString& label)
{
    for (TextEncoding e : allCases())
        if (e.rawValue() == label)
            return e;
    return std::nullopt;
}

const QList<TextEncoding>& TextEncoding::allCases()
{
    static const QList<TextEncoding> all{utf8, utf8BOM, gb18030, gbk, big5, shiftJIS, utf16LE, utf16BE, latin1};
    return all;
}

const char* TextEncoding::stringEncoding() const
{
    switch (v_) {
    case utf8:
    case utf8BOM: return "UTF-8";
    case gb18030: return "GB18030";
    case gbk: return "windows-936";
    case big5: return "Big5";
    case shiftJIS: return "Shift_JIS";
    case utf16LE: return "UTF-16LE";
    case utf16BE: return "UTF-16BE";
    case latin1: return "ISO-8859-1";
    }
    return "UTF-8";
}

QByteArray TextEncoding::byteOrderMark() const
{
    switch (v_) {
    case utf8BOM: return QByteArray("\xEF\xBB\xBF", 3);
    case utf16LE: return QByteArray("\xFF\xFE", 2);
    case utf16BE: return QByteArray("\xFE\xFF", 2);
    default: return {};
    }
}

std::optional<QString> TextEncoding::decode(const QByteArray& data) const
{
    const QByteArray mark = byteOrderMark();
    const char* src = data.constData();
    qsizetype size = data.size();
    if (!mark.isEmpty() && data.startsWith(mark)) {
        src += mark.size();
        size -= mark.size();
    }
    switch (v_) {
    case utf8:
    case utf8BOM: {
        // One pass: Qt's decoder validates while converting (overlongs,
        // surrogates and truncated sequences are errors). A leading mark
        // is kept as U+FEFF for plain UTF-8.
        QStringDecoder dec(QStringConverter::Utf8,
                           QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
        QString out = dec.decode(QByteArrayView(src, size));
        if (dec.hasError())
            return std::nullopt;
        return out;
    }
    case utf16LE: return decodeUTF16(src, size, false);
    case utf16BE: return decodeUTF16(src, size, true);
    case latin1: return QString::fromLatin1(src, size);
    default: break;
    }
    auto text = icuDecode(stringEncoding(), src, size);
    if (!text || outsideStandard(v_, *text))
        return std::nullopt;
    // Big5 and Shift_JIS have byte sequences that share a character with
    // another sequence; such a reading would change bytes nobody edited on
    // the next save. GB18030 and standard GBK map one to one.
    if (v_ != big5 && v_ != shiftJIS)
        return text;
    const auto again = icuEncode(stringEncoding(), *text);
    if (!again || QByteArrayView(*again) != QByteArrayView(src, size))
        return std::nullopt;
    return text;
}

std::optional<QByteArray> TextEncoding::decodeToUtf8(QByteArray data) const
{
    if (v_ == utf8 || v_ == utf8BOM) {
        // Plain UTF-8 keeps a leading mark as text, as decode does.
        const qsizetype skip = v_ == utf8BOM && data.startsWith(byteOrderMark()) ? 3 : 0;
        if (!isValidUTF8(data.constData() + skip, data.size() - skip))
            return std::nullopt;
        data.remove(0, skip);
        return data;
    }
    auto text = decode(data);
    data = QByteArray();
    if (!text)
        return std::nullopt;
    return text->toUtf8();
}

TextEncoding::Utf8Decoder::Utf8Decoder(TextEncoding encoding)
    : encoding_(encoding), converter_(openStrict(encoding.stringEncoding()).release())
{
}

TextEncoding::Utf8Decoder::~Utf8Decoder() { Converter(static_cast<UConverter*>(converter_)); }

std::optional<QByteArray> TextEncoding::Utf8Decoder::decode(QByteArrayView piece, bool last)
{
    auto* cnv = static_cast<UConverter*>(converter_);
    if (!cnv || !encoding_.decodesInPieces())
        return std::nullopt;
    const char* source = piece.data();
    const char* end = source + piece.size();
    auto text = convertInto<UChar>(QString(piece.size() + 16, Qt::Uninitialized),
                                   [&](UChar** target, UChar* limit, UErrorCode* err) {
                                       ucnv_toUnicode(cnv, target, limit, &source, end, nullptr, last, err);
                                   });
    if (!text || outsideStandard(encoding_, *text))
        return std::nullopt;
    text->prepend(std::exchange(pending_, QString()));
    if (!last && !text->isEmpty() && text->back().isHighSurrogate()) {
        pending_ = text->back();
        text->chop(1);
    }
    return text->toUtf8();
}

std::optional<QByteArray> TextEncoding::encode(const QString& text) const
{
    std::optional<QByteArray> body;
    const auto* units = reinterpret_cast<const char16_t*>(text.utf16());
    switch (v_) {
    case utf8:
    case utf8BOM:
    case utf16LE:
    case utf16BE:
        if (hasUnpairedSurrogate(units, text.size()))
            return std::nullopt;
        if (v_ == utf16LE || v_ == utf16BE)
            body = encodeUTF16(text, v_ == utf16BE);
        else
            body = text.toUtf8();
        break;
    case latin1:
        for (QChar c : text)
            if (c.unicode() > 0xFF)
                return std::nullopt;
        body = text.toLatin1();
        break;
    default:
        if (hasUnpairedSurrogate(units, text.size()) || outsideStandard(v_, text))
            return std::nullopt;
        body = icuEncode(stringEncoding(), text);
        break;
    }
    if (!body)
        return std::nullopt;
    const QByteArray mark = byteOrderMark();
    if (mark.isEmpty())
        return body;
    return mark + *body;
}
