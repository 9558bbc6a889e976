#pragma once

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
    qsizetype widest = 0; // fields in the longest row
};
// The same walk, handing each row over as it completes until `row` returns
// false; the rows after that are only counted, without copying fields.
Shape forEachRow(const QString& text, QChar separator, const std::function<bool(QStringList&)>& row);
}
