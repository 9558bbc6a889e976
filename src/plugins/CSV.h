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
// The same walk, handing each row over as it completes.
void forEachRow(const QString& text, QChar separator, const std::function<void(QStringList&)>& row);
}
