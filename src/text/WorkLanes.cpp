#include "text/WorkLanes.h"

#include "text/WorkerPriority.h"

#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace {

struct Entry {
    LaneTask work;
    CancelToken token;
    const void* tag = nullptr;
};

// Which jobs a thread of a lane takes.
enum class Serves { all, favoured, others };

}

struct WorkLanes::Queue {
    using Key = std::pair<Clock::time_point, unsigned long long>;

    Lane lane = Lane::Load;
    mutable std::mutex mutex;
    std::condition_variable wake, idle;
    std::map<Key, Entry> jobs;
    unsigned long long nextSeq = 0;
    const void* favoured = nullptr;
    bool closed = false;
    std::vector<std::thread> threads;
    // The token of the job each thread runs, so that stopping can cancel it
    // and settling can wait for it.
    std::array<std::optional<CancelToken>, 2> running;
    std::function<void()> wakeAtStop;

    // The window's turns come first; reading for the disk check and writing
    // snapshots keep their ordinary priority: a save or a quit waits for them.
    bool yields() const { return lane != Lane::Disk && lane != Lane::Snapshot; }
    bool keepsQueuedAtStop() const { return lane == Lane::Snapshot; }
    bool split() const { return lane == Lane::Analysis; }

    bool takes(Serves serves, const Entry& e) const
    {
        if (serves == Serves::all)
            return true;
        const bool isFavoured = e.tag && e.tag == favoured;
        return isFavoured == (serves == Serves::favoured);
    }

    bool busyWith(const CancelToken& token) const
    {
        for (const auto& r : running)
            if (r && *r == token)
                return true;
        return false;
    }

    void start()
    {
        if (!threads.empty())
            return;
        if (split()) {
            threads.emplace_back([this] { serve(Serves::favoured, 0); });
            threads.emplace_back([this] { serve(Serves::others, 1); });
        } else
            threads.emplace_back([this] { serve(Serves::all, 0); });
    }

    void serve(Serves serves, size_t slot)
    {
        if (yields())
            yieldToWindow();
        std::unique_lock lock(mutex);
        for (;;) {
            auto first = jobs.begin();
            while (first != jobs.end() && !takes(serves, first->second))
                ++first;
            if (first == jobs.end()) {
                if (closed)
                    return;
                wake.wait(lock);
                continue;
            }
            // At stop, what is kept runs at once.
            if (!closed) {
                // A copy: while waiting, the job may be dropped and its key with it.
                const Clock::time_point due = first->first.first;
                if (Clock::now() < due) {
                    wake.wait_until(lock, due);
                    continue;
                }
            }
            Entry e = std::move(first->second);
            jobs.erase(first);
            const bool runs = !e.token.cancelled();
            if (runs)
                running[slot] = e.token;
            lock.unlock();
            if (runs)
                e.work();
            // Let go here, not under the lock: it may hold the last copy of a long text.
            e = Entry{};
            lock.lock();
            running[slot].reset();
            idle.notify_all();
        }
    }

    // Takes the token's queued jobs out, for the caller to let go of unlocked.
    std::vector<Entry> takeQueued(const CancelToken& token)
    {
        std::vector<Entry> out;
        for (auto it = jobs.begin(); it != jobs.end();)
            if (it->second.token == token) {
                out.push_back(std::move(it->second));
                it = jobs.erase(it);
            } else
                ++it;
        return out;
    }

    void close();
    void join();

    bool holds(const CancelToken& token) const
    {
        for (const auto& [key, e] : jobs)
            if (e.token == token)
                return true;
        return false;
    }
};

WorkLanes::WorkLanes()
{
    for (int i = 0; i < laneCount; ++i) {
        queues_[size_t(i)] = std::make_unique<Queue>();
        queues_[size_t(i)]->lane = Lane(i);
    }
}

WorkLanes::~WorkLanes() { stop(); }

WorkLanes& WorkLanes::shared()
{
    static WorkLanes& lanes = []() -> WorkLanes& {
        static WorkLanes l;
        // A job still running when the application object goes would post to
        // it while the rest of the process is torn down: the lanes end first.
        if (QCoreApplication::instance())
            qAddPostRoutine([] { WorkLanes::shared().stop(); });
        return l;
    }();
    return lanes;
}

bool WorkLanes::post(Lane lane, LaneTask work, const CancelToken& token, Clock::duration delay, const void* tag)
{
    Queue& q = queue(lane);
    {
        std::lock_guard lock(q.mutex);
        if (q.closed)
            return false;
        q.start();
        q.jobs.emplace(Queue::Key{Clock::now() + std::max(delay, Clock::duration::zero()), q.nextSeq++},
                       Entry{std::move(work), token, tag});
    }
    q.wake.notify_all();
    return true;
}

void WorkLanes::toMainThread(LaneTask task)
{
    if (QCoreApplication* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(app, std::move(task), Qt::QueuedConnection);
}

void WorkLanes::cancel(Lane lane, const CancelToken& token)
{
    token.cancel();
    Queue& q = queue(lane);
    std::vector<Entry> dropped;
    {
        std::lock_guard lock(q.mutex);
        dropped = q.takeQueued(token);
    }
    q.idle.notify_all();
}

void WorkLanes::settle(Lane lane, const CancelToken& token)
{
    Queue& q = queue(lane);
    std::vector<Entry> dropped;
    std::unique_lock lock(q.mutex);
    dropped = q.takeQueued(token);
    q.idle.wait(lock, [&] { return !q.busyWith(token); });
    lock.unlock();
}

void WorkLanes::wait(Lane lane, const CancelToken& token)
{
    Queue& q = queue(lane);
    std::unique_lock lock(q.mutex);
    q.idle.wait(lock, [&] { return !q.holds(token) && !q.busyWith(token); });
}

void WorkLanes::drain(Lane lane)
{
    Queue& q = queue(lane);
    std::unique_lock lock(q.mutex);
    q.idle.wait(lock, [&] { return q.jobs.empty() && !q.running[0] && !q.running[1]; });
}

void WorkLanes::favour(Lane lane, const void* tag)
{
    Queue& q = queue(lane);
    {
        std::lock_guard lock(q.mutex);
        q.favoured = tag;
    }
    q.wake.notify_all();
}

void WorkLanes::whenStopping(Lane lane, std::function<void()> wake)
{
    Queue& q = queue(lane);
    std::lock_guard lock(q.mutex);
    q.wakeAtStop = std::move(wake);
}

void WorkLanes::Queue::close()
{
    std::map<Key, Entry> dropped;
    std::function<void()> wakeAlso;
    {
        std::lock_guard lock(mutex);
        closed = true;
        if (!keepsQueuedAtStop())
            dropped.swap(jobs);
        for (const auto& r : running)
            if (r)
                r->cancel();
        wakeAlso = wakeAtStop;
    }
    wake.notify_all();
    idle.notify_all();
    if (wakeAlso)
        wakeAlso();
}

void WorkLanes::Queue::join()
{
    for (std::thread& t : threads)
        if (t.joinable())
            t.join();
}

void WorkLanes::stop(Lane lane)
{
    queue(lane).close();
    queue(lane).join();
}

void WorkLanes::stop()
{
    // All asked first, so that the lanes end together.
    for (const auto& q : queues_)
        q->close();
    for (const auto& q : queues_)
        q->join();
}
