#include "plugins/TOMLPlugin.h"

namespace TOMLPlugin {
QList<Diagnostic> validate(const QString&) { return {}; }
}
