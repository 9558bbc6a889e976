#pragma once

#include "core/SessionItem.h"
#include "core/Settings.h"
#include "core/StoredJSON.h"
#include "core/Tag.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUuid>
#include <algorithm>
#include <optional>

// How each stored record type maps to a JSON value. decode is strict: a missing or
// mistyped required key makes the whole value unreadable.
template <class T> struct JSONCodec;

// Canonical upper-case UUID text, and its strict parse (8-4-4-4-12 hex).
QString uuidText(const QUuid& id);
std::optional<QUuid> parseUuid(const QString& text);

template <> struct JSONCodec<QString> {
    static QJsonValue encode(const QString& s) { return s; }
    static std::optional<QString> decode(const QJsonValue& j)
    {
        if (!j.isString())
            return std::nullopt;
        return j.toString();
    }
};

template <class T> struct JSONCodec<QList<T>> {
    static QJsonValue encode(const QList<T>& list)
    {
        QJsonArray a;
        for (const T& item : list)
            a.append(JSONCodec<T>::encode(item));
        return a;
    }
    static std::optional<QList<T>> decode(const QJsonValue& j)
    {
        if (!j.isArray())
            return std::nullopt;
        const QJsonArray a = j.toArray();
        QList<T> out;
        out.reserve(a.size());
        for (const QJsonValue item : a) {
            auto v = JSONCodec<T>::decode(item);
            if (!v)
                return std::nullopt;
            out.append(std::move(*v));
        }
        return out;
    }
};

// Stored as an array; written sorted so equal sets give equal bytes.
template <> struct JSONCodec<QSet<QString>> {
    static QJsonValue encode(const QSet<QString>& set)
    {
        QStringList sorted(set.begin(), set.end());
        std::sort(sorted.begin(), sorted.end());
        return JSONCodec<QStringList>::encode(sorted);
    }
    static std::optional<QSet<QString>> decode(const QJsonValue& j)
    {
        auto list = JSONCodec<QStringList>::decode(j);
        if (!list)
            return std::nullopt;
        return QSet<QString>(list->begin(), list->end());
    }
};

// The per-file tag map: absolute path -> tag ids.
template <> struct JSONCodec<QMap<QString, QStringList>> {
    static QJsonValue encode(const QMap<QString, QStringList>& map);
    static std::optional<QMap<QString, QStringList>> decode(const QJsonValue& j);
};

template <> struct JSONCodec<Tag> {
    static QJsonValue encode(const Tag& t);
    static std::optional<Tag> decode(const QJsonValue& j);
};

template <> struct JSONCodec<Settings> {
    static QJsonValue encode(const Settings& s);
    static std::optional<Settings> decode(const QJsonValue& j);
};

template <> struct JSONCodec<SessionItem> {
    static QJsonValue encode(const SessionItem& item);
    static std::optional<SessionItem> decode(const QJsonValue& j);
};
