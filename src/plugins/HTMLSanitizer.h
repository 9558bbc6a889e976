#pragma once

#include <QString>

#include <functional>
#include <optional>

// A tag-level pass over raw HTML: every tag is parsed the way a browser
// would and written back from its parts, so nothing that runs code survives
// whatever the spelling. Text between tags is left as it is, except that a
// "<" that does not open a well-formed tag is escaped.
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
// Character references decoded the lenient way browsers do: numeric ones
// of any length, the ";" optional.
QString decodeReferences(const QString& s);
// Whether an attribute of this (lower-case) name holds a URL.
bool isURLAttribute(const QString& name);
}
