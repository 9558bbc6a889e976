#pragma once

#include "plugins/FormatPlugin.h"

namespace TOMLPlugin {
QList<Diagnostic> validate(const QString& text);
}
