#include "plugins/MarkdownPlugin.h"

#include "plugins/Markdown.h"

namespace MarkdownPlugin {
QString previewHTML(const QString& text) { return Markdown::preview(text); }
}
