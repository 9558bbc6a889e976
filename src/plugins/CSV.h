#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

// Delimited text: separator detection from the first line and a quote-aware parser.
namespace CSV {

// ",", tab, ";" or "|": the most frequent outside quotes on the first line; "," on ties and when none occur.
QChar detectSeparator(const QString& text);
// Rows of fields; rows may differ in length. Quoted fields may span lines.
QList<QStringList> parse(const QString& text, QChar separator);
struct Shape {
    qsizetype rows = 0;
    qsizetype widest = 0;  // fields in the longest row
};
// Rows and the widest row, by the same rules, without copying any field.
Shape measure(const QString& text, QChar separator);
// The same walk, handing each row over as it completes until `row` returns false.
void forEachRow(const QString& text, QChar separator, const std::function<bool(QStringList&)>& row);
// The same, with the 0-based line of the text each row starts on (quoted fields may span lines).
void forEachRowAt(const QString& text, QChar separator, const std::function<bool(QStringList&, qsizetype)>& row);

// The same over UTF-8 bytes, without a UTF-16 copy of the whole text: only
// the fields handed over are converted.
QChar detectSeparatorUtf8(QByteArrayView utf8);
Shape measureUtf8(QByteArrayView utf8, QChar separator);
void forEachRowAtUtf8(QByteArrayView utf8, QChar separator, const std::function<bool(QStringList&, qsizetype)>& row);
}
