#include "plugins/JSONPlugin.h"

namespace JSONPlugin {
QList<Diagnostic> validate(const QString&) { return {}; }
QString previewHTML(const QString&) { return {}; }
QList<PluginAction> actions() { return {}; }
}
