#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <memory>

// Where an opened file's UTF-8 text goes while it is read: filled in pieces
// on the reading thread, then handed whole to the main thread. An editor
// supplies one that builds its buffer; otherwise the text is a byte array.
class TextSink {
public:
    virtual ~TextSink() = default;
    // False when memory ran out.
    virtual bool append(QByteArrayView utf8) = 0;
    virtual qsizetype size() const = 0;
    // A copy of the text so far.
    virtual QByteArray utf8() const = 0;
};

class ByteSink final : public TextSink {
public:
    explicit ByteSink(qsizetype reserve = 0) { bytes_.reserve(reserve); }
    bool append(QByteArrayView utf8) override
    {
        bytes_.append(utf8);
        return true;
    }
    qsizetype size() const override { return bytes_.size(); }
    QByteArray utf8() const override { return bytes_.isNull() ? QByteArray("") : bytes_; }
    QByteArray take() { return std::exchange(bytes_, QByteArray()); }

private:
    QByteArray bytes_;
};
