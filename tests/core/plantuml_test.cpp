#include "plugins/PlantUMLPlugin.h"
#include "plugins/PlantUMLRunner.h"
#include "plugins/SequenceSketch.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString u8(const char* s) { return QString::fromUtf8(s); }

PluginError sketchError(const char* text)
{
    try {
        SequenceSketch::svg(u8(text));
    } catch (const PluginError& e) {
        return e;
    }
    ADD_FAILURE() << "no error for " << text;
    return PluginError(QString());
}

const char* kJar = "/usr/share/plantuml/plantuml.jar";

}

TEST(PlantUMLValidate, MarkersAndLineNumbers)
{
    EXPECT_EQ(PlantUMLPlugin::validate(u8("A -> B")), (QList<Diagnostic>{{1, u8("缺少 @startuml")}}));
    EXPECT_EQ(PlantUMLPlugin::validate(u8("@startuml\nA -> B\n")), (QList<Diagnostic>{{3, u8("缺少 @enduml")}}));
    EXPECT_EQ(PlantUMLPlugin::validate(u8("@startuml\r\nA\r\n@enduml")), QList<Diagnostic>{});
    EXPECT_EQ(PlantUMLPlugin::validate(u8("x @enduml y @startuml")), QList<Diagnostic>{});
}

TEST(SequenceSketchSvg, ExactGeometryOfTwoMessages)
{
    const QString svg = SequenceSketch::svg(u8("@startuml\nA -> B : hi\nB --> A : ok\n@enduml"));
    const QString expected = u8(
        "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 290.0 178.0\" width=\"290.0\">"
        "<defs><marker id=\"ar\" viewBox=\"0 0 10 10\" refX=\"9\" refY=\"5\" markerWidth=\"7\" markerHeight=\"7\" "
        "orient=\"auto\"><path d=\"M0 0 10 5 0 10z\" class=\"f2\"/></marker></defs>"
        "<line x1=\"70.0\" y1=\"44\" x2=\"70.0\" y2=\"168.0\" class=\"life\"/>"
        "<rect x=\"18.0\" y=\"12\" width=\"104\" height=\"30\" rx=\"6\" class=\"box\"/>"
        "<text x=\"70.0\" y=\"31\" text-anchor=\"middle\" class=\"t1\">A</text>"
        "<line x1=\"220.0\" y1=\"44\" x2=\"220.0\" y2=\"168.0\" class=\"life\"/>"
        "<rect x=\"168.0\" y=\"12\" width=\"104\" height=\"30\" rx=\"6\" class=\"box\"/>"
        "<text x=\"220.0\" y=\"31\" text-anchor=\"middle\" class=\"t1\">B</text>"
        "<line x1=\"70.0\" y1=\"74.0\" x2=\"218.0\" y2=\"74.0\" class=\"msg\" marker-end=\"url(#ar)\"/>"
        "<text x=\"145.0\" y=\"67.0\" text-anchor=\"middle\" class=\"t2\">hi</text>"
        "<line x1=\"220.0\" y1=\"118.0\" x2=\"72.0\" y2=\"118.0\" class=\"msg\" stroke-dasharray=\"5 4\" marker-end=\"url(#ar)\"/>"
        "<text x=\"145.0\" y=\"111.0\" text-anchor=\"middle\" class=\"t2\">ok</text>"
        "</svg>");
    EXPECT_EQ(svg, expected);
}

TEST(SequenceSketchSvg, ArrowsParticipantsAndSelfMessages)
{
    // Reverse arrow: from B to A, dashed by its double dash.
    const QString back = SequenceSketch::svg(u8("A <-- B : back"));
    EXPECT_TRUE(back.contains(u8("<line x1=\"220.0\" y1=\"74.0\" x2=\"72.0\" y2=\"74.0\" class=\"msg\" stroke-dasharray=\"5 4\"")))
        << back.toStdString();
    // Quotes are optional and a space ends the name; C declared first keeps its slot.
    const QString named = SequenceSketch::svg(u8("participant \"Long Name\"\nactor C\nC ->> Long : <tag>&"));
    EXPECT_TRUE(named.contains(u8("class=\"t1\">Long</text>")));
    EXPECT_FALSE(named.contains(u8("Name")));
    EXPECT_TRUE(named.contains(u8("<line x1=\"220.0\" y1=\"74.0\" x2=\"72.0\"")));
    EXPECT_TRUE(named.contains(u8("&lt;tag&gt;&amp;</text>")));
    const QString self = SequenceSketch::svg(u8("A -> A"));
    EXPECT_TRUE(self.contains(u8("<line x1=\"70.0\" y1=\"74.0\" x2=\"72.0\" y2=\"74.0\" class=\"msg\" marker-end")));
    EXPECT_TRUE(self.contains(u8("viewBox=\"0 0 140.0 134.0\"")));
    EXPECT_EQ(SequenceSketch::number(1500070), u8("1500070.0"));
    EXPECT_EQ(SequenceSketch::number(72.5), u8("72.5"));
}

TEST(SequenceSketchSvg, UnreadableLinesAndEmptyDiagrams)
{
    const PluginError e = sketchError("@startuml\n' note\ntitle T\nclass Foo\n@enduml");
    EXPECT_EQ(e.message, u8("内置渲染只支持时序图，无法解析：class Foo"));
    EXPECT_EQ(e.line, 4);
    const PluginError none = sketchError("@startuml\n@enduml");
    EXPECT_EQ(none.message, u8("没有可绘制的参与者"));
    EXPECT_FALSE(none.line.has_value());
}

TEST(PlantUMLPreview, WithoutJarUsesTheSketchAndSaysHowToInstall)
{
    EXPECT_FALSE(PlantUMLRunner::locate({u8("/nonexistent/plantuml.jar")}));
    EXPECT_FALSE(PlantUMLRunner::locate({u8(kJar)}, u8("/nonexistent/java")));
    const QString html = PlantUMLPlugin::previewWith(u8("@startuml\nA -> B : 你好\n@enduml\n"), std::nullopt);
    EXPECT_TRUE(html.startsWith(u8("<div class=\"cap\">"))) << html.toStdString();
    EXPECT_TRUE(html.contains(u8("安装 PlantUML 后支持全部图表类型：sudo apt install plantuml")));
    EXPECT_TRUE(html.contains(u8("<div class=\"uml\"><svg ")));
    EXPECT_TRUE(html.endsWith(u8("</svg></div>")));
    EXPECT_THROW(PlantUMLPlugin::previewWith(u8("class X"), std::nullopt), PluginError);
}

TEST(PlantUMLPreview, RealJarRendersClassAndSequenceDiagrams)
{
    const auto runner = PlantUMLRunner::locate({u8("/nonexistent/plantuml.jar"), u8(kJar)});
    if (!runner)
        GTEST_SKIP() << "plantuml and a Java runtime are not installed";
    EXPECT_EQ(runner->jar, u8(kJar));
    const QString cls = PlantUMLPlugin::previewWith(u8("@startuml\nclass Foo {\n  +bar(): int\n}\nFoo <|-- Baz\n@enduml\n"), runner);
    EXPECT_TRUE(cls.contains(u8("由 plantuml.jar 渲染")));
    EXPECT_TRUE(cls.contains(u8("<div class=\"uml\"><svg")));
    EXPECT_TRUE(cls.contains(u8("Foo")) && cls.contains(u8("Baz")) && cls.contains(u8("bar")));
    const QString seq = runner->render(u8("@startuml\nAlice -> 鲍勃 : 你好\n@enduml\n"));
    EXPECT_TRUE(seq.startsWith(u8("<svg")));
    EXPECT_TRUE(seq.contains(u8("Alice")) && seq.contains(u8("鲍勃")) && seq.contains(u8("你好")));
}

TEST(PlantUMLRunnerProcess, FloodingChildDoesNotDeadlockAndSlowOneIsKilled)
{
    // Eight MB on each pipe is far beyond any pipe buffer.
    const ChildRun flood = runChild(u8("/bin/sh"), {u8("-c"), u8("head -c 8388608 /dev/zero; head -c 8388608 /dev/zero >&2; cat >/dev/null")},
                                    QByteArray(4 << 20, 'x'), 20000);
    EXPECT_TRUE(flood.started);
    EXPECT_FALSE(flood.timedOut);
    EXPECT_EQ(flood.out.size(), 8388608);
    EXPECT_EQ(flood.err.size(), 8388608);

    QElapsedTimer t;
    t.start();
    const ChildRun slow = runChild(u8("/bin/sh"), {u8("-c"), u8("head -c 1000000 /dev/zero; exec sleep 30")}, {}, 600);
    EXPECT_TRUE(slow.timedOut);
    EXPECT_EQ(slow.out.size(), 1000000);
    EXPECT_LT(t.elapsed(), 10000);

    const ChildRun endless = runChild(u8("/bin/sh"), {u8("-c"), u8("exec yes")}, {}, 20000, 1 << 20);
    EXPECT_TRUE(endless.overflow);
    EXPECT_FALSE(endless.timedOut);

    const ChildRun missing = runChild(u8("/nonexistent/java"), {}, {}, 1000);
    EXPECT_FALSE(missing.started);
    EXPECT_FALSE(missing.startError.isEmpty());
}

TEST(PlantUMLRunnerProcess, FailureCarriesTheErrorOutput)
{
    QTemporaryDir dir;
    const QString fake = dir.filePath(u8("java"));
    QFile f(fake);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\ncat >/dev/null\necho 'Syntax Error?' >&2\nexit 1\n");
    f.close();
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString jar = dir.filePath(u8("plantuml.jar"));
    QFile(jar).open(QIODevice::WriteOnly);
    auto runner = PlantUMLRunner::locate({jar}, fake);
    ASSERT_TRUE(runner);
    try {
        runner->render(u8("@startuml\nfoo\n@enduml"));
        ADD_FAILURE() << "no error";
    } catch (const PluginError& e) {
        EXPECT_EQ(e.message, u8("PlantUML 渲染失败：Syntax Error?"));
    }
    runner->timeoutMs = 300;
    QFile g(fake);
    ASSERT_TRUE(g.open(QIODevice::WriteOnly | QIODevice::Truncate));
    g.write("#!/bin/sh\nexec sleep 30\n");
    g.close();
    EXPECT_THROW(runner->render(u8("x")), PluginError);

    bool delivered = false;
    QString error;
    QObject context;
    runner->renderAsync(u8("x"), &context, [&](const QString& svg, const QString& err) {
        delivered = true;
        EXPECT_TRUE(svg.isEmpty());
        error = err;
    });
    QElapsedTimer t;
    t.start();
    while (!delivered && t.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_TRUE(delivered);
    EXPECT_TRUE(error.startsWith(u8("PlantUML 渲染失败："))) << error.toStdString();
}
