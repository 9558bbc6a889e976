#pragma once

#include "core/Json.h"
#include "core/SessionItem.h"
#include "core/Settings.h"
#include "core/Tag.h"

#include <QList>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUuid>
#include <algorithm>
#include <optional>

// How each stored record type maps to JSON. decode is strict: a missing or
// mistyped required key makes the whole value unreadable.
template <class T>
struct JsonCodec;

// Canonical upper-case UUID text, and its strict parse (8-4-4-4-12 hex).
QString uuidText(const QUuid& id);
std::optional<QUuid> parseUuid(const QString& text);

template <>
struct JsonCodec<QString> {
    static Json encode(const QString& s) { return Json(s); }
    static std::optional<QString> decode(const Json& j)
    {
        if (!j.isString())
            return std::nullopt;
        return j.toString();
    }
};

template <class T>
struct JsonCodec<QList<T>> {
    static Json encode(const QList<T>& list)
    {
        Json::Array a;
        a.reserve(size_t(list.size()));
        for (const T& item : list)
            a.push_back(JsonCodec<T>::encode(item));
        return Json(std::move(a));
    }
    static std::optional<QList<T>> decode(const Json& j)
    {
        if (!j.isArray())
            return std::nullopt;
        QList<T> out;
        out.reserve(qsizetype(j.toArray().size()));
        for (const Json& item : j.toArray()) {
            auto v = JsonCodec<T>::decode(item);
            if (!v)
                return std::nullopt;
            out.append(std::move(*v));
        }
        return out;
    }
};

// Stored as an array; written sorted so equal sets give equal bytes.
template <>
struct JsonCodec<QSet<QString>> {
    static Json encode(const QSet<QString>& set)
    {
        QStringList sorted(set.begin(), set.end());
        std::sort(sorted.begin(), sorted.end());
        return JsonCodec<QStringList>::encode(sorted);
    }
    static std::optional<QSet<QString>> decode(const Json& j)
    {
        auto list = JsonCodec<QStringList>::decode(j);
        if (!list)
            return std::nullopt;
        return QSet<QString>(list->begin(), list->end());
    }
};

// The per-file tag map: absolute path -> tag ids.
template <>
struct JsonCodec<QMap<QString, QStringList>> {
    static Json encode(const QMap<QString, QStringList>& map);
    static std::optional<QMap<QString, QStringList>> decode(const Json& j);
};

template <>
struct JsonCodec<Tag> {
    static Json encode(const Tag& t);
    static std::optional<Tag> decode(const Json& j);
};

template <>
struct JsonCodec<Settings> {
    static Json encode(const Settings& s);
    static std::optional<Settings> decode(const Json& j);
};

template <>
struct JsonCodec<SessionItem> {
    static Json encode(const SessionItem& item);
    static std::optional<SessionItem> decode(const Json& j);
};
