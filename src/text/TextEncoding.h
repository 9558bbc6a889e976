#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>
#include <optional>

// How a file's bytes are turned into text and back. The raw value is the
// label shown to the user and stored in snapshots.
class TextEncoding {
public:
    enum Value : std::uint8_t { utf8, utf8BOM, gb18030, gbk, big5, shiftJIS, utf16LE, utf16BE, latin1 };

    constexpr TextEncoding(Value v = utf8) : v_(v) {}
    constexpr operator Value() const { return v_; }

    QString rawValue() const;
    static std::optional<TextEncoding> fromRawValue(const QString& label);
    static const QList<TextEncoding>& allCases();

    // ICU converter name for this character set.
    const char* stringEncoding() const;
    // The mark written by encode and stripped by decode; empty when none.
    QByteArray byteOrderMark() const;

    // Strict: invalid input gives nullopt, nothing is ever substituted.
    std::optional<QString> decode(const QByteArray& data) const;
    // Strict: an unrepresentable character gives nullopt.
    std::optional<QByteArray> encode(const QString& text) const;

    struct Detection;
    static Detection detect(const QByteArray& data);

    // A file's bytes as UTF-8 text without a detour through UTF-16: the
    // bytes themselves when they are UTF-8 (a UTF-8 mark taken off), else
    // one conversion. What decode/detect would read, as UTF-8.
    struct Utf8Reading;
    static Utf8Reading detectUtf8(QByteArray data);
    // The UTF-16 byte order that reads these bytes (a file's first block, a
    // character cut off at its end allowed) as ordinary text, if one does.
    static std::optional<TextEncoding> utf16Reading(QByteArrayView head);
    std::optional<QByteArray> decodeToUtf8(QByteArray data) const;

    // Whether Utf8Decoder reads this encoding piece by piece exactly as
    // decodeToUtf8 reads it whole.
    bool decodesInPieces() const { return v_ == gb18030 || v_ == gbk; }
    // Strict decoding to UTF-8 in pieces cut anywhere: a character split
    // between two pieces is finished with the next.
    class Utf8Decoder;

private:
    Value v_;
};

struct TextEncoding::Detection {
    QString text;
    TextEncoding encoding;
    // Nothing decoded cleanly: text is a UTF-8 reading with U+FFFD in place
    // of the invalid bytes.
    bool repaired = false;
    // Set when the reading is doubtful (repaired, or NULs that look like
    // UTF-16 without a mark) and another encoding reads the bytes cleanly.
    std::optional<TextEncoding> likely;
};

class TextEncoding::Utf8Decoder {
public:
    explicit Utf8Decoder(TextEncoding encoding);
    ~Utf8Decoder();
    Utf8Decoder(const Utf8Decoder&) = delete;
    Utf8Decoder& operator=(const Utf8Decoder&) = delete;
    // nullopt when the bytes are not valid in the encoding.
    std::optional<QByteArray> decode(QByteArrayView piece, bool last);

private:
    TextEncoding encoding_;
    void* converter_;
    QString pending_;  // a high surrogate waiting for its pair
};

struct TextEncoding::Utf8Reading {
    QByteArray utf8;
    TextEncoding encoding;
    std::optional<TextEncoding> likely;
};

// True when the whole buffer is well-formed UTF-8 (no overlongs, no
// surrogates, nothing above U+10FFFF, no truncated sequence).
bool isValidUTF8(const char* data, qsizetype size);
