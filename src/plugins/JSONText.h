#pragma once

#include <QString>

// JSON text helpers shared by the tree rendering and the JSON plugin.
namespace JSONText {
// Backslash escapes for quote, backslash and control characters; "/" and
// non-ASCII are copied unchanged.
QString escape(const QString& s);
void appendEscaped(QString& out, const QString& s);
QString quote(const QString& s);
}
