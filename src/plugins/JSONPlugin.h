#pragma once

#include "plugins/FormatPlugin.h"

namespace JSONPlugin {
QList<Diagnostic> validate(const QString& text);
// Throws PluginError when the text cannot be rendered.
QString previewHTML(const QString& text);
// The same from UTF-8 bytes.
QList<Diagnostic> validateUtf8(QByteArrayView utf8);
QString previewHTMLUtf8(QByteArrayView utf8);
QList<PluginAction> actions();
}
