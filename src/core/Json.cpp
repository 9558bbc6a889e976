#include "core/Json.h"

#include <cmath>
#include <limits>

namespace {
// 2001-01-01T00:00:00Z in milliseconds since the Unix epoch.
constexpr qint64 referenceMSecs = 978307200000LL;
}

Json::Json(Array a) : v_(std::make_shared<const Array>(std::move(a))) {}
Json::Json(Object o) : v_(std::make_shared<const Object>(std::move(o))) {}

const Json::Array& Json::toArray() const { return *std::get<std::shared_ptr<const Array>>(v_); }
const Json::Object& Json::toObject() const { return *std::get<std::shared_ptr<const Object>>(v_); }

std::optional<int> Json::toInt() const
{
    if (!isNumber())
        return std::nullopt;
    const double d = toNumber();
    if (!std::isfinite(d) || d != std::trunc(d) || d < std::numeric_limits<int>::min()
        || d > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(d);
}

const Json* Json::Object::value(QStringView key) const
{
    for (auto it = members_.rbegin(); it != members_.rend(); ++it)
        if (it->first == key)
            return &it->second;
    return nullptr;
}

const Json* Json::Object::value(QLatin1String key) const
{
    for (auto it = members_.rbegin(); it != members_.rend(); ++it)
        if (it->first == key)
            return &it->second;
    return nullptr;
}

double Json::seconds(const QDateTime& t)
{
    return double(t.toMSecsSinceEpoch() - referenceMSecs) / 1000.0;
}

std::optional<QDateTime> Json::date(double seconds)
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
