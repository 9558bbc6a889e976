#include "WakeCounter.h"

// QtCore reports every emission to these hooks; QTest's signal dumper uses
// the same ones. The layout is Qt's (qobject_p.h, not installed).
struct QSignalSpyCallbackSet {
    using BeginCallback = void (*)(QObject* caller, int signalOrMethodIndex, void** argv);
    using EndCallback = void (*)(QObject* caller, int signalOrMethodIndex);
    BeginCallback signal_begin_callback;
    BeginCallback slot_begin_callback;
    EndCallback signal_end_callback;
    EndCallback slot_end_callback;
};
Q_CORE_EXPORT void qt_register_signal_spy_callbacks(QSignalSpyCallbackSet* callback_set);

namespace {
// QObject::receivers is protected; an explicit instantiation may name it.
using ReceiversFn = int (QObject::*)(const char*) const;
ReceiversFn receiversFn();
template <ReceiversFn F> struct Expose {
    friend ReceiversFn receiversFn() { return F; }
};
template struct Expose<&QObject::receivers>;

// The hook gets a signal index (signals only, base classes first); within a
// class the signals are its first methods.
QMetaMethod signalAt(const QMetaObject* mo, int signalIndex)
{
    QList<const QMetaObject*> chain;
    for (const QMetaObject* m = mo; m; m = m->superClass())
        chain.prepend(m);
    int left = signalIndex;
    for (const QMetaObject* m : chain) {
        int count = 0;
        for (int i = m->methodOffset(); i < m->methodCount() && m->method(i).methodType() == QMetaMethod::Signal; ++i)
            ++count;
        if (left < count)
            return m->method(m->methodOffset() + left);
        left -= count;
    }
    return {};
}

QSignalSpyCallbackSet hooks{nullptr, nullptr, nullptr, nullptr};
}

WakeCounter* WakeCounter::current_ = nullptr;

WakeCounter::WakeCounter()
{
    current_ = this;
    hooks.signal_begin_callback = &WakeCounter::onSignal;
    qt_register_signal_spy_callbacks(&hooks);
}

WakeCounter::~WakeCounter()
{
    qt_register_signal_spy_callbacks(nullptr);
    current_ = nullptr;
}

void WakeCounter::onSignal(QObject* sender, int signalIndex, void**)
{
    if (!current_ || !sender)
        return;
    const QMetaMethod m = signalAt(sender->metaObject(), signalIndex);
    if (!m.isValid())
        return;
    const char* owner = m.enclosingMetaObject()->className();
    if (owner[0] == 'Q' || qstrcmp(owner, "QsciScintilla") == 0)
        return;
    const QByteArray signature = '2' + m.methodSignature();
    const int handlers = (sender->*receiversFn())(signature.constData());
    if (handlers == 0)
        return;
    current_->woken_ += handlers;
    current_->log_ << QStringLiteral("%1::%2 ×%3").arg(owner, m.name()).arg(handlers);
}
