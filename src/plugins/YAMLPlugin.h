#pragma once

#include "plugins/FormatPlugin.h"

namespace YAMLPlugin {
QList<Diagnostic> validate(const QString& text);
// Throws PluginError when the text cannot be rendered.
QString previewHTML(const QString& text);
}
