// A second start, or a file manager over the session bus, hands its files to the running editor.
#include "WaitUntil.h"
#include "views/window/DBusActivation.h"
#include "views/window/SingleInstance.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUuid>
#include <cstring>
#include <future>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using Outcome = SingleInstance::Outcome;

// Runs the forward on another thread while this one serves (or not).
Outcome forwardWhileServing(SingleInstance& from, const SingleInstance::Request& r, bool serve = true)
{
    auto f = std::async(std::launch::async, [&] { return from.forward(r); });
    while (f.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
        if (serve)
            QCoreApplication::processEvents();
    return f.get();
}

// Sets environment variables for one test and puts the old values back.
struct Env {
    QList<std::pair<const char*, std::optional<QByteArray>>> saved;
    void set(const char* name, const std::optional<QByteArray>& value)
    {
        saved.append({name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt});
        if (value)
            qputenv(name, *value);
        else
            qunsetenv(name);
    }
    ~Env()
    {
        for (auto it = saved.rbegin(); it != saved.rend(); ++it)
            it->second ? qputenv(it->first, *it->second) : qunsetenv(it->first);
    }
};

QString socketIn(const QTemporaryDir& dir) { return dir.filePath(QStringLiteral("s.sock")); }

// A socket bound at `path` and not listening yet; -1 when binding failed.
int boundSocket(const QString& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const QByteArray p = QFile::encodeName(path);
    std::memcpy(addr.sun_path, p.constData(), size_t(p.size()));
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0)
        return fd;
    ::close(fd);
    return -1;
}

}

TEST(SingleInstance, ASecondStartHandsItsFilesAndActivationTokenOver)
{
    QTemporaryDir dir;
    const QString path = socketIn(dir);
    EXPECT_EQ(SingleInstance(path).forward({{QStringLiteral("/tmp/x")}, {}, {}, {}}), Outcome::noInstance);

    SingleInstance running(path);
    std::optional<SingleInstance::Request> received;
    ASSERT_TRUE(running.listen([&](const SingleInstance::Request& r) { received = r; }));
    SingleInstance second(path);
    const SingleInstance::Request request{
        {QStringLiteral("/tmp/带 空格.md"), QStringLiteral("/tmp/行\n断.json")}, "wayland-token-1", "startup-2", {}};
    EXPECT_EQ(forwardWhileServing(second, request), Outcome::forwarded);
    ASSERT_TRUE(waitUntil([&] { return received.has_value(); }));
    EXPECT_EQ(received->files, request.files);
    EXPECT_EQ(received->activationToken, QByteArray("wayland-token-1"));
    EXPECT_EQ(received->startupID, QByteArray("startup-2"));

    // A socket left by a crashed editor is taken over.
    QTemporaryDir other;
    const int stale = boundSocket(socketIn(other));
    ASSERT_GE(stale, 0);
    ::close(stale);  // never listened: nobody answers there
    EXPECT_EQ(SingleInstance(socketIn(other)).forward(request), Outcome::noInstance);
    EXPECT_TRUE(SingleInstance(socketIn(other)).listen([](const SingleInstance::Request&) {}));
}

TEST(SingleInstance, MalformedMessagesAreNotTakenForRequests)
{
    bool malformed = false;
    EXPECT_FALSE(SingleInstance::decode("LORVANE1", &malformed));
    EXPECT_FALSE(malformed);  // incomplete, wait for more
    EXPECT_FALSE(SingleInstance::decode(QByteArray("/etc/passwd\n\n"), &malformed));
    EXPECT_TRUE(malformed);
    const auto empty = SingleInstance::decode(SingleInstance::encode({}));
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->files.isEmpty());
}

TEST(SingleInstance, LaunchesOnDifferentDisplaysStaySeparate)
{
    QTemporaryDir runtime;
    ::chmod(QFile::encodeName(runtime.path()).constData(), 0700);
    Env env;
    env.set("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    env.set("WAYLAND_DISPLAY", std::nullopt);
    env.set("DISPLAY", ":11.0");
    const QString first = SingleInstance::defaultPath();
    env.set("DISPLAY", ":11");
    EXPECT_EQ(SingleInstance::defaultPath(), first);  // another screen, same display
    env.set("DISPLAY", ":12");
    const QString second = SingleInstance::defaultPath();
    EXPECT_NE(first, second);
    EXPECT_TRUE(first.startsWith(runtime.path() + QLatin1Char('/')));
    env.set("WAYLAND_DISPLAY", "wayland-1");
    EXPECT_NE(SingleInstance::defaultPath(), second);
    EXPECT_TRUE(SingleInstance::defaultPath().contains(QStringLiteral("wayland-1")));

    SingleInstance onFirst(first);
    ASSERT_TRUE(onFirst.listen([](const SingleInstance::Request&) { FAIL() << "crossed displays"; }));
    SingleInstance onSecond(second);
    EXPECT_EQ(onSecond.forward({{QStringLiteral("/tmp/a")}, {}, {}, {}}), Outcome::noInstance);
    EXPECT_TRUE(onSecond.listen([](const SingleInstance::Request&) {}));
    QCoreApplication::processEvents();

    // A runtime directory others can enter is not used; the private
    // fallback is made for this user alone.
    ::chmod(QFile::encodeName(runtime.path()).constData(), 0755);
    const QString fallback = SingleInstance::runtimeDirectory();
    EXPECT_NE(fallback, runtime.path());
    ASSERT_FALSE(fallback.isEmpty());
    struct stat st {};
    ASSERT_EQ(::lstat(QFile::encodeName(fallback).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(st.st_uid, ::geteuid());
}

TEST(SingleInstance, ASquatterOfAnotherUserGetsNothing)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to listen as another user";
    QTemporaryDir dir;
    const QString path = socketIn(dir);
    const int squatter = boundSocket(path);
    ASSERT_GE(squatter, 0);
    const QByteArray p = QFile::encodeName(path);
    ::chmod(p.constData(), 0777);
    // The listener's credentials are taken when it starts listening.
    ASSERT_EQ(::seteuid(4242), 0);
    const int listened = ::listen(squatter, 8);
    ASSERT_EQ(::seteuid(0), 0);
    ASSERT_EQ(listened, 0);

    EXPECT_EQ(SingleInstance(path, 2000).forward({{QStringLiteral("/root/secret.md")}, "tok", {}, {}}),
              Outcome::refused);
    // A live socket, even a foreign one, is never deleted to start a second editor.
    EXPECT_FALSE(SingleInstance(path).listen([](const SingleInstance::Request&) {}));
    EXPECT_TRUE(QFileInfo::exists(path));
    // What reached the squatter: a connection and not one byte.
    const int conn = ::accept4(squatter, nullptr, nullptr, SOCK_NONBLOCK);
    if (conn >= 0) {
        char buffer[64];
        EXPECT_LE(::read(conn, buffer, sizeof buffer), 0);
        ::close(conn);
    }
    ::close(squatter);
}

// The socket is served on its own thread: a window busy for long still answers at once.
TEST(SingleInstance, ABusyWindowStillAnswersAndGetsTheFilesWhenItIsFree)
{
    QTemporaryDir dir;
    const QString path = socketIn(dir);
    SingleInstance running(path);
    QStringList received;
    ASSERT_TRUE(running.listen([&](const SingleInstance::Request& r) { received << r.files; }));

    // This thread, the window's, does not run its event loop meanwhile.
    SingleInstance second(path, 5000);
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(forwardWhileServing(second, {{QStringLiteral("/tmp/a")}, {}, {}, {}}, false), Outcome::forwarded);
    EXPECT_LT(t.elapsed(), 2000);
    EXPECT_TRUE(received.isEmpty());
    EXPECT_FALSE(SingleInstance(path).listen([](const SingleInstance::Request&) {}));
    // The files arrive on the window's thread once it runs again.
    EXPECT_TRUE(waitUntil([&] { return same(received, QStringList{QStringLiteral("/tmp/a")}); }));
}

TEST(SingleInstance, APathThatCannotBeUsedSafelyIsNamedAsSuch)
{
    QTemporaryDir dir;
    const QString path = socketIn(dir);
    EXPECT_EQ(SingleInstance::problem(path), QString());  // nothing there yet
    EXPECT_TRUE(SingleInstance::problem(QString()).contains(QStringLiteral("运行目录")));
    QFile plain(path);
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    EXPECT_TRUE(SingleInstance::problem(path).contains(QStringLiteral("不是套接字")));
    EXPECT_FALSE(SingleInstance(path).listen([](const SingleInstance::Request&) {}));
    ASSERT_TRUE(QFile::remove(path));

    // Our own socket: fine in a private folder, too open in a shared one.
    {
        SingleInstance ours(path);
        ASSERT_TRUE(ours.listen([](const SingleInstance::Request&) {}));
        ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0700), 0);
        EXPECT_EQ(SingleInstance::problem(path), QString());
        ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0777), 0);
        EXPECT_TRUE(SingleInstance::problem(path).contains(QStringLiteral("权限过宽")));
    }
    if (::geteuid() == 0) {
        QFile::remove(path);
        const int fd = boundSocket(path);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::chown(QFile::encodeName(path).constData(), 4242, 4242), 0);
        EXPECT_TRUE(SingleInstance::problem(path).contains(QStringLiteral("属于其他用户")));
        ::close(fd);
    }
}

namespace {

class DBusActivationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
            GTEST_SKIP() << "dbus-daemon is not installed (package dbus)";
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address")});
        ASSERT_TRUE(daemon_.waitForStarted(5000));
        QDeadlineTimer deadline(5000);
        while (!daemon_.canReadLine() && !deadline.hasExpired())
            daemon_.waitForReadyRead(100);
        address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
        ASSERT_FALSE(address_.isEmpty()) << daemon_.readAllStandardError().toStdString();
    }

    void TearDown() override
    {
        for (const QString& name : names_)
            QDBusConnection::disconnectFromBus(name);
        if (daemon_.state() != QProcess::NotRunning) {
            daemon_.kill();
            daemon_.waitForFinished(5000);
        }
    }

    QDBusConnection connect(const QString& name)
    {
        names_ << name;
        return QDBusConnection::connectToBus(address_, name);
    }

    // Calls a method of the editor's object from another connection and waits
    // for the answer while the editor's side handles it.
    QDBusMessage call(const QDBusConnection& from, const QString& method, const QVariantList& args)
    {
        QDBusMessage m = QDBusMessage::createMethodCall(QString::fromLatin1(DBusActivation::serviceName),
                                                        QString::fromLatin1(DBusActivation::objectPath),
                                                        QStringLiteral("org.freedesktop.Application"), method);
        m.setArguments(args);
        QDBusPendingCall pending = from.asyncCall(m, 5000);
        QDeadlineTimer deadline(6000);
        while (!pending.isFinished() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return pending.reply();
    }

    QProcess daemon_;
    QString address_;
    QStringList names_;
};

}

TEST_F(DBusActivationTest, OpenHandsLocalFilesAndTheTokenToTheRunningEditorAndASecondOneGetsNothing)
{
    std::vector<SingleInstance::Request> got;
    DBusActivation activation;
    ASSERT_TRUE(activation.start([&](const SingleInstance::Request& r) { got.push_back(r); },
                                 connect(QStringLiteral("editor"))));

    QVariantMap platform{{QStringLiteral("activation-token"), QStringLiteral("tok-1")}};
    const QDBusMessage reply = call(
        connect(QStringLiteral("files")), QStringLiteral("Open"),
        {QStringList{QStringLiteral("file:///tmp/a%20b.md"), QStringLiteral("https://example.invalid/x.md"),
                     QStringLiteral("file:///tmp/%E4%B8%AD.txt")},
         platform});
    ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].files, (QStringList{QStringLiteral("/tmp/a b.md"), QStringLiteral("/tmp/中.txt")}));
    EXPECT_EQ(got[0].refused, QStringList{QStringLiteral("https://example.invalid/x.md")});
    EXPECT_EQ(got[0].activationToken, QByteArray("tok-1"));

    const QDBusMessage activate = call(connect(QStringLiteral("launcher")), QStringLiteral("Activate"),
                                       {QVariantMap{{QStringLiteral("desktop-startup-id"), QStringLiteral("id-2")}}});
    ASSERT_EQ(activate.type(), QDBusMessage::ReplyMessage) << activate.errorMessage().toStdString();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_TRUE(got[1].files.isEmpty());
    EXPECT_EQ(got[1].startupID, QByteArray("id-2"));

    // A second editor does not take the name away.
    DBusActivation two;
    EXPECT_FALSE(two.start([](const SingleInstance::Request&) { ADD_FAILURE() << "second editor called"; },
                           connect(QStringLiteral("two"))));
    call(connect(QStringLiteral("caller")), QStringLiteral("Activate"), {QVariantMap{}});
    EXPECT_EQ(got.size(), 3u);
}

TEST(DBusActivation, WithoutABusNothingIsRegistered)
{
    DBusActivation a;
    EXPECT_FALSE(
        a.start([](const SingleInstance::Request&) {},
                QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"), QStringLiteral("nobus"))));
    QDBusConnection::disconnectFromBus(QStringLiteral("nobus"));
}

TEST(DBusActivation, OnlyAbsoluteFileURIsOfThisMachineAreOpenedTheRestIsRefused)
{
    const struct {
        const char* uri;
        const char* path;  // null: refused
    } cases[] = {
        {"file:///tmp/a%20b.md", "/tmp/a b.md"},
        {"file://localhost/tmp/x.txt", "/tmp/x.txt"},
        {"file:///tmp/%E4%B8%AD.txt", "/tmp/中.txt"},
        {"file:notes.md", nullptr},
        {"file://fileserver/share/a.md", nullptr},
        {"file://", nullptr},
        {"https://example.invalid/x.md", nullptr},
        {"/tmp/plain-path.md", nullptr},
        {"", nullptr},
        {"file:///tmp/nul%00.md", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.uri);
        const QString uri = QString::fromUtf8(c.uri);
        const SingleInstance::Request r = DBusActivation::request({uri}, {});
        if (c.path) {
            EXPECT_EQ(r.files, QStringList{QString::fromUtf8(c.path)});
            EXPECT_TRUE(r.refused.isEmpty());
        } else {
            EXPECT_TRUE(r.files.isEmpty()) << r.files.join(' ').toStdString();
            EXPECT_EQ(r.refused, QStringList{uri});
        }
    }
    const QString told = DBusActivation::refusal({QStringLiteral("file:notes.md")});
    EXPECT_TRUE(told.contains(QStringLiteral("file:notes.md")));
    EXPECT_TRUE(told.contains(QStringLiteral("file:///")));
}
