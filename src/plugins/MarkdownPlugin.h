#pragma once

#include "plugins/FormatPlugin.h"

namespace MarkdownPlugin {
// Throws PluginError when the text cannot be rendered.
QString previewHTML(const QString& text);
}
