#pragma once

#include <QString>

// The bare values of TOML: booleans, integers, floats, dates and times.
namespace TOMLPlugin::detail {

// A character that can be part of a bare value.
inline bool isValueChar(char16_t c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '+'
        || c == '-' || c == '.' || c == ':';
}

// Empty when `t` is a valid bare value, else the message to show.
QString checkBareValue(QStringView t);

}
