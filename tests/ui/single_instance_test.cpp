#include "WaitUntil.h"
#include "views/window/SingleInstance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUuid>
#include <cstring>
#include <future>
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
    {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        const QByteArray p = QFile::encodeName(socketIn(other));
        std::memcpy(addr.sun_path, p.constData(), size_t(p.size()));
        ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
        ::close(fd);  // never listened: nobody answers there
    }
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
    const int squatter = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const QByteArray p = QFile::encodeName(path);
    std::memcpy(addr.sun_path, p.constData(), size_t(p.size()));
    ASSERT_EQ(::bind(squatter, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
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
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        const QByteArray p = QFile::encodeName(path);
        std::memcpy(addr.sun_path, p.constData(), size_t(p.size()));
        ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
        ASSERT_EQ(::chown(p.constData(), 4242, 4242), 0);
        EXPECT_TRUE(SingleInstance::problem(path).contains(QStringLiteral("属于其他用户")));
        ::close(fd);
    }
}
