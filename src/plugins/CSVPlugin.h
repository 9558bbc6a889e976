#pragma once

#include "plugins/FormatPlugin.h"

namespace CSVPlugin {
// The table preview; never throws.
QString previewHTML(const QString& text);
// A .tsv file: split at tabs only, whatever its first line holds.
QString previewTSV(const QString& text);
// The same from UTF-8 bytes, converting only the cells shown.
QString previewHTMLUtf8(QByteArrayView utf8);
QString previewTSVUtf8(QByteArrayView utf8);
inline constexpr int previewRowLimit = 2000;
// Characters of table HTML after which no further cell is added (20 MB as UTF-16).
inline constexpr qsizetype previewHTMLBudget = 10'000'000;
// Whether a cell reads as a number to right-align (1,234.5  -3  .5  12%).
bool isNumericCell(QStringView s);
}
