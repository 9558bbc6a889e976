#pragma once

#include <QString>

// HTML compared the way the conformance harness compares it.
namespace HTMLNormalize {
// The CommonMark suite's normaliser on its own.
QString normalizeHTML(const QString& html);
// The harness: the preview's own markup conventions mapped to cmark-gfm's
// (source lines dropped, task items, alignment, "lang-" classes), then the
// suite's normaliser.
QString normalize(QString html);
}
