#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <ctime>
#include <mutex>
#include <optional>
#include <pthread.h>

// Waiting for work another thread does, with a limit on that thread's
// processor time rather than on the clock: a busy machine that starves the
// worker does not end a call that a quiet one would finish. The clock still
// ends the wait at five times the limit.
class WorkerClock {
public:
    // How long a wait may take on the clock, in limits.
    static constexpr int clockCap = 5;

    // The calling thread's clock; call it on the worker.
    static WorkerClock ofThisThread()
    {
        WorkerClock c;
        clockid_t id = 0;
        if (pthread_getcpuclockid(pthread_self(), &id) == 0)
            c.id_ = id;
        return c;
    }
    // The worker's processor time so far; the clock where there is none.
    std::chrono::nanoseconds now() const
    {
        timespec t{};
        if (id_ && clock_gettime(*id_, &t) == 0)
            return std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec);
        return std::chrono::steady_clock::now().time_since_epoch();
    }

    // Waits on `cv` until `done` holds; false once the worker used `limit`
    // of processor time since the call, or five times `limit` went by.
    template <class Done>
    bool waitWithin(std::unique_lock<std::mutex>& lock, std::condition_variable& cv, std::chrono::nanoseconds limit,
                    Done done) const
    {
        const std::chrono::nanoseconds start = now();
        const auto cap = std::chrono::steady_clock::now() + limit * clockCap;
        for (;;) {
            const auto left = std::min<std::chrono::nanoseconds>(limit - (now() - start),
                                                                 cap - std::chrono::steady_clock::now());
            if (left <= std::chrono::nanoseconds::zero())
                return done();
            if (cv.wait_for(lock, left, done))
                return true;
        }
    }

private:
    std::optional<clockid_t> id_;
};
