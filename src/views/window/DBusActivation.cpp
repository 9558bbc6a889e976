#include "views/window/DBusActivation.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnectionInterface>
#include <QUrl>
#include <optional>

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

namespace {

// A file of this machine by its absolute path: "file:relative" would be
// read against whatever folder the editor runs in, and another host's
// file is not ours to reach.
std::optional<QString> localPath(const QString& uri)
{
    const QUrl url(uri, QUrl::StrictMode);
    if (!url.isValid() || url.scheme() != QLatin1String("file"))
        return std::nullopt;
    if (!url.host().isEmpty() && url.host() != QLatin1String("localhost"))
        return std::nullopt;
    const QString path = url.path(QUrl::FullyDecoded);
    if (!path.startsWith(QLatin1Char('/')) || path.contains(QChar(u'\0')))
        return std::nullopt;
    return path;
}

}

QString DBusActivation::refusal(const QStringList& uris)
{
    return QStringLiteral("只能打开本机文件（以 file:/// 开头的绝对路径），以下地址没有打开：\n")
        + uris.join(QLatin1Char('\n'));
}

SingleInstance::Request DBusActivation::request(const QStringList& uris, const QVariantMap& platformData)
{
    SingleInstance::Request r;
    for (const QString& uri : uris) {
        if (const auto path = localPath(uri))
            r.files << *path;
        else
            r.refused << uri;
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
