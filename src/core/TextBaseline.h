#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <future>

// The text a document was last read from or written as, kept as its length
// and digests instead of a copy. The digests are taken on a worker thread;
// a question that needs them waits for it.
class TextBaseline {
public:
    // The empty text.
    TextBaseline();
    static TextBaseline of(const QString& text);

    qsizetype length() const { return length_; }
    // Equal up to Unicode canonical equivalence. Any thread.
    bool matches(QStringView text) const;
    // The same text, code unit for code unit.
    bool operator==(const TextBaseline& other) const;
    // Hexadecimal digest of the text as it is, for messages.
    QString fingerprint() const;

private:
    struct Digests {
        QByteArray exact;  // of the UTF-16 code units
        QByteArray nfc;    // of the NFC form's code units
    };
    static Digests digestsOf(QStringView text);

    qsizetype length_ = 0;
    std::shared_future<Digests> digests_;
};
