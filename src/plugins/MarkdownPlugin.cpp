#include "plugins/MarkdownPlugin.h"

namespace MarkdownPlugin {
QString previewHTML(const QString&) { return {}; }
}
