#pragma once

#include <QString>

// Formulas in TeX notation drawn by KaTeX in the script engine, sanitised,
// remembered by source. A formula KaTeX refuses shows its source in the
// danger colour with KaTeX's reason.
namespace MathRender {

// The formula's HTML: inline (`$…$`) or display (`$$…$$`, ```math).
QString html(const QString& source, bool display);

// How often the script was asked for a formula (the cache's tests count them).
quint64 scriptRuns();

// Longer sources are not handed to the script; they show as an error.
inline constexpr qsizetype maxSource = 16 * 1024;
}
