#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QJsonValue>
#include <optional>

// Stored records (snapshots, preferences) as JSON text, through Qt's JSON.
// The text stays what the program has always written: compact, with "/"
// escaped as "\/"; files with either spelling read the same.
namespace StoredJSON {

// Any value, also a bare string or number at the top.
QByteArray write(const QJsonValue& value);
// Absent on any syntax error, invalid UTF-8 or trailing text.
std::optional<QJsonValue> read(QByteArrayView text);

// A number that is a whole value in int range.
std::optional<int> toInt(const QJsonValue& value);

// Timestamps are seconds since 2001-01-01 00:00:00 UTC.
double seconds(const QDateTime& t);
std::optional<QDateTime> date(double seconds);

}
