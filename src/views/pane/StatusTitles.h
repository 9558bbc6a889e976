#pragma once

#include "core/Doc.h"

#include <QString>

// Texts of the bars around the editor, derived from the document.
namespace StatusTitles {
// The format button: plugin name, ".ext · 纯文本" or "无格式".
QString format(const QString& name);
// The validation indicator; empty for plugins that do not validate.
QString validation(const Doc& doc);
// The diagnostic strip: first problem and the count, or "JSON 格式正确".
QString strip(const Doc& doc);
QString stripCount(const Doc& doc);
}
