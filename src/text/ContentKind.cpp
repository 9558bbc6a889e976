#include "text/ContentKind.h"

#include "text/TextEncoding.h"

#include <cstring>

namespace {

// Every byte of the literal, NULs included (a plain view would stop at the first).
template <qsizetype N> constexpr QByteArrayView bytes(const char (&s)[N]) { return QByteArrayView(s, N - 1); }

struct Signature {
    qsizetype at;
    QByteArrayView bytes;
    ContentKind kind;
};

// The starts of pictures, archives, PDF and programs. Signatures that text
// may well start with ("BM", "MZ") are left out or checked further below.
const Signature signatures[] = {
    {0, bytes("\x89PNG\r\n\x1A\n"), ContentKind::image},
    {0, bytes("\xFF\xD8\xFF"), ContentKind::image},
    {0, bytes("GIF87a"), ContentKind::image},
    {0, bytes("GIF89a"), ContentKind::image},
    {8, bytes("WEBP"), ContentKind::image},
    {0, bytes("II*\0"), ContentKind::image},
    {0, bytes("MM\0*"), ContentKind::image},
    {4, bytes("ftypavif"), ContentKind::image},
    {4, bytes("ftypheic"), ContentKind::image},
    {0, bytes("\0\0\1\0"), ContentKind::image},
    {0, bytes("8BPS"), ContentKind::image},
    {0, bytes("%PDF-"), ContentKind::binary},
    {0, bytes("PK\3\4"), ContentKind::binary},
    {0, bytes("PK\5\6"), ContentKind::binary},
    {0, bytes("\x1F\x8B"), ContentKind::binary},
    {0,
     bytes("\xFD"
           "7zXZ\0"),
     ContentKind::binary},
    {0, bytes("7z\xBC\xAF\x27\x1C"), ContentKind::binary},
    {0, bytes("\x28\xB5\x2F\xFD"), ContentKind::binary},
    {0, bytes("Rar!\x1A\x07"), ContentKind::binary},
    {0,
     bytes("\x7F"
           "ELF"),
     ContentKind::binary},
    {0, bytes("\xCA\xFE\xBA\xBE"), ContentKind::binary},
    {0, bytes("\xCF\xFA\xED\xFE"), ContentKind::binary},
    {0, bytes("\0asm"), ContentKind::binary},
    {0, bytes("SQLite format 3\0"), ContentKind::binary},
};

bool startsWithAt(QByteArrayView head, const Signature& s)
{
    return head.size() >= s.at + s.bytes.size() && head.sliced(s.at, s.bytes.size()) == s.bytes;
}

}

namespace ContentSniff {

ContentKind kind(QByteArrayView head)
{
    head = head.first(std::min(head.size(), headBytes));
    // A UTF-8 mark before anything else makes it text, whatever follows.
    if (head.startsWith("\xEF\xBB\xBF"))
        return ContentKind::text;
    for (const Signature& s : signatures)
        if (startsWithAt(head, s))
            // RIFF holds WAV and AVI too; only its WebP form counts as a picture.
            return s.bytes == bytes("WEBP") && !head.startsWith("RIFF") ? ContentKind::text : s.kind;
    // "BM" starts many words; a bitmap's header has its reserved zeros right after the size.
    if (head.startsWith("BM") && head.size() >= 10 && head.sliced(6, 4) == bytes("\0\0\0\0"))
        return ContentKind::image;
    if (head.isEmpty() || !std::memchr(head.data(), 0, size_t(head.size())))
        return ContentKind::text;
    // NULs: text only as UTF-16, which has one in nearly every ASCII character.
    return TextEncoding::utf16Reading(head) ? ContentKind::text : ContentKind::binary;
}

}
