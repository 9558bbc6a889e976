#pragma once

#include "plugins/FormatPlugin.h"

namespace TOMLPlugin {
// Every problem found, in line order: a statement with a problem is
// reported once and checking goes on with the next one.
QList<Diagnostic> validate(const QString& text);
}
