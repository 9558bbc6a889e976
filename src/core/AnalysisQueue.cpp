#include "core/AnalysisQueue.h"

#include "plugins/ScriptHost.h"

#include "core/AnalysisJob.h"
#include "plugins/WorkerPriority.h"

#include <QCoreApplication>
#include <array>
#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

struct AnalysisQueue::Private {
    using Key = std::pair<Clock::time_point, unsigned long long>;

    std::mutex mutex;
    std::condition_variable wake;
    std::map<Key, std::shared_ptr<AnalysisJob>> jobs;
    unsigned long long nextSeq = 0;
    bool stopping = false;
    const void* shown = nullptr;
    std::atomic<unsigned long long> completed{0};
    std::thread shownLane, otherLane;
    // The job each lane runs, so that stopping can ask it to end early.
    std::array<std::shared_ptr<AnalysisJob>, 2> running;

    bool forShown(const AnalysisJob& job) const { return job.docKey() && job.docKey() == shown; }

    // One lane takes the shown document's jobs, the other everything else.
    void loop(bool shownOnly)
    {
        std::unique_lock lock(mutex);
        for (;;) {
            if (stopping)
                return;
            auto first = jobs.begin();
            while (first != jobs.end() && forShown(*first->second) != shownOnly)
                ++first;
            if (first == jobs.end()) {
                wake.wait(lock);
                continue;
            }
            // A copy: while this lane waits, the job may be cancelled and
            // its key freed with it.
            const Clock::time_point due = first->first.first;
            if (Clock::now() < due) {
                wake.wait_until(lock, due);
                continue;
            }
            std::shared_ptr<AnalysisJob> job = std::move(first->second);
            jobs.erase(first);
            if (!job->begin())
                continue;
            running[shownOnly] = job;
            lock.unlock();
            job->run();
            job.reset();
            completed.fetch_add(1);
            lock.lock();
            running[shownOnly].reset();
        }
    }
};

AnalysisQueue::AnalysisQueue() : d_(std::make_unique<Private>())
{
    d_->shownLane = std::thread([p = d_.get()] {
        yieldToWindow();
        p->loop(true);
    });
    d_->otherLane = std::thread([p = d_.get()] {
        yieldToWindow();
        p->loop(false);
    });
}

AnalysisQueue::~AnalysisQueue() { stop(); }

void AnalysisQueue::stop()
{
    {
        std::lock_guard lock(d_->mutex);
        d_->stopping = true;
        d_->jobs.clear();
        for (const auto& job : d_->running)
            if (job)
                job->cancel();
    }
    d_->wake.notify_all();
    // A job waiting for a script would hold the join as long as the script runs.
    ScriptHost::stop();
    for (std::thread* t : {&d_->shownLane, &d_->otherLane})
        if (t->joinable())
            t->join();
}

void AnalysisQueue::setShown(const void* docKey)
{
    {
        std::lock_guard lock(d_->mutex);
        d_->shown = docKey;
    }
    d_->wake.notify_all();
}

AnalysisQueue& AnalysisQueue::shared()
{
    static AnalysisQueue& queue = []() -> AnalysisQueue& {
        static AnalysisQueue q;
        // A job still running when the application object goes would post
        // to it, or start processes, while the rest of the process is
        // being torn down: the lanes end first.
        if (QCoreApplication::instance())
            qAddPostRoutine([] { AnalysisQueue::shared().stop(); });
        return q;
    }();
    return queue;
}

void AnalysisQueue::submit(std::shared_ptr<AnalysisJob> job, double delaySeconds)
{
    const auto delay = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(std::max(0.0, delaySeconds)));
    {
        std::lock_guard lock(d_->mutex);
        if (d_->stopping)
            return;
        d_->jobs.emplace(Private::Key{Clock::now() + delay, d_->nextSeq++}, std::move(job));
    }
    d_->wake.notify_all();
}

void AnalysisQueue::cancel(const std::shared_ptr<AnalysisJob>& job)
{
    if (!job)
        return;
    job->cancel();
    std::lock_guard lock(d_->mutex);
    for (auto it = d_->jobs.begin(); it != d_->jobs.end(); ++it)
        if (it->second == job) {
            d_->jobs.erase(it);
            break;
        }
}

unsigned long long AnalysisQueue::completedCount() const { return d_->completed.load(); }
