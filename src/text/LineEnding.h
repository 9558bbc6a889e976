#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <cstdint>
#include <optional>

// The line separator a file uses on disk; inside the editor text is LF only.
class LineEnding {
public:
    enum Value : std::uint8_t { lf, crlf, cr };

    constexpr LineEnding(Value v = lf) : v_(v) {}
    constexpr operator Value() const { return v_; }

    QString rawValue() const;
    static std::optional<LineEnding> fromRawValue(const QString& label);
    static const QList<LineEnding>& allCases();

    QString sequence() const;
    QString hint() const;

    static LineEnding detect(const QString& text);
    static QString normalize(QString text);
    // The same on UTF-8 bytes (CR and LF never occur inside a sequence).
    static LineEnding detect(QByteArrayView utf8);
    static QByteArray normalize(QByteArray utf8);

private:
    Value v_;
};
