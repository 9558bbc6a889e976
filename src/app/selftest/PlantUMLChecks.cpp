#include "app/selftest/SelfTests.h"
#include "plugins/FormatPlugin.h"
#include "plugins/PlantUMLPlugin.h"
#include "plugins/SequenceSketch.h"

namespace SelfTests {

void plantuml()
{
    try {
        const QString svg = SequenceSketch::svg(QStringLiteral("@startuml\nA -> B : hi\nB --> A : ok\n@enduml"));
        check(svg.contains(QStringLiteral("<svg")), "✗ PUML 内置渲染 ");
    } catch (const PluginError& e) {
        check(false, "✗ PUML 内置渲染 ", e.message);
    }
    const auto found = PlantUMLPlugin::validate(QStringLiteral("A -> B"));
    check(found.size() == 1, "✗ PUML 缺 @startuml ", QString::number(found.size()));
}

}
