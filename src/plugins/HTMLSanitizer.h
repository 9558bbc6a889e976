#pragma once

#include <QString>

// A tag-level pass over raw HTML: every tag is parsed the way a browser
// would and written back from its parts, so nothing that runs code survives
// whatever the spelling. Text between tags is left as it is, except that a
// "<" that does not open a well-formed tag is escaped.
namespace HTMLSanitizer {

QString clean(const QString& html);
// The value itself, or "#" when it would run script (after decoding
// character references and dropping the blanks browsers ignore).
QString safeURL(const QString& value);
// Character references decoded the lenient way browsers do: numeric ones
// of any length, the ";" optional.
QString decodeReferences(const QString& s);
// Whether an attribute of this (lower-case) name holds a URL.
bool isURLAttribute(const QString& name);
}
