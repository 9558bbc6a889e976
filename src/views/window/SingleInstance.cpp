#include "views/window/SingleInstance.h"

#include "core/FileIO.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QThread>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr QByteArrayView magic = "LORVANE1";
constexpr qsizetype messageLimit = 1 << 20;

// A directory only this user can enter, not reached through a link.
bool isPrivate(const QByteArray& dir)
{
    struct stat st {};
    return ::lstat(dir.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid()
        && (st.st_mode & 077) == 0;
}

// The user the process at the other end of a local socket runs as.
std::optional<uid_t> peerUid(qintptr fd)
{
    ucred cred{};
    socklen_t size = sizeof cred;
    if (fd < 0 || ::getsockopt(int(fd), SOL_SOCKET, SO_PEERCRED, &cred, &size) != 0)
        return std::nullopt;
    return cred.uid;
}

// The graphical session: the Wayland socket, else the X display without
// its screen number; both may carry characters a file name should not.
QString sessionName()
{
    QString name = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (name.isEmpty()) {
        name = qEnvironmentVariable("DISPLAY");
        static const QRegularExpression screen(QStringLiteral("^(.*:\\d+)\\.\\d+$"));
        name.replace(screen, QStringLiteral("\\1"));
    }
    if (name.isEmpty())
        return QStringLiteral("console");
    static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9._-]"));
    return name.replace(unsafe, QStringLiteral("_"));
}

// Whether a process accepts connections on the socket; a socket nobody
// listens on any more refuses them. Unsure counts as alive.
bool alive(const QString& path)
{
    const QByteArray p = QFile::encodeName(path);
    sockaddr_un addr{};
    if (size_t(p.size()) >= sizeof addr.sun_path)
        return true;
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, p.constData(), size_t(p.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return true;
    const int rc = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    const int err = errno;
    ::close(fd);
    return rc == 0 || (err != ECONNREFUSED && err != ENOENT);
}

}

SingleInstance::SingleInstance(const QString& socketPath, int answerMSecs, QObject* parent)
    : QObject(parent), path_(socketPath), answerMSecs_(answerMSecs)
{
}

SingleInstance::~SingleInstance()
{
    if (!thread_)
        return;
    QMetaObject::invokeMethod(
        server_, [server = server_] { delete server; }, Qt::BlockingQueuedConnection);
    thread_->quit();
    thread_->wait();
    delete thread_;
}

QString SingleInstance::problem(const QString& socketPath)
{
    if (socketPath.isEmpty())
        return QStringLiteral(
            "找不到只属于当前用户的运行目录（$XDG_RUNTIME_DIR 不可用，临时目录中的同名目录属于其他用户或权限过宽）。");
    struct stat st {};
    const QByteArray p = QFile::encodeName(socketPath);
    if (::lstat(p.constData(), &st) != 0)
        return errno == ENOENT ? QString()
                               : QStringLiteral("无法检查单实例通道 %1：%2").arg(socketPath, FileIO::reason(errno));
    if (!S_ISSOCK(st.st_mode))
        return QStringLiteral("单实例通道 %1 不是套接字。").arg(socketPath);
    if (st.st_uid != ::geteuid())
        return QStringLiteral("单实例通道 %1 属于其他用户。").arg(socketPath);
    if (!isPrivate(QFile::encodeName(QFileInfo(socketPath).absolutePath())) && (st.st_mode & 077))
        return QStringLiteral("单实例通道 %1 的权限过宽，其他用户也能连接。").arg(socketPath);
    return {};
}

QString SingleInstance::runtimeDirectory()
{
    const QByteArray xdg = qgetenv("XDG_RUNTIME_DIR");
    if (!xdg.isEmpty() && isPrivate(xdg))
        return QFile::decodeName(xdg);
    const QByteArray own = QFile::encodeName(QDir::tempPath() + QStringLiteral("/lorvane-runtime-%1").arg(::geteuid()));
    if (::mkdir(own.constData(), 0700) != 0 && errno != EEXIST)
        return {};
    struct stat st {};
    // Ours but too open (an old umask): close it; anybody else's: unusable.
    if (::lstat(own.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid())
        ::chmod(own.constData(), 0700);
    return isPrivate(own) ? QFile::decodeName(own) : QString();
}

QString SingleInstance::defaultPath()
{
    const QString dir = runtimeDirectory();
    if (dir.isEmpty())
        return {};
    return dir + QStringLiteral("/lorvane-") + sessionName() + QStringLiteral(".sock");
}

QByteArray SingleInstance::encode(const Request& request)
{
    QByteArray out;
    out += magic;
    out += '\0';
    out += "xdg=" + request.activationToken + '\0';
    out += "startup=" + request.startupID + '\0';
    for (const QString& f : request.files)
        if (!f.isEmpty())
            out += QFile::encodeName(QFileInfo(f).absoluteFilePath()) + '\0';
    out += '\0';
    return out;
}

std::optional<SingleInstance::Request> SingleInstance::decode(const QByteArray& message, bool* malformed)
{
    if (malformed)
        *malformed = false;
    const auto bad = [&] {
        if (malformed)
            *malformed = true;
        return std::nullopt;
    };
    if (!message.startsWith(QByteArray(magic.data(), magic.size()) + '\0'))
        return message.size() > magic.size() ? bad() : std::nullopt;
    if (!message.endsWith(QByteArrayLiteral("\0\0")))
        return std::nullopt;
    const QList<QByteArray> fields = message.chopped(2).split('\0');
    if (fields.size() < 3 || !fields[1].startsWith("xdg=") || !fields[2].startsWith("startup="))
        return bad();
    Request r;
    r.activationToken = fields[1].mid(4);
    r.startupID = fields[2].mid(8);
    for (qsizetype i = 3; i < fields.size(); ++i)
        r.files << QFile::decodeName(fields[i]);
    return r;
}

SingleInstance::Outcome SingleInstance::forward(const Request& request)
{
    if (path_.isEmpty())
        return Outcome::noInstance;
    QLocalSocket socket;
    socket.connectToServer(path_);
    if (!socket.waitForConnected(std::min(answerMSecs_, 2000))) {
        switch (socket.error()) {
        case QLocalSocket::ServerNotFoundError:
        case QLocalSocket::ConnectionRefusedError: return Outcome::noInstance;
        case QLocalSocket::SocketAccessError: return Outcome::refused;
        default:
            // A full backlog: the editor is there but does not accept.
            return alive(path_) ? Outcome::busy : Outcome::noInstance;
        }
    }
    // Paths are private: hand them only to a process of this user.
    if (peerUid(socket.socketDescriptor()) != ::geteuid()) {
        socket.abort();
        return Outcome::refused;
    }
    const QDeadlineTimer deadline(answerMSecs_);
    socket.write(encode(request));
    while (socket.bytesToWrite() > 0)
        if (!socket.waitForBytesWritten(int(std::max<qint64>(deadline.remainingTime(), 0))))
            return Outcome::busy;
    QByteArray answer;
    while (answer.size() < 2) {
        if (!socket.waitForReadyRead(int(std::max<qint64>(deadline.remainingTime(), 0))))
            break;
        answer += socket.readAll();
    }
    return answer.startsWith("ok") ? Outcome::forwarded : Outcome::busy;
}

bool SingleInstance::listen(std::function<void(const Request&)> receive)
{
    // Never over something that is not our own socket: it is not ours to remove.
    if (!problem(path_).isEmpty())
        return false;
    // Only a socket that nobody accepts on any more is taken over; a frozen
    // or busy editor keeps its socket. (The directory is private, so the
    // socket needs no access options; with them the server would rename
    // its socket over any existing one.)
    if (QFileInfo::exists(path_) || QFileInfo(path_).isSymLink()) {
        if (alive(path_))
            return false;
        QLocalServer::removeServer(path_);
    }
    // Served from its own thread: a busy window must not keep a second start waiting.
    thread_ = new QThread;
    thread_->setObjectName(QStringLiteral("single-instance"));
    server_ = new QLocalServer;
    server_->moveToThread(thread_);
    const auto deliver = [this, receive](const Request& request) {
        QMetaObject::invokeMethod(
            this, [receive, request] { receive(request); }, Qt::QueuedConnection);
    };
    connect(server_, &QLocalServer::newConnection, server_, [server = server_, deliver] {
        while (QLocalSocket* socket = server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            if (peerUid(socket->socketDescriptor()) != ::geteuid()) {
                socket->abort();
                socket->deleteLater();
                continue;
            }
            auto buffer = std::make_shared<QByteArray>();
            connect(socket, &QLocalSocket::readyRead, socket, [socket, buffer, deliver] {
                *buffer += socket->readAll();
                bool malformed = false;
                const auto request = decode(*buffer, &malformed);
                if (malformed || buffer->size() > messageLimit) {
                    socket->abort();
                    return;
                }
                if (!request)
                    return;
                buffer->clear();
                socket->write("ok");
                socket->flush();
                deliver(*request);
            });
        }
    });
    thread_->start();
    bool listening = false;
    QMetaObject::invokeMethod(
        server_, [this, &listening] { listening = server_->listen(path_); }, Qt::BlockingQueuedConnection);
    if (listening)
        return true;
    QMetaObject::invokeMethod(
        server_, [server = server_] { delete server; }, Qt::BlockingQueuedConnection);
    server_ = nullptr;
    thread_->quit();
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
    return false;
}
