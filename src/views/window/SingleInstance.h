#pragma once

#include <QObject>
#include <QStringList>
#include <functional>

class QLocalServer;

// One editor per user session: a second start hands its files to the
// running one and ends.
class SingleInstance : public QObject {
public:
    explicit SingleInstance(const QString& key = defaultKey(), QObject* parent = nullptr);
    ~SingleInstance() override;
    static QString defaultKey();

    // True when a running instance took the files; then this process should end.
    bool forward(const QStringList& files);
    // Starts listening; `receive` gets the files a later start forwards.
    bool listen(std::function<void(const QStringList&)> receive);

private:
    QString key_;
    QLocalServer* server_ = nullptr;
};
