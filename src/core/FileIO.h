#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>
#include <variant>

// A value or a user-visible error message.
template <class T>
class Result {
public:
    Result(T value) : v_(std::move(value)) {}
    static Result failure(QString message) { Result r; r.v_ = Error{std::move(message)}; return r; }

    explicit operator bool() const { return v_.index() == 0; }
    bool ok() const { return v_.index() == 0; }
    T& value() { return std::get<0>(v_); }
    const T& value() const { return std::get<0>(v_); }
    T* operator->() { return &value(); }
    const QString& error() const { return std::get<1>(v_).message; }

private:
    struct Error { QString message; };
    Result() = default;
    std::variant<T, Error> v_;
};

namespace FileIO {
// Whole-file read; errors are described in Chinese.
Result<QByteArray> read(const QString& path);
// Writes through a temporary file and renames it over the target, so the
// old content survives any failure. Returns the error, or nullopt.
std::optional<QString> writeAtomically(const QString& path, const QByteArray& bytes);
std::optional<QDateTime> modificationDate(const QString& path);
// "~" for the home directory.
QString abbreviateHome(const QString& path);
}
