#pragma once

#include "Printers.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

// A check a waitUntil can retry: success, or what was seen instead.
template <class Actual, class Expected>::testing::AssertionResult same(const Actual& actual, const Expected& expected)
{
    if (actual == expected)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "last value " << ::testing::PrintToString(actual) << ", expected "
                                         << ::testing::PrintToString(expected);
}

inline ::testing::AssertionResult asResult(::testing::AssertionResult r) { return r; }
inline ::testing::AssertionResult asResult(bool done)
{
    return done ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << "still false";
}

// Runs the event loop until the check passes or the time is up. The check
// gives a bool or, to show what it saw, an AssertionResult (see same()); on
// failure the result carries the last attempt's message, so an EXPECT_TRUE
// around it shows the value that was still wrong.
template <class Check>::testing::AssertionResult waitUntil(Check&& check, int timeoutMs = 5000)
{
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        ::testing::AssertionResult r = asResult(check());
        if (r)
            return r;
        if (deadline.hasExpired())
            return ::testing::AssertionFailure() << "not reached within " << timeoutMs << " ms: " << r.message();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QThread::usleep(300);
    }
}

// Lets everything queued so far run: zero timers and posted events fire in
// order, so once a timer started now has fired, the work queued before it
// has run too. The positive evidence a "nothing happened" check waits for.
inline void nextTurn(int turns = 1)
{
    for (int i = 0; i < turns; ++i) {
        QObject context;
        bool ran = false;
        QTimer::singleShot(0, &context, [&ran] { ran = true; });
        EXPECT_TRUE(waitUntil([&ran] { return ran; }));
    }
}

// Runs the loop until a precise timer of `ms` started now has fired, so a
// timer of that length started just before it has had its turn.
inline void afterTimer(int ms)
{
    QObject context;
    bool ran = false;
    QTimer::singleShot(ms, Qt::PreciseTimer, &context, [&ran] { ran = true; });
    EXPECT_TRUE(waitUntil([&ran] { return ran; }, ms + 5000));
}
