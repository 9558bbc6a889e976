#pragma once

#include <QString>

// The built-in renderer used when no PlantUML installation is found: it
// draws sequence diagrams only.
namespace SequenceSketch {
// Throws PluginError on a line it cannot read or when nothing is drawable.
QString svg(const QString& text);
// A coordinate in shortest decimal form with at least one fractional digit.
QString number(double v);
}
