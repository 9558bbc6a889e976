#include "views/window/DBusActivation.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnectionInterface>
#include <QUrl>

namespace {

class ApplicationAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")

public:
    explicit ApplicationAdaptor(DBusActivation* owner) : QDBusAbstractAdaptor(owner), owner_(owner) {}

public slots:
    void Activate(const QVariantMap& platformData) { owner_->deliver(DBusActivation::request({}, platformData)); }
    void Open(const QStringList& uris, const QVariantMap& platformData)
    {
        owner_->deliver(DBusActivation::request(uris, platformData));
    }
    // The editor offers no actions; asking for one only brings it forward.
    void ActivateAction(const QString&, const QVariantList&, const QVariantMap& platformData)
    {
        owner_->deliver(DBusActivation::request({}, platformData));
    }

private:
    DBusActivation* owner_;
};

}

DBusActivation::DBusActivation(QObject* parent) : QObject(parent) { new ApplicationAdaptor(this); }

bool DBusActivation::start(std::function<void(const SingleInstance::Request&)> receive, QDBusConnection bus)
{
    if (!bus.isConnected() || !bus.interface())
        return false;
    receive_ = std::move(receive);
    if (!bus.registerObject(QString::fromLatin1(objectPath), this))
        return false;
    const auto reply = bus.interface()->registerService(QString::fromLatin1(serviceName),
                                                        QDBusConnectionInterface::DontQueueService,
                                                        QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        bus.unregisterObject(QString::fromLatin1(objectPath));
        return false;
    }
    return true;
}

SingleInstance::Request DBusActivation::request(const QStringList& uris, const QVariantMap& platformData)
{
    SingleInstance::Request r;
    for (const QString& uri : uris) {
        const QUrl url(uri);
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            r.files << url.toLocalFile();
    }
    r.activationToken = platformData.value(QStringLiteral("activation-token")).toString().toUtf8();
    r.startupID = platformData.value(QStringLiteral("desktop-startup-id")).toString().toUtf8();
    return r;
}

void DBusActivation::deliver(const SingleInstance::Request& request) const
{
    if (receive_)
        receive_(request);
}

#include "DBusActivation.moc"
