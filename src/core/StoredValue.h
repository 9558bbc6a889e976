#pragma once

#include "core/JSONCodec.h"
#include "core/Preferences.h"
#include "core/StoredJSON.h"

#include <optional>

// Typed values kept in the preferences as JSON text.
namespace StoredValue {

// Absent when missing, unreadable or not of that type.
template <class T> std::optional<T> load(const Preferences& ud, const QString& key)
{
    const auto bytes = ud.blob(key);
    if (!bytes)
        return std::nullopt;
    const auto json = StoredJSON::read(*bytes);
    if (!json)
        return std::nullopt;
    return JSONCodec<T>::decode(*json);
}

template <class T> void store(Preferences& ud, const QString& key, const T& value)
{
    ud.setBlob(key, StoredJSON::write(JSONCodec<T>::encode(value)));
}

}  // namespace StoredValue
