#include "plugins/MarkdownFences.h"

#include "plugins/CodeHighlight.h"
#include "plugins/MathRender.h"
#include "plugins/MermaidBlocks.h"

namespace MarkdownFences {

std::optional<Drawn> draw(std::string_view language, const QString& code, Budget& budget)
{
    // Later diagrams stay code, so one document's never push each other out of the cache.
    if (language == "mermaid" && ++budget.diagrams <= MermaidBlocks::perDocument)
        return Drawn{"mermaid", MermaidBlocks::html(code)};
    if (language == "math")
        return Drawn{"math-display", MathRender::html(code.trimmed(), true)};
    return std::nullopt;
}

CodeHighlight::Colouring colour(std::string_view language, const QString& code)
{
    return CodeHighlight::colour(QString::fromUtf8(language.data(), qsizetype(language.size())), code);
}

}
