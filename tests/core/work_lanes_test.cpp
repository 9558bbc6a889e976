#include "text/WorkLanes.h"

#include "WaitUntil.h"

#include <QThread>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// A gate a job waits at until the test opens it.
class Gate {
public:
    void open()
    {
        {
            std::lock_guard lock(m_);
            open_ = true;
        }
        cv_.notify_all();
    }
    void pass()
    {
        std::unique_lock lock(m_);
        cv_.wait(lock, [this] { return open_; });
    }

private:
    std::mutex m_;
    std::condition_variable cv_;
    bool open_ = false;
};

// A result that tells on which thread it was let go.
struct EndsOn {
    std::atomic<Qt::HANDLE>* where;
    void operator()(int* p) const
    {
        where->store(QThread::currentThreadId());
        delete p;
    }
};
using Tracked = std::unique_ptr<int, EndsOn>;

}

// When the token is cancelled decides whether the work runs and whether its result is applied.
TEST(WorkLanes, ACancelledJobsResultIsNeverApplied)
{
    enum class When { never, beforeStart, whileRunning, beforeDelivery };
    const struct {
        const char* name;
        When when;
        bool runs;
        bool applied;
    } cases[] = {
        {"not cancelled", When::never, true, true},
        {"before it starts", When::beforeStart, false, false},
        {"while it runs", When::whileRunning, true, false},
        {"after it ran, before its result is delivered", When::beforeDelivery, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WorkLanes lanes;
        QObject receiver;
        Gate blocker, inside;
        std::atomic<bool> started{false}, ran{false}, sawCancel{false};
        bool applied = false;
        // A job ahead holds the lane, so that cancelling "before it starts" is before.
        lanes.post(Lane::Find, [&] { blocker.pass(); });
        CancelToken token;
        lanes.run(
            Lane::Find, &receiver, token,
            [&](const CancelToken& t) {
                started = true;
                inside.pass();
                sawCancel = t.cancelled();
                ran = true;
                return 7;
            },
            [&](int v) { applied = v == 7; });
        if (c.when == When::beforeStart)
            token.cancel();
        blocker.open();
        if (c.when == When::whileRunning) {
            ASSERT_TRUE(waitUntil([&] { return started.load(); }));
            token.cancel();
        }
        inside.open();
        if (c.when == When::beforeDelivery) {
            // Done on the lane, its delivery not yet handled: this thread ran no events since.
            lanes.drain(Lane::Find);
            token.cancel();
        }
        lanes.drain(Lane::Find);
        nextTurn(2);
        EXPECT_EQ(ran.load(), c.runs);
        EXPECT_EQ(applied, c.applied);
        if (c.when == When::whileRunning) {
            EXPECT_TRUE(sawCancel.load()) << "the running job can see its token cancelled";
        }
    }
}

// Cancelling through the lane drops the queued job at once, with what it holds.
TEST(WorkLanes, CancellingDropsAQueuedJobsValuesAtOnce)
{
    WorkLanes lanes;
    Gate blocker;
    lanes.post(Lane::Disk, [&] { blocker.pass(); });
    auto held = std::make_shared<int>(1);
    CancelToken token;
    lanes.post(
        Lane::Disk, [held] { (void)held; }, token);
    ASSERT_EQ(held.use_count(), 2);
    lanes.cancel(Lane::Disk, token);
    EXPECT_EQ(held.use_count(), 1);
    blocker.open();
    lanes.drain(Lane::Disk);
}

// One lane runs its jobs one at a time, by due time, and its results come
// back in that order, however long each job takes.
TEST(WorkLanes, ResultsArriveInOrderPerLane)
{
    const struct {
        const char* name;
        std::vector<int> delayMs;  // of the jobs 0, 1, 2, ... in the order they are posted
        std::vector<int> order;
    } cases[] = {
        {"all at once", {0, 0, 0, 0, 0}, {0, 1, 2, 3, 4}},
        {"later ones first", {120, 60, 0}, {2, 1, 0}},
        {"equal times keep their order", {40, 0, 40, 0}, {1, 3, 0, 2}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WorkLanes lanes;
        QObject receiver;
        Gate start;
        std::atomic<int> inside{0}, most{0};
        std::vector<int> applied;
        // Nothing starts before all are queued, so the due times alone decide.
        std::vector<std::atomic<bool>> early(c.delayMs.size());
        lanes.post(Lane::Load, [&] { start.pass(); });
        for (size_t i = 0; i < c.delayMs.size(); ++i) {
            const int n = int(i);
            const auto due = WorkLanes::Clock::now() + std::chrono::milliseconds(c.delayMs[i]);
            lanes.post(
                Lane::Load,
                [&, n, due, r = QPointer<QObject>(&receiver)] {
                    early[size_t(n)] = WorkLanes::Clock::now() < due;
                    const int now = ++inside;
                    most = std::max(most.load(), now);
                    // The earlier jobs take longer: a second thread would let a later one overtake.
                    QThread::msleep(unsigned(2 * (int(c.delayMs.size()) - n)));
                    --inside;
                    WorkLanes::deliver(r, CancelToken(), [&applied, n] { applied.push_back(n); });
                },
                CancelToken(), std::chrono::milliseconds(c.delayMs[i]));
        }
        start.open();
        EXPECT_TRUE(waitUntil([&] { return same(applied.size(), c.order.size()); }));
        EXPECT_EQ(applied, c.order);
        EXPECT_EQ(most.load(), 1);
        for (size_t i = 0; i < early.size(); ++i)
            EXPECT_FALSE(early[i].load()) << "job " << i << " started before its time";
    }
}

// A receiver that is gone before its result comes: nothing is applied, and
// the result is let go on the main thread all the same.
TEST(WorkLanes, AGoneReceiverGetsNothingAndTheResultEndsOnTheMainThread)
{
    const struct {
        const char* name;
        bool goneBeforeStart;
    } cases[] = {{"gone while the job runs", false}, {"gone before it starts", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WorkLanes lanes;
        auto receiver = std::make_unique<QObject>();
        Gate inside;
        std::atomic<bool> started{false};
        bool applied = false;
        std::atomic<Qt::HANDLE> endedOn{nullptr};
        lanes.run(
            Lane::Scan, receiver.get(), CancelToken(),
            [&](const CancelToken&) {
                started = true;
                inside.pass();
                return Tracked(new int(1), EndsOn{&endedOn});
            },
            [&](Tracked) { applied = true; });
        if (c.goneBeforeStart)
            receiver.reset();
        ASSERT_TRUE(waitUntil([&] { return started.load(); }));
        receiver.reset();
        inside.open();
        lanes.drain(Lane::Scan);
        EXPECT_TRUE(waitUntil([&] { return endedOn.load() != nullptr; }));
        EXPECT_FALSE(applied);
        EXPECT_EQ(endedOn.load(), QThread::currentThreadId());
    }
}

// Stopping cancels the running job, drops what waits (but the snapshots',
// which are written first), returns once the threads are done, and takes no more work.
TEST(WorkLanes, StoppingEndsRunningWorkAndDropsTheQueue)
{
    const struct {
        Lane lane;
        bool queuedRuns;
    } cases[] = {{Lane::Analysis, false}, {Lane::Load, false}, {Lane::Snapshot, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.lane));
        auto lanes = std::make_unique<WorkLanes>();
        std::atomic<bool> started{false}, ended{false}, queuedRan{false}, wokeBeforeJoin{false};
        CancelToken running;
        lanes->post(
            c.lane,
            [&] {
                started = true;
                // Bounded, so that a stop that never cancels fails rather than hangs.
                const QDeadlineTimer limit(5000);
                while (!running.cancelled() && !limit.hasExpired())
                    QThread::usleep(200);
                QThread::msleep(30);
                ended = true;
            },
            running);
        lanes->post(
            c.lane, [&] { queuedRan = true; }, CancelToken(), std::chrono::milliseconds(c.queuedRuns ? 0 : 50));
        lanes->whenStopping(c.lane, [&] { wokeBeforeJoin = !ended; });
        ASSERT_TRUE(waitUntil([&] { return started.load(); }));
        lanes->stop();
        EXPECT_TRUE(ended.load()) << "stop returned before the running job ended";
        EXPECT_TRUE(running.cancelled());
        EXPECT_TRUE(wokeBeforeJoin.load());
        EXPECT_EQ(queuedRan.load(), c.queuedRuns);
        std::atomic<bool> late{false};
        lanes->post(c.lane, [&] { late = true; });
        lanes.reset();
        EXPECT_FALSE(late.load());
    }
}

// Destroyed with work queued and running: no job runs on freed state.
TEST(WorkLanes, DestroyingTheLanesJoinsTheirThreads)
{
    auto lanes = std::make_unique<WorkLanes>();
    auto alive = std::make_shared<std::atomic<int>>(0);
    std::atomic<bool> started{false};
    for (Lane lane : {Lane::Load, Lane::Find, Lane::Disk, Lane::Preview})
        for (int i = 0; i < 3; ++i)
            lanes->post(lane, [alive, &started] {
                started = true;
                ++*alive;
                QThread::msleep(5);
                --*alive;
            });
    ASSERT_TRUE(waitUntil([&] { return started.load(); }));
    lanes.reset();
    EXPECT_EQ(alive->load(), 0);
    EXPECT_EQ(alive.use_count(), 1) << "a job outlived its lanes";
}

// The favoured tag's jobs have a thread of their own on the Analysis lane;
// a lane without one keeps them in line.
TEST(WorkLanes, TheFavouredTagIsNotKeptWaitingByAnother)
{
    const struct {
        Lane lane;
        bool overtakes;
    } cases[] = {{Lane::Analysis, true}, {Lane::Find, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.lane));
        WorkLanes lanes;
        const int shown = 0, other = 0;
        lanes.favour(c.lane, &shown);
        Gate longJob;
        std::atomic<bool> favouredRan{false};
        lanes.post(
            c.lane, [&] { longJob.pass(); }, CancelToken(), {}, &other);
        lanes.post(
            c.lane, [&] { favouredRan = true; }, CancelToken(), {}, &shown);
        if (c.overtakes)
            EXPECT_TRUE(waitUntil([&] { return favouredRan.load(); }));
        else {
            nextTurn(3);
            EXPECT_FALSE(favouredRan.load());
        }
        longJob.open();
        lanes.drain(c.lane);
        EXPECT_TRUE(favouredRan.load());
    }
}

// Settling drops the token's waiting jobs and returns only once its running one is done.
TEST(WorkLanes, SettlingWaitsForTheRunningJobAndDropsTheQueuedOnes)
{
    WorkLanes lanes;
    CancelToken token;
    Gate inside;
    std::atomic<bool> started{false}, ended{false}, queuedRan{false}, otherRan{false};
    lanes.post(
        Lane::Snapshot,
        [&] {
            started = true;
            inside.pass();
            QThread::msleep(20);
            ended = true;
        },
        token);
    lanes.post(
        Lane::Snapshot, [&] { queuedRan = true; }, token);
    lanes.post(Lane::Snapshot, [&] { otherRan = true; });
    ASSERT_TRUE(waitUntil([&] { return started.load(); }));
    std::thread opener([&] { inside.open(); });
    lanes.settle(Lane::Snapshot, token);
    EXPECT_TRUE(ended.load());
    opener.join();
    lanes.drain(Lane::Snapshot);
    EXPECT_FALSE(queuedRan.load());
    EXPECT_TRUE(otherRan.load());
}
