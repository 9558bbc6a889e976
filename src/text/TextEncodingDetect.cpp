#include "text/TextEncoding.h"

#include <unicode/ucsdet.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

namespace {

// The charset detector reads a prefix; its statistics settle long before.
constexpr qsizetype sniffLimit = 64 * 1024;

struct DetectorCloser {
    void operator()(UCharsetDetector* d) const { ucsdet_close(d); }
};

// Legacy encodings that may read non-UTF-8 bytes, in the order that wins ties.
constexpr std::array<TextEncoding::Value, 4> legacy{TextEncoding::gb18030, TextEncoding::big5, TextEncoding::shiftJIS,
                                                    TextEncoding::latin1};

int legacyIndex(const char* name)
{
    if (!std::strcmp(name, "GB18030"))
        return 0;
    if (!std::strcmp(name, "Big5"))
        return 1;
    if (!std::strcmp(name, "Shift_JIS"))
        return 2;
    // The Latin recogniser reports windows-1252 when C1 bytes occur; the
    // nearest of our encodings is still ISO-8859-1.
    if (!std::strcmp(name, "ISO-8859-1") || !std::strcmp(name, "windows-1252"))
        return 3;
    return -1;
}

// ICU's confidence (0-100) for each legacy encoding, by a prefix of the data.
std::array<int, 4> confidences(const QByteArray& data)
{
    std::array<int, 4> out{};
    qsizetype size = data.size();
    if (size > sniffLimit) {
        // End the sample at a line break so no character is cut in two.
        const qsizetype cut = data.lastIndexOf('\n', sniffLimit);
        size = cut > 0 ? cut + 1 : sniffLimit;
    }
    UErrorCode err = U_ZERO_ERROR;
    std::unique_ptr<UCharsetDetector, DetectorCloser> det(ucsdet_open(&err));
    if (U_FAILURE(err))
        return out;
    ucsdet_setText(det.get(), data.constData(), int32_t(size), &err);
    int32_t count = 0;
    const UCharsetMatch** matches = ucsdet_detectAll(det.get(), &count, &err);
    if (U_FAILURE(err))
        return out;
    for (int32_t i = 0; i < count; ++i) {
        UErrorCode e = U_ZERO_ERROR;
        const int at = legacyIndex(ucsdet_getName(matches[i], &e));
        if (at >= 0 && U_SUCCESS(e))
            out[at] = std::max(out[at], int(ucsdet_getConfidence(matches[i], &e)));
    }
    return out;
}

std::optional<QString> cleanDecode(TextEncoding e, const QByteArray& data)
{
    auto text = e.decode(data);
    if (text && text->contains(QChar(0xFFFD)))
        return std::nullopt;
    return text;
}

// Share of UTF-16 units that are ordinary text: controls for line breaks and
// tabs, Latin, general punctuation, CJK and Hangul, full-width forms.
double plausibleShare(const QString& text)
{
    const qsizetype n = std::min<qsizetype>(text.size(), sniffLimit / 2);
    if (n == 0)
        return 0;
    qsizetype good = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = text.at(i).unicode();
        if (u == '\t' || u == '\n' || u == '\r' || (u >= 0x20 && u < 0x7F) || (u >= 0xA0 && u < 0x250)
            || (u >= 0x2010 && u < 0x2070) || (u >= 0x3000 && u < 0x3100) || (u >= 0x4E00 && u < 0xA000)
            || (u >= 0xAC00 && u < 0xD7A4) || (u >= 0xFF00 && u < 0xFFF0))
            ++good;
    }
    return double(good) / double(n);
}

// Text files hold no NUL byte, UTF-16 text without a mark almost always
// does (every ASCII character carries one).
std::optional<TextEncoding> likelyUTF16(const QByteArray& data)
{
    if (data.size() < 2 || data.size() % 2 != 0
        || !std::memchr(data.constData(), 0, std::min<qsizetype>(data.size(), sniffLimit)))
        return std::nullopt;
    std::optional<TextEncoding> best;
    double bestShare = 0.9;
    for (TextEncoding e : {TextEncoding(TextEncoding::utf16LE), TextEncoding(TextEncoding::utf16BE)}) {
        const auto text = e.decode(data);
        if (!text)
            continue;
        const double share = plausibleShare(*text);
        if (share > bestShare) {
            bestShare = share;
            best = e;
        }
    }
    return best;
}

// Latin text has its few high bytes between ASCII letters; CJK encodings and
// binary data have runs of them, and binary data has NULs and controls.
bool looksLatin(const QByteArray& data)
{
    const auto* s = reinterpret_cast<const unsigned char*>(data.constData());
    const qsizetype n = std::min<qsizetype>(data.size(), sniffLimit);
    qsizetype high = 0, isolated = 0, controls = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const unsigned c = s[i];
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f')
            ++controls;
        if (c < 0x80)
            continue;
        ++high;
        const bool before = i == 0 || s[i - 1] < 0x80;
        const bool after = i + 1 == n || s[i + 1] < 0x80;
        if (before || after)
            ++isolated;
    }
    return high > 0 && controls * 100 <= n && isolated * 4 >= high * 3;
}

// Share of double-byte characters inside GB2312's range, where nearly all of
// a real Simplified Chinese text lies; Big5 and Shift_JIS bytes read as
// GB18030 mostly fall outside it.
double gb2312Share(const QByteArray& data)
{
    const auto* s = reinterpret_cast<const unsigned char*>(data.constData());
    const qsizetype n = std::min<qsizetype>(data.size(), sniffLimit);
    qsizetype pairs = 0, common = 0;
    for (qsizetype i = 0; i + 1 < n; ++i) {
        if (s[i] < 0x80)
            continue;
        ++pairs;
        if (s[i] >= 0xA1 && s[i] <= 0xF7 && s[i + 1] >= 0xA1 && s[i + 1] <= 0xFE)
            ++common;
        // A four-byte sequence has a digit second; count it once.
        i += (s[i + 1] >= 0x30 && s[i + 1] <= 0x39) ? 3 : 1;
    }
    return pairs ? double(common) / double(pairs) : 1.0;
}

}  // namespace

TextEncoding::Detection TextEncoding::detect(const QByteArray& data)
{
    struct Marked {
        const char* mark;
        qsizetype length;
        TextEncoding encoding;
    };
    static const Marked marked[] = {
        {"\xEF\xBB\xBF", 3, utf8BOM},
        {"\xFF\xFE", 2, utf16LE},
        {"\xFE\xFF", 2, utf16BE},
    };
    for (const Marked& m : marked) {
        if (data.startsWith(QByteArrayView(m.mark, m.length))) {
            if (auto text = m.encoding.decode(data))
                return {*text, m.encoding, false, std::nullopt};
        }
    }
    if (auto text = TextEncoding(utf8).decode(data))
        return {*text, utf8, false, likelyUTF16(data)};

    // Several legacy encodings often read the same bytes; try them in the
    // order the charset detector ranks them, GB18030 first on a tie. Latin-1
    // reads anything, so it wins only over another clean reading.
    std::array<int, 4> score = confidences(data);
    // On a few dozen bytes every CJK recogniser reports the same floor; then
    // GB18030 keeps the tie only while its reading looks like GB2312 text.
    if (gb2312Share(data) < 0.9)
        score[0] -= 1;
    // Only bytes that look like Latin text may be read as Latin-1 here.
    if (!looksLatin(data))
        score[3] = -1;
    std::array<int, 4> order{0, 1, 2, 3};
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return score[a] > score[b]; });
    bool latinPreferred = false;
    for (int i : order) {
        const TextEncoding candidate = legacy[i];
        if (candidate == latin1) {
            latinPreferred = true;
            continue;
        }
        if (auto text = cleanDecode(candidate, data)) {
            if (latinPreferred)
                return {QString::fromLatin1(data), latin1, false, likelyUTF16(data)};
            return {*text, candidate, false, likelyUTF16(data)};
        }
    }

    // Nothing fits: show a repaired UTF-8 reading, reported as Latin-1, and
    // name the encoding that would keep every byte when one stands out.
    Detection out{QString::fromUtf8(data), latin1, true, likelyUTF16(data)};
    if (!out.likely && looksLatin(data))
        out.likely = latin1;
    return out;
}

std::optional<TextEncoding> TextEncoding::utf16Reading(QByteArrayView head)
{
    if (head.startsWith("\xFF\xFE"))
        return utf16LE;
    if (head.startsWith("\xFE\xFF"))
        return utf16BE;
    // A block may end inside a unit.
    const qsizetype even = std::min<qsizetype>(head.size(), sniffLimit) & ~qsizetype(1);
    return likelyUTF16(head.first(even).toByteArray());
}

TextEncoding::Utf8Reading TextEncoding::detectUtf8(QByteArray data)
{
    static const QByteArray mark = TextEncoding(utf8BOM).byteOrderMark();
    if (data.startsWith(mark) && isValidUTF8(data.constData() + mark.size(), data.size() - mark.size())) {
        data.remove(0, mark.size());
        return {std::move(data), utf8BOM, std::nullopt};
    }
    // Neither UTF-16 mark is valid UTF-8, so a marked file never gets here.
    if (isValidUTF8(data.constData(), data.size())) {
        auto likely = likelyUTF16(data);
        return {std::move(data), utf8, likely};
    }
    Detection d = detect(data);
    data = QByteArray();
    return {d.text.toUtf8(), d.encoding, d.likely};
}
