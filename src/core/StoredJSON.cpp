#include "core/StoredJSON.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <limits>

namespace {
// 2001-01-01T00:00:00Z in milliseconds since the Unix epoch.
constexpr qint64 referenceMSecs = 978307200000LL;
}

namespace StoredJSON {

QByteArray write(const QJsonValue& value)
{
    QByteArray out;
    if (value.isObject()) {
        out = QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact);
    } else if (value.isArray()) {
        out = QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact);
    } else {
        // A document holds only arrays and objects: write the value as the
        // one element of an array and take the brackets off again.
        out = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
        out = out.mid(1, out.size() - 2);
    }
    // "/" occurs only inside strings in JSON text, so this is exact.
    return out.replace('/', QByteArrayLiteral("\\/"));
}

std::optional<QJsonValue> read(QByteArrayView text)
{
    // The brackets let a bare value at the top parse too; a second value
    // after the first shows as a second element.
    QByteArray wrapped;
    wrapped.reserve(text.size() + 2);
    wrapped.append('[').append(text).append(']');
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(wrapped, &error);
    if (error.error != QJsonParseError::NoError || !doc.isArray() || doc.array().size() != 1)
        return std::nullopt;
    return doc.array().at(0);
}

std::optional<int> toInt(const QJsonValue& value)
{
    if (!value.isDouble())
        return std::nullopt;
    const double d = value.toDouble();
    if (!std::isfinite(d) || d != std::trunc(d) || d < std::numeric_limits<int>::min()
        || d > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(d);
}

double seconds(const QDateTime& t) { return double(t.toMSecsSinceEpoch() - referenceMSecs) / 1000.0; }

std::optional<QDateTime> date(double seconds)
{
    // Beyond a few hundred thousand years QDateTime cannot represent it.
    if (!std::isfinite(seconds) || std::fabs(seconds) > 1e13)
        return std::nullopt;
    const QDateTime t = QDateTime::fromMSecsSinceEpoch(qint64(std::llround(seconds * 1000.0)) + referenceMSecs,
                                                       Qt::UTC);
    if (!t.isValid())
        return std::nullopt;
    return t;
}

}
