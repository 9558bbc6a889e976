#pragma once

#include "plugins/FormatPlugin.h"

namespace CSVPlugin {
// Throws PluginError when the text cannot be rendered.
QString previewHTML(const QString& text);
inline constexpr int previewRowLimit = 2000;
}
