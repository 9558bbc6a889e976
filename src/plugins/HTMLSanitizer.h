#pragma once

#include <QString>

#include <functional>
#include <optional>

// Raw HTML parsed into a tree by gumbo's HTML5 tree builder, as a browser
// parses it, and written back with only the allowed elements and
// attributes, so nothing that runs code survives whatever the spelling.
// Text and values come out escaped. A piece of a larger document may leave
// elements open at its end and close, at its start, ones opened before.
namespace HTMLSanitizer {

QString clean(const QString& html);

// A narrower list for a renderer's output (coloured code, formulas): only
// these elements, only the attributes `attribute` keeps, with the value it
// returns (given decoded, written back escaped). Elements dropped with
// their content stay dropped unless the list allows them.
struct AllowList {
    std::function<bool(const QString& element)> element;
    std::function<std::optional<QString>(const QString& element, const QString& name, const QString& value)> attribute;
};
QString cleanWith(const QString& html, const AllowList& list);
// The value itself, or "#" when it would run script (after decoding
// character references and dropping the blanks browsers ignore).
QString safeURL(const QString& value);
// Character references decoded as browsers do in an attribute: numeric ones
// of any length, every named one, the ";" optional where HTML allows it.
QString decodeReferences(const QString& s);
// Whether `clean` keeps an (HTML, lower-case) element of this name.
bool allowedElement(const QString& name);
// Whether an attribute of this (lower-case) name holds a URL.
bool isURLAttribute(const QString& name);
}
