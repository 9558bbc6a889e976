#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>

// Counts every connection the pages open to it; answers each with an empty
// 404 and stops listening after a bounded number, or with the test.
class LoopbackServer {
public:
    LoopbackServer()
    {
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = server.nextPendingConnection()) {
                if (++requests >= 10000)
                    server.close();
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket] {
                    socket->readAll();
                    socket->write("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
                    socket->disconnectFromHost();
                });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
    QString host() const { return QStringLiteral("127.0.0.1:") + QString::number(server.serverPort()); }
    QString place(const char* text) const { return QString::fromUtf8(text).replace(QLatin1String("HOST"), host()); }
    QTcpServer server;
    int requests = 0;
};
