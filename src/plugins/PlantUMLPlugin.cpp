#include "plugins/PlantUMLPlugin.h"

#include "core/LineEnding.h"
#include "plugins/HTML.h"
#include "plugins/Markdown.h"
#include "plugins/SequenceSketch.h"

namespace PlantUMLPlugin {

QList<Diagnostic> validate(const QString& input)
{
    const QString text = LineEnding::normalize(input);
    if (!text.contains(QLatin1String("@startuml")))
        return {Diagnostic{1, QStringLiteral("缺少 @startuml")}};
    if (!text.contains(QLatin1String("@enduml")))
        return {Diagnostic{int(text.count(u'\n') + 1), QStringLiteral("缺少 @enduml")}};
    return {};
}

QString previewWith(const QString& text, const std::optional<PlantUMLRunner>& runner)
{
    QString svg, caption;
    if (runner) {
        // Diagram links may carry script URLs; the SVG goes into the page.
        svg = Markdown::harden(runner->render(text));
        caption = HTML::caption({QStringLiteral("由 plantuml.jar 渲染")});
    } else {
        svg = SequenceSketch::svg(text);
        caption = HTML::caption({QStringLiteral("时序图 · 内置简易渲染"),
                                 QStringLiteral("安装 PlantUML 后支持全部图表类型：sudo apt install plantuml")});
    }
    return caption + QStringLiteral("<div class=\"uml\">") + svg + QStringLiteral("</div>");
}

QString previewHTML(const QString& text)
{
    return previewWith(text, PlantUMLRunner::shared());
}

}
