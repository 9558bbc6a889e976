#include "plugins/MarkdownPlugin.h"

#include "plugins/Markdown.h"

namespace MarkdownPlugin {
QString previewHTML(const QString& text)
{
    return QStringLiteral("<div class=\"md\">") + Markdown::html(text, true) + QStringLiteral("</div>");
}
}
