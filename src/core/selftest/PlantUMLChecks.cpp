#include "core/selftest/SelfTests.h"
#include "plugins/PlantUMLPlugin.h"
#include "plugins/SequenceSketch.h"

namespace SelfTests {

void plantuml()
{
    bool sketched = false;
    QString detail;
    try {
        sketched = SequenceSketch::svg(QStringLiteral("@startuml\nA -> B : hi\nB --> A : ok\n@enduml"))
                       .contains(QLatin1String("<svg"));
    } catch (const PluginError& e) {
        detail = e.message;
    }
    check(sketched, "✗ PUML 内置渲染 ", detail);
    const QList<Diagnostic> d = PlantUMLPlugin::validate(QStringLiteral("A -> B"));
    check(d.size() == 1, "✗ PUML 缺 @startuml ", QString::number(d.size()));
}

}
