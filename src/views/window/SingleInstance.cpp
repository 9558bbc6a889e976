#include "views/window/SingleInstance.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <unistd.h>

SingleInstance::SingleInstance(const QString& key, QObject* parent) : QObject(parent), key_(key) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::defaultKey() { return QStringLiteral("lorvane-%1").arg(getuid()); }

bool SingleInstance::forward(const QStringList& files)
{
    QLocalSocket socket;
    socket.connectToServer(key_);
    if (!socket.waitForConnected(500))
        return false;
    QByteArray message;
    for (const QString& f : files)
        message += QFileInfo(f).absoluteFilePath().toUtf8() + '\n';
    message += '\n';  // end of the list
    socket.write(message);
    if (!socket.waitForBytesWritten(2000))
        return false;
    // The running instance answers once it has the list.
    return socket.waitForReadyRead(3000) && socket.readAll().startsWith("ok");
}

bool SingleInstance::listen(std::function<void(const QStringList&)> receive)
{
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(key_)) {
        // A stale socket from a crashed instance: nobody answered forward(), so take it over.
        QLocalServer::removeServer(key_);
        if (!server_->listen(key_))
            return false;
    }
    connect(server_, &QLocalServer::newConnection, this, [this, receive] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            auto buffer = std::make_shared<QByteArray>();
            connect(socket, &QLocalSocket::readyRead, socket, [socket, buffer, receive] {
                *buffer += socket->readAll();
                if (buffer->size() > (1 << 20)) {
                    socket->abort();
                    return;
                }
                if (!buffer->endsWith("\n\n") && *buffer != "\n")
                    return;
                QStringList files;
                for (const QByteArray& line : buffer->split('\n'))
                    if (!line.isEmpty())
                        files << QString::fromUtf8(line);
                socket->write("ok");
                socket->flush();
                receive(files);
            });
        }
    });
    return true;
}
