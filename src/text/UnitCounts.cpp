#include "text/UnitCounts.h"

#include <algorithm>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace UnitCounts {

// UTF-16 code units of a UTF-8 run: one per lead byte, two for four-byte
// sequences. Columns in a line of megabytes count this over the whole line,
// so sixteen bytes go at a time where SSE2 is there.
qsizetype utf16Units(QByteArrayView utf8)
{
    const char* s = utf8.data();
    const qsizetype n = utf8.size();
    qsizetype units = 0, i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i lastTrail = _mm_set1_epi8(char(0xBF)), beforeFour = _mm_set1_epi8(char(0xEF));
    while (n - i >= 16) {
        // Each byte lane adds at most 2 a step: 127 steps fit in a byte.
        __m128i acc = zero;
        const qsizetype steps = std::min<qsizetype>((n - i) / 16, 127);
        for (qsizetype k = 0; k < steps; ++k, i += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
            // As signed bytes: trail bytes are -128..-65, four-byte leads -16..-9.
            const __m128i lead = _mm_cmpgt_epi8(v, lastTrail);
            const __m128i four = _mm_and_si128(_mm_cmpgt_epi8(v, beforeFour), _mm_cmpgt_epi8(zero, v));
            acc = _mm_sub_epi8(_mm_sub_epi8(acc, lead), four);
        }
        const __m128i sums = _mm_sad_epu8(acc, zero);
        units += _mm_cvtsi128_si32(sums) + _mm_cvtsi128_si32(_mm_srli_si128(sums, 8));
    }
#endif
    for (; i < n; ++i) {
        const auto c = uchar(s[i]);
        if ((c & 0xC0) != 0x80)
            units += c >= 0xF0 ? 2 : 1;
    }
    return units;
}

// UTF-8 bytes of a UTF-16 text: 1 to 3 a unit, 2 for each half of a
// surrogate pair. Opening a large file counts this over every unit, so eight
// units go at a time where SSE2 is there.
qsizetype utf8Bytes(QStringView text)
{
    const auto* u = reinterpret_cast<const char16_t*>(text.utf16());
    const qsizetype n = text.size();
    qsizetype bytes = 0, i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i ascii = _mm_set1_epi16(short(0xFF80)), wide = _mm_set1_epi16(short(0xF800));
    const __m128i surrogate = _mm_set1_epi16(short(0xD800));
    while (n - i >= 8) {
        // Each lane adds -3..0 a step: 8192 steps stay inside 16 bits.
        __m128i acc = zero;
        const qsizetype steps = std::min<qsizetype>((n - i) / 8, 8192);
        for (qsizetype k = 0; k < steps; ++k, i += 8) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(u + i));
            const __m128i high = _mm_and_si128(v, wide);
            // -1 where below 0x80, below 0x800, or a surrogate half
            acc = _mm_add_epi16(acc, _mm_cmpeq_epi16(_mm_and_si128(v, ascii), zero));
            acc = _mm_add_epi16(acc, _mm_cmpeq_epi16(high, zero));
            acc = _mm_add_epi16(acc, _mm_cmpeq_epi16(high, surrogate));
        }
        const __m128i sums = _mm_madd_epi16(acc, _mm_set1_epi16(1));
        alignas(16) int32_t lanes[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(lanes), sums);
        bytes += 3 * 8 * steps + lanes[0] + lanes[1] + lanes[2] + lanes[3];
    }
#endif
    for (; i < n; ++i) {
        const char16_t c = u[i];
        bytes += 1 + (c >= 0x80) + (c >= 0x800) - ((c & 0xF800) == 0xD800);
    }
    return bytes;
}

}
