#include "UserNamespaces.h"
#include "plugins/PlantUMLPlugin.h"

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

std::optional<PlantUMLRunner> installed()
{
    return PlantUMLRunner::locate({QStringLiteral("/usr/share/plantuml/plantuml.jar")},
                                  QStandardPaths::findExecutable(QStringLiteral("java")));
}

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
    // An ordinary diagram still renders inside the sandbox, class diagrams (graphviz) included.
    const QString ok = runner->render(QStringLiteral("@startuml\nclass 订单\n订单 --> 客户\n@enduml\n"));
    EXPECT_TRUE(ok.startsWith(QLatin1String("<svg"))) << ok.left(200).toStdString();
    EXPECT_TRUE(ok.contains(QStringLiteral("客户")));
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
