#pragma once

#include <QString>

// A small built-in renderer for sequence diagrams, used when PlantUML
// itself is not installed.
namespace SequenceSketch {
// Throws PluginError for lines it does not understand or nothing to draw.
QString svg(const QString& text);
// Shortest decimal form with at least one fractional digit ("70.0").
QString number(double v);
}
