#pragma once

#include "plugins/FormatPlugin.h"
#include "plugins/PlantUMLRunner.h"

#include <optional>

namespace PlantUMLPlugin {
QList<Diagnostic> validate(const QString& text);
// Throws PluginError when the text cannot be rendered.
QString previewHTML(const QString& text);
// With the given runner, or the built-in sketch when there is none.
QString previewHTML(const QString& text, const std::optional<PlantUMLRunner>& runner);
}
