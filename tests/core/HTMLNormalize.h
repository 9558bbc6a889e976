#pragma once

#include <QString>

// HTML compared as the trees a browser builds from it.
namespace HTMLNormalize {
// The tree, written back with the CommonMark suite's rules for blanks, and
// the preview's own markup conventions mapped to cmark-gfm's (source lines
// dropped, task items, alignment, "lang-" classes).
QString normalize(const QString& html);
}
