#include "UserNamespaces.h"
#include "plugins/PlantUMLPlugin.h"
#include "plugins/SequenceSketch.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <arpa/inet.h>
#include <atomic>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

// An executable script standing in for Java.
QString fakeJava(const QTemporaryDir& dir, const char* script)
{
    const QString path = dir.filePath(QStringLiteral("fake-java"));
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(script);
    f.close();
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

// A runner inside the same sandbox as the real renderer.
PlantUMLRunner sandboxed(const QString& java, const QString& jar, int timeout)
{
    PlantUMLRunner r;
    r.java = java;
    r.jar = jar;
    r.timeout = timeout;
    r.bwrap = QStandardPaths::findExecutable(QStringLiteral("bwrap"));
    return r;
}

QString errorOf(const std::function<void()>& f, int* line = nullptr)
{
    try {
        f();
    } catch (const PluginError& e) {
        if (line)
            *line = e.line.value_or(-1);
        return e.message;
    }
    return {};
}

std::optional<PlantUMLRunner> installed()
{
    return PlantUMLRunner::locate({QStringLiteral("/usr/share/plantuml/plantuml.jar")},
                                  QStandardPaths::findExecutable(QStringLiteral("java")));
}

}

TEST(PlantUMLValidate, MarkersAnywhere)
{
    EXPECT_EQ(PlantUMLPlugin::validate(QStringLiteral("A -> B")),
              QList<Diagnostic>({{1, QStringLiteral("缺少 @startuml")}}));
    EXPECT_EQ(PlantUMLPlugin::validate(QStringLiteral("@startuml\nA -> B\n")),
              QList<Diagnostic>({{3, QStringLiteral("缺少 @enduml")}}));
    EXPECT_EQ(PlantUMLPlugin::validate(QStringLiteral("@startuml\r\nA -> B\r\n\r\n")),
              QList<Diagnostic>({{4, QStringLiteral("缺少 @enduml")}}));
    EXPECT_TRUE(PlantUMLPlugin::validate(QStringLiteral("x @startuml y @enduml")).isEmpty());
}

TEST(SequenceSketch, GeometryAndNumberText)
{
    const QString svg = SequenceSketch::svg(QStringLiteral("@startuml\nA -> B : hi\nB --> A : ok\n@enduml"));
    EXPECT_TRUE(svg.startsWith(
        QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 290.0 178.0\" width=\"290.0\">")));
    EXPECT_TRUE(
        svg.contains(QStringLiteral("<line x1=\"70.0\" y1=\"44\" x2=\"70.0\" y2=\"168.0\" class=\"life\"/>"
                                    "<rect x=\"18.0\" y=\"12\" width=\"104\" height=\"30\" rx=\"6\" class=\"box\"/>"
                                    "<text x=\"70.0\" y=\"31\" text-anchor=\"middle\" class=\"t1\">A</text>")));
    EXPECT_TRUE(svg.contains(
        QStringLiteral("<line x1=\"70.0\" y1=\"74.0\" x2=\"218.0\" y2=\"74.0\" class=\"msg\" marker-end=\"url(#ar)\"/>"
                       "<text x=\"145.0\" y=\"67.0\" text-anchor=\"middle\" class=\"t2\">hi</text>")));
    EXPECT_TRUE(svg.contains(QStringLiteral(
        "<line x1=\"220.0\" y1=\"118.0\" x2=\"72.0\" y2=\"118.0\" class=\"msg\" stroke-dasharray=\"5 4\"")));
    EXPECT_TRUE(svg.endsWith(QStringLiteral("</svg>")));
    EXPECT_EQ(SequenceSketch::number(0.5), QStringLiteral("0.5"));
    EXPECT_EQ(SequenceSketch::number(-2), QStringLiteral("-2.0"));
}

TEST(SequenceSketch, ParticipantsArrowsAndErrors)
{
    const QString quoted = SequenceSketch::svg(QStringLiteral("participant \"Long Name\"\nactor <b>"));
    EXPECT_TRUE(quoted.contains(QStringLiteral(">Long</text>")));
    EXPECT_TRUE(quoted.contains(QStringLiteral(">&lt;b&gt;</text>")));
    const QString back = SequenceSketch::svg(QStringLiteral("A <-- B : back"));
    // B is drawn second but sends: the line starts at B's x.
    EXPECT_TRUE(back.contains(QStringLiteral(
        "<line x1=\"220.0\" y1=\"74.0\" x2=\"72.0\" y2=\"74.0\" class=\"msg\" stroke-dasharray=\"5 4\"")));
    const QString self = SequenceSketch::svg(QStringLiteral("A -> A"));
    EXPECT_TRUE(self.contains(QStringLiteral("x1=\"70.0\" y1=\"74.0\" x2=\"72.0\"")));
    int line = 0;
    EXPECT_EQ(errorOf([] { SequenceSketch::svg(QStringLiteral("@startuml\nA -> B\n  class Foo\n@enduml")); }, &line),
              QStringLiteral("内置渲染只支持时序图，无法解析：class Foo"));
    EXPECT_EQ(line, 3);
    EXPECT_EQ(errorOf([] { SequenceSketch::svg(QStringLiteral("@startuml\n@enduml")); }, &line),
              QStringLiteral("没有可绘制的参与者"));
    EXPECT_EQ(line, -1);
}

TEST(PlantUMLPreview, WithoutAJarTheSketchAndTheInstallHint)
{
    EXPECT_FALSE(
        PlantUMLRunner::locate({QStringLiteral("/nonexistent/plantuml.jar")}, QStringLiteral("/usr/bin/java")));
    EXPECT_FALSE(PlantUMLRunner::locate({QStringLiteral("/usr/share/plantuml/plantuml.jar")}, QString()));
    const QString html = PlantUMLPlugin::previewHTML(QStringLiteral("@startuml\nA -> B : 你好\n@enduml\n"),
                                                     std::nullopt);
    EXPECT_TRUE(
        html.startsWith(QStringLiteral("<div class=\"cap\"><span>时序图 · 内置简易渲染</span>"
                                       "<span>安装 PlantUML 后支持全部图表类型：sudo apt install plantuml</span></div>"
                                       "<div class=\"uml\"><svg")));
    EXPECT_TRUE(html.contains(QStringLiteral("你好")));
}

TEST(PlantUMLRunner, AFloodingOrHangingChildIsDrainedAndKilled)
{
    SKIP_WITHOUT_USER_NAMESPACES();
    QTemporaryDir dir;
    // Fills both pipes far beyond their buffers, then never exits.
    const QString fake = fakeJava(
        dir,
        "#!/bin/sh\nhead -c 3000000 /dev/zero | tr '\\0' x >&2\nhead -c 3000000 /dev/zero | tr '\\0' y\nexec sleep "
        "60\n");
    // The fake runs inside the same sandbox as the real renderer.
    PlantUMLRunner runner = sandboxed(fake, dir.filePath(QStringLiteral("any.jar")), 1500);
    QElapsedTimer t;
    t.start();
    const QString error = errorOf([&] { runner.render(QStringLiteral("@startuml\n@enduml")); });
    EXPECT_TRUE(error.startsWith(QStringLiteral("PlantUML 渲染失败：超过 1.5 秒未完成，已停止")))
        << error.left(80).toStdString();
    EXPECT_LT(t.elapsed(), 8000);

    // An endless flood is cut off by size long before the deadline.
    QFile g(fake);
    ASSERT_TRUE(g.open(QIODevice::WriteOnly | QIODevice::Truncate));
    g.write("#!/bin/sh\nexec yes\n");
    g.close();
    PlantUMLRunner flood = sandboxed(fake, dir.filePath(QStringLiteral("any.jar")), 20000);
    flood.outputLimit = 1 << 20;
    t.restart();
    EXPECT_EQ(errorOf([&] { flood.render(QStringLiteral("@startuml\n@enduml")); }),
              QStringLiteral("PlantUML 渲染失败：输出超过 1 MB，已停止"));
    EXPECT_LT(t.elapsed(), 8000);

    PlantUMLRunner missing = sandboxed(dir.filePath(QStringLiteral("no-java")), QString(), 1500);
    EXPECT_TRUE(errorOf([&] { missing.render(QString()); }).startsWith(QStringLiteral("无法启动 PlantUML")));
}

TEST(PlantUMLRunner, AFailureShowsTheRenderersFirstMessageNotJavasLog)
{
    EXPECT_EQ(
        PlantUMLRunner::firstMessage(QStringLiteral(
            "Exception in thread \"main\" java.lang.OutOfMemoryError: Java heap space\n\tat net.x.Y.z(Y.java:1)\n")),
        QStringLiteral("Java heap space"));
    EXPECT_EQ(
        PlantUMLRunner::firstMessage(QStringLiteral("Exception in thread \"main\" java.lang.StackOverflowError\n")),
        QStringLiteral("java.lang.StackOverflowError"));
    EXPECT_EQ(PlantUMLRunner::firstMessage(QStringLiteral("WARNING: x\nSEVERE: y\n")), QString());

    // Through the real sandbox, with a renderer that logs like Java on a fresh home.
    SKIP_WITHOUT_USER_NAMESPACES();
    QTemporaryDir dir;
    // What a fresh home makes Java log before the renderer says anything.
    const QString fake = fakeJava(
        dir,
        "#!/bin/sh\ncat >/dev/null\n"
        "echo 'Dec 07, 2026 7:31:02 PM java.util.prefs.FileSystemPreferences$1 run' >&2\n"
        "echo 'INFO: Created user preferences directory.' >&2\n"
        "echo 'Picked up JAVA_TOOL_OPTIONS: -Xmx64m' >&2\n"
        "echo 'ERROR' >&2\necho '2' >&2\necho 'Syntax Error?' >&2\necho 'Some diagram description contains errors' "
        ">&2\n"
        "exit 200\n");
    PlantUMLRunner r = sandboxed(fake, dir.filePath(QStringLiteral("any.jar")), 20000);
    const QString error = errorOf([&] { r.render(QStringLiteral("@startuml\nA ->\n@enduml")); });
    EXPECT_EQ(error, QStringLiteral("PlantUML 渲染失败：Syntax Error?"));
    EXPECT_FALSE(error.contains(u'\n'));
}

namespace {

// A loopback HTTP server that counts every connection it accepts and
// answers each with a small PlantUML file, so an !include that got
// through would show its text.
class CountingServer {
public:
    CountingServer()
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = 0;
        int yes = 1;
        ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        if (::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd_, 16) != 0)
            return;
        socklen_t len = sizeof a;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~CountingServer()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        ::close(fd_);
    }
    int port() const { return port_; }
    int connections() const { return connections_; }

private:
    void serve()
    {
        while (!stop_) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0)
                continue;
            const int c = ::accept(fd_, nullptr, nullptr);
            if (c < 0)
                continue;
            ++connections_;
            char buf[2048];
            pollfd q{c, POLLIN, 0};
            // The request and the reply count only as a connection.
            if (::poll(&q, 1, 1000) > 0) {
                [[maybe_unused]] const ssize_t got = ::read(c, buf, sizeof buf);
            }
            const char reply[] =
                "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 25\r\n\r\nBob -> Carol : FROMSERVER";
            [[maybe_unused]] const ssize_t sent = ::write(c, reply, sizeof reply - 1);
            ::close(c);
        }
    }
    int fd_ = -1;
    int port_ = 0;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<int> connections_{0};
};

QString hostileDiagram(int port)
{
    return QStringLiteral("@startuml\n!include /etc/passwd\n!include http://127.0.0.1:%1/inc.puml\n"
                          "!includeurl http://127.0.0.1:%1/url.puml\nA -> B : <img:http://127.0.0.1:%1/i.png>\n"
                          "A -> B : [[http://127.0.0.1:%1/link]]\n@enduml\n")
        .arg(port);
}

QString previewOrError(const QString& text, const std::optional<PlantUMLRunner>& runner)
{
    try {
        return PlantUMLPlugin::previewHTML(text, runner);
    } catch (const PluginError& e) {
        return e.message;
    }
}

}

// The same diagram through the bare renderer reads the file and makes the
// requests, so the server and the markers below can see a leak.
TEST(PlantUMLSandbox, UnsandboxedTheHostileDiagramWouldLeak)
{
    const auto runner = installed();
    ASSERT_TRUE(runner) << "plantuml.jar or java missing";
    CountingServer server;
    ASSERT_GT(server.port(), 0);
    QProcess bare;
    bare.start(runner->java,
               {QStringLiteral("-Djava.awt.headless=true"), QStringLiteral("-jar"), runner->jar,
                QStringLiteral("-tsvg"), QStringLiteral("-pipe"), QStringLiteral("-charset"), QStringLiteral("UTF-8")});
    ASSERT_TRUE(bare.waitForStarted());
    bare.write(hostileDiagram(server.port()).toUtf8());
    bare.closeWriteChannel();
    ASSERT_TRUE(bare.waitForFinished(60000));
    const QString out = QString::fromUtf8(bare.readAllStandardOutput());
    EXPECT_TRUE(out.contains(QLatin1String("root:x:0")) || out.contains(QLatin1String("FROMSERVER"))
                || server.connections() > 0);
}

TEST(PlantUMLSandbox, TheRendererReadsNoFileAndReachesNoServer)
{
    SKIP_WITHOUT_USER_NAMESPACES();
    const auto runner = installed();
    ASSERT_TRUE(runner) << "plantuml.jar or java missing";
    ASSERT_FALSE(runner->sandboxProblem) << runner->sandboxProblem->toStdString();
    CountingServer server;
    ASSERT_GT(server.port(), 0);
    const QString html = previewOrError(hostileDiagram(server.port()), runner);
    EXPECT_FALSE(html.contains(QLatin1String("root:"))) << html.left(300).toStdString();
    EXPECT_FALSE(html.contains(QLatin1String("FROMSERVER")));
    EXPECT_EQ(server.connections(), 0);
    // Ordinary diagrams still render inside the sandbox, class diagrams (graphviz) included.
    const QString ok = runner->render(QStringLiteral("@startuml\nclass 订单\n订单 --> 客户\n@enduml\n"));
    EXPECT_TRUE(ok.startsWith(QLatin1String("<svg"))) << ok.left(200).toStdString();
    EXPECT_TRUE(ok.contains(QStringLiteral("订单")));
    EXPECT_TRUE(ok.contains(QStringLiteral("客户")));
    const QString sequence = PlantUMLPlugin::previewHTML(QStringLiteral("@startuml\nAlice -> 小明 : 你好\n@enduml\n"),
                                                         runner);
    EXPECT_TRUE(sequence.startsWith(
        QStringLiteral("<div class=\"cap\"><span>由 plantuml.jar 渲染</span></div><div class=\"uml\"><svg")));
    EXPECT_TRUE(sequence.contains(QStringLiteral("小明")));
    // Home and temporary files of the user are out of reach too.
    QTemporaryDir dir;
    QFile secret(dir.filePath(QStringLiteral("secret.puml")));
    ASSERT_TRUE(secret.open(QIODevice::WriteOnly));
    secret.write("A -> B : SECRETLINE\n");
    secret.close();
    const QString home = previewOrError(QStringLiteral("@startuml\n!include %1\n@enduml\n").arg(secret.fileName()),
                                        runner);
    EXPECT_FALSE(home.contains(QLatin1String("SECRETLINE")));
}

TEST(PlantUMLSandbox, WithoutAWorkingSandboxTheJarNeverRuns)
{
    const auto jar = QStringLiteral("/usr/share/plantuml/plantuml.jar");
    const QString java = QStandardPaths::findExecutable(QStringLiteral("java"));
    for (const QString& bwrap : {QString(), QStringLiteral("/nonexistent/bwrap"), QStringLiteral("/bin/false")}) {
        const auto runner = PlantUMLRunner::locate({jar}, java, bwrap);
        ASSERT_TRUE(runner);
        ASSERT_TRUE(runner->sandboxProblem) << bwrap.toStdString();
        EXPECT_TRUE(runner->sandboxProblem->startsWith(QStringLiteral("无法启动 PlantUML 的安全沙箱（bubblewrap）：")));
        const QString html = PlantUMLPlugin::previewHTML(QStringLiteral("@startuml\nA -> B : 你好\n@enduml\n"), runner);
        EXPECT_TRUE(html.startsWith(
            QStringLiteral("<div class=\"cap\"><span>时序图 · 内置简易渲染</span><span>无法启动 PlantUML 的安全沙箱")))
            << html.left(200).toStdString();
        EXPECT_TRUE(html.contains(QStringLiteral("为安全起见未运行 plantuml.jar")));
        EXPECT_TRUE(html.contains(QStringLiteral(">你好</text>")));
        // The sketch does not read includes: it stops at the line instead.
        EXPECT_EQ(previewOrError(QStringLiteral("@startuml\n!include /etc/passwd\nA -> B\n@enduml\n"), runner),
                  QStringLiteral("内置渲染只支持时序图，无法解析：!include /etc/passwd"));
        try {
            runner->render(QStringLiteral("@startuml\nA -> B\n@enduml\n"));
            ADD_FAILURE() << "rendered without a sandbox";
        } catch (const PluginError& e) {
            EXPECT_EQ(e.message, *runner->sandboxProblem);
        }
    }
}
