#pragma once

#include <QString>

// The style of what the Markdown preview draws: coloured code (the editor's
// default scheme, light and dark through the page's variables), formulas
// and their errors, and KaTeX's own style sheet with its fonts embedded as
// data, so the page loads nothing.
namespace RenderingStyle {
// Rules for the page, after its own; built once. KaTeX's sheet and fonts
// come with `formulas` (the preview's shell; an export that has some).
const QString& css(bool formulas = true);
// KaTeX's sheet with every font it names taken from `fontsDir` as data;
// a face whose file is missing is dropped, never pointed elsewhere.
QString katexSheet(const QString& sheet, const QString& fontsDir);
}
