#include "plugins/PlantUMLPlugin.h"

#include "plugins/HTML.h"
#include "plugins/SVGSanitizer.h"
#include "plugins/SequenceSketch.h"
#include "text/LineEnding.h"

namespace PlantUMLPlugin {

QList<Diagnostic> validate(const QString& text)
{
    const QString t = LineEnding::normalize(text);
    if (!t.contains(QLatin1String("@startuml")))
        return {Diagnostic{1, QStringLiteral("缺少 @startuml")}};
    if (!t.contains(QLatin1String("@enduml")))
        return {Diagnostic{int(t.count(u'\n')) + 1, QStringLiteral("缺少 @enduml")}};
    return {};
}

QString previewHTML(const QString& text, const std::optional<PlantUMLRunner>& runner)
{
    QString svg, caption;
    if (runner && !runner->sandboxProblem) {
        // The renderer's SVG may carry the diagram's own links and markup.
        svg = SVGSanitizer::clean(runner->render(text));
        caption = HTML::caption({QStringLiteral("由 plantuml.jar 渲染")});
    } else {
        svg = SequenceSketch::svg(text);
        if (runner)
            caption = HTML::caption({QStringLiteral("时序图 · 内置简易渲染"),
                                     *runner->sandboxProblem + QStringLiteral("，为安全起见未运行 plantuml.jar")});
        else
            caption = HTML::caption({QStringLiteral("时序图 · 内置简易渲染"),
                                     QStringLiteral("安装 PlantUML 后支持全部图表类型：sudo apt install plantuml")});
    }
    return caption + QStringLiteral("<div class=\"uml\">") + svg + QStringLiteral("</div>");
}

QString previewHTML(const QString& text) { return previewHTML(text, PlantUMLRunner::shared()); }

}
