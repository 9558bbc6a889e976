#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <future>
#include <memory>

// The text a document was last read from or written as, kept as its UTF-8
// length and digests instead of a copy. The digests are taken on a worker
// thread; a question that needs them waits for it.
class TextBaseline {
public:
    // The empty text.
    TextBaseline();
    static TextBaseline of(const QString& text);
    // The same from the text's UTF-8 bytes, shared with the worker.
    static TextBaseline ofUtf8(const QByteArray& utf8);

    // In UTF-8 bytes.
    qsizetype length() const { return length_; }
    // Equal up to Unicode canonical equivalence. Any thread.
    bool matches(QStringView text) const;
    bool matchesUtf8(QByteArrayView utf8) const;
    // Byte for byte the same text; cheaper than matchesUtf8 when that is
    // all a caller needs to know.
    bool sameBytes(QByteArrayView utf8) const;
    // Whether the text is in NFC: a different text in NFC is never
    // canonically equal to it.
    bool isNFC() const;
    // The same text, code unit for code unit.
    bool operator==(const TextBaseline& other) const;
    // Hexadecimal digest of the text as it is, for messages.
    QString fingerprint() const;

    // Takes the digests while the text passes by in pieces cut anywhere, so
    // that no whole copy of it is needed.
    class Builder {
    public:
        Builder();
        ~Builder();
        Builder(Builder&&) noexcept;
        Builder& operator=(Builder&&) noexcept;
        void add(QByteArrayView utf8);
        TextBaseline finish();

    private:
        struct State;
        std::unique_ptr<State> s_;
    };

private:
    struct Digests {
        QByteArray exact;  // of the UTF-8 bytes
        QByteArray nfc;    // of the NFC form's UTF-8 bytes
    };
    static Digests digestsOf(QByteArrayView utf8);

    qsizetype length_ = 0;
    std::shared_future<Digests> digests_;
};
