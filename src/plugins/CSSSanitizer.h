#pragma once

#include <QString>

// Inline styles and SVG presentation values rebuilt from an allow-list:
// properties that draw text, boxes and paint only, and values made of
// plain tokens. No value may name a resource (url(), image-set(), @import,
// escapes or comments), except that SVG paint and effect properties may
// point at an element of the same document, url(#id).
namespace CSSSanitizer {

// math: the html properties and the offsets KaTeX lays out its boxes with
// (top, bottom, left, position:relative only, text-shadow).
enum class Scope { html, svg, math };

// The declarations of a style attribute (character references already
// decoded) that pass, as "name:value;…"; empty when none does.
QString cleanStyle(const QString& style, Scope scope);
// A diagram's style sheet as SVG may keep it: only rules whose every
// selector starts with `scope` (the diagram root's "#id"), so nothing
// styles the page around it; declarations as cleanStyle keeps them with
// the SVG scope; at-rules, escapes and comments go.
QString cleanSheet(const QString& css, const QString& scope);
// Whether one SVG attribute value is plain: no function but url(#id) where
// the property takes a reference, and transform functions in transforms.
bool safeSVGValue(const QString& attribute, const QString& value);
}
