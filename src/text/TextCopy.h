#pragma once

#include <QByteArray>
#include <QString>
#include <QStringDecoder>

// A document's text as it was at one moment, for another thread to read:
// either an editor's UTF-8 bytes, copied, or a held text, shared. Taking one
// never converts; toString() does, on whichever thread needs a QString.
struct TextCopy {
    TextCopy() = default;
    TextCopy(QString text) : text(std::move(text)) {}
    static TextCopy fromUtf8(QByteArray bytes)
    {
        TextCopy c;
        c.utf8 = std::move(bytes);
        if (c.utf8.isNull())
            c.utf8 = QByteArray("");
        return c;
    }

    bool isUtf8() const { return !utf8.isNull(); }
    QString toString() const { return isUtf8() ? decode(utf8) : text; }
    // Like QString::fromUtf8, but a leading U+FEFF is text and stays.
    static QString decode(QByteArrayView utf8)
    {
        QStringDecoder d(QStringConverter::Utf8,
                         QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
        return d.decode(utf8);
    }
    QByteArray toUtf8() const { return isUtf8() ? utf8 : text.toUtf8(); }

    QByteArray utf8;
    QString text;
};
