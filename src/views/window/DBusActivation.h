#pragma once

#include "views/window/SingleInstance.h"

#include <QDBusConnection>
#include <QObject>
#include <functional>

// The desktop's way of starting and reusing an application: the running
// editor owns the bus name of its desktop entry and takes Activate and Open
// calls (org.freedesktop.Application) there, so a file manager opens files
// in it without starting a second process. The per-display socket stays for
// starts from a terminal and for sessions without a bus.
class DBusActivation : public QObject {
public:
    static constexpr const char* serviceName = "org.lorvane.Lorvane";
    static constexpr const char* objectPath = "/org/lorvane/Lorvane";

    explicit DBusActivation(QObject* parent = nullptr);

    // Registers the object and takes the name on `bus`; false when there is
    // no bus or another process owns the name.
    bool start(std::function<void(const SingleInstance::Request&)> receive,
               QDBusConnection bus = QDBusConnection::sessionBus());

    // Local paths of the absolute file URIs of this machine, the other URIs
    // as refused, and the activation token of the platform data.
    static SingleInstance::Request request(const QStringList& uris, const QVariantMap& platformData);
    // What the user is told about refused URIs.
    static QString refusal(const QStringList& uris);

    void deliver(const SingleInstance::Request& request) const;

private:
    std::function<void(const SingleInstance::Request&)> receive_;
};
