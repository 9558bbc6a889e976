#pragma once

#include <QByteArray>
#include <QMetaMethod>
#include <QObject>
#include <QStringList>

// Counts the handlers that the program's own signals wake: each emission of a
// signal declared by one of our classes adds the number of connections it has
// at that moment. Qt's own signals (a timer's timeout, a widget's) are not
// counted. One counter at a time, main thread only.
class WakeCounter {
public:
    WakeCounter();
    ~WakeCounter();
    WakeCounter(const WakeCounter&) = delete;
    WakeCounter& operator=(const WakeCounter&) = delete;

    int woken() const { return woken_; }
    // "Class::signal ×handlers" for each emission, in order, for a failure's message.
    QString log() const { return log_.join(QStringLiteral(", ")); }
    void reset()
    {
        woken_ = 0;
        log_.clear();
    }

private:
    static void onSignal(QObject* sender, int signalIndex, void** argv);
    static WakeCounter* current_;
    int woken_ = 0;
    QStringList log_;
};
