#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <memory>
#include <optional>
#include <utility>
#include <variant>
#include <vector>

// A JSON value as the program stores it (snapshots, preferences). The one
// writer produces compact text with "/" escaped; the one reader is strict.
class Json {
public:
    enum class Type { null, boolean, number, string, array, object };
    using Array = std::vector<Json>;
    class Object;

    Json() = default;
    Json(std::nullptr_t) {}
    Json(bool b) : v_(b) {}
    Json(int n) : v_(double(n)) {}
    Json(double d) : v_(d) {}
    Json(QString s) : v_(std::move(s)) {}
    Json(Array a);
    Json(Object o);
    Json(const char*) = delete;  // say QStringLiteral; avoids a silent bool

    Type type() const { return Type(v_.index()); }
    bool isNull() const { return type() == Type::null; }
    bool isBool() const { return type() == Type::boolean; }
    bool isNumber() const { return type() == Type::number; }
    bool isString() const { return type() == Type::string; }
    bool isArray() const { return type() == Type::array; }
    bool isObject() const { return type() == Type::object; }

    // Callers check the type first.
    bool toBool() const { return std::get<bool>(v_); }
    double toNumber() const { return std::get<double>(v_); }
    const QString& toString() const { return std::get<QString>(v_); }
    const Array& toArray() const;
    const Object& toObject() const;

    // A number that is a whole value in int range.
    std::optional<int> toInt() const;

    // Compact text; absent when a number is not finite.
    static std::optional<QByteArray> write(const Json& value);
    // Absent on any syntax error, invalid UTF-8, trailing text or nesting
    // deeper than maxDepth.
    static std::optional<Json> read(QByteArrayView text);
    static constexpr int maxDepth = 200;

    // Timestamps are seconds since 2001-01-01 00:00:00 UTC.
    static double seconds(const QDateTime& t);
    static std::optional<QDateTime> date(double seconds);

private:
    std::variant<std::monostate, bool, double, QString, std::shared_ptr<const Array>,
                 std::shared_ptr<const Object>> v_;
};

// Members in insertion order; lookups take the last member of a name.
class Json::Object {
public:
    void insert(QString key, Json value) { members_.emplace_back(std::move(key), std::move(value)); }
    const Json* value(QStringView key) const;
    const Json* value(QLatin1String key) const;
    const std::vector<std::pair<QString, Json>>& members() const { return members_; }

private:
    std::vector<std::pair<QString, Json>> members_;
};
