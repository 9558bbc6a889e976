#pragma once

#include "plugins/FormatPlugin.h"
#include "plugins/PlantUMLRunner.h"

namespace PlantUMLPlugin {
QList<Diagnostic> validate(const QString& text);
// Throws PluginError when the text cannot be rendered.
QString previewHTML(const QString& text);
// The same with a given renderer; the built-in sketch when absent.
QString previewWith(const QString& text, const std::optional<PlantUMLRunner>& runner);
}
