#include "plugins/WorkerClock.h"

#include <atomic>
#include <functional>
#include <gtest/gtest.h>
#include <thread>

namespace {

using namespace std::chrono_literals;

struct Waited {
    bool finished = false;
    std::chrono::steady_clock::duration took{};
};

// Runs `work` on a worker and waits for it within `limit` of the worker's
// processor time; `release` lets a worker that is still busy go.
Waited waitFor(const std::function<void()>& work, std::chrono::milliseconds limit,
               const std::function<void()>& release = {})
{
    std::mutex mutex;
    std::condition_variable cv;
    std::optional<WorkerClock> clock;
    bool done = false;
    std::thread worker([&] {
        {
            const std::lock_guard lock(mutex);
            clock = WorkerClock::ofThisThread();
        }
        cv.notify_all();
        work();
        {
            const std::lock_guard lock(mutex);
            done = true;
        }
        cv.notify_all();
    });
    std::unique_lock lock(mutex);
    cv.wait(lock, [&] { return clock.has_value(); });
    const auto start = std::chrono::steady_clock::now();
    Waited w;
    w.finished = clock->waitWithin(lock, cv, limit, [&] { return done; });
    w.took = std::chrono::steady_clock::now() - start;
    lock.unlock();
    if (release)
        release();
    worker.join();
    return w;
}

}

TEST(WorkerClock, TheLimitIsTheWorkersProcessorTimeWithAClockCap)
{
    // Sleeping costs no processor time: the wait goes on past the limit.
    EXPECT_TRUE(waitFor([] { std::this_thread::sleep_for(300ms); }, 100ms).finished);

    // The clock ends it at five times the limit.
    const Waited capped = waitFor([] { std::this_thread::sleep_for(2000ms); }, 100ms);
    EXPECT_FALSE(capped.finished);
    EXPECT_GE(capped.took, 500ms);
    EXPECT_LT(capped.took, 1500ms);

    // Working the whole time ends it too.
    std::atomic<bool> stop{false};
    const Waited busy = waitFor(
        [&] {
            volatile unsigned spins = 0;
            while (!stop)
                spins = spins + 1;
        },
        50ms, [&] { stop = true; });
    EXPECT_FALSE(busy.finished);
}
