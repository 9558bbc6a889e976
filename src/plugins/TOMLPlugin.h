#pragma once

#include "plugins/FormatPlugin.h"

namespace TOMLPlugin {
// Every problem found, line by line, in line order.
QList<Diagnostic> validate(const QString& text);
// Cut at the first "#" outside quotes, trimmed.
QString stripComment(const QString& s);
// Opening minus closing brackets and braces outside quotes and comments.
int bracketDepth(const QString& s);
}
