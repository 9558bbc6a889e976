#pragma once

#include <QString>

// Rebuilds an SVG document from an allow-list of drawing elements and
// attributes before it is inlined into a page: no script, no event
// handlers, no foreign HTML, and no reference that leaves the document
// except web links and embedded raster images.
namespace SVGSanitizer {

// The cleaned <svg> element as markup; throws PluginError when the text is
// not well-formed XML with an <svg> root.
QString clean(const QString& svg);
// As clean, keeping the <style> sheets a diagram renderer writes, cut down
// to rules scoped to the root's id (see CSSSanitizer::cleanSheet).
QString cleanDiagram(const QString& svg);
}
