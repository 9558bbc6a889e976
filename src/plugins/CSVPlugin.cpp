#include "plugins/CSVPlugin.h"

namespace CSVPlugin {
QString previewHTML(const QString&) { return {}; }
}
