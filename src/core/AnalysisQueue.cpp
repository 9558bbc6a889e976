#include "core/AnalysisQueue.h"

#include "plugins/ScriptHost.h"

#include "core/AnalysisJob.h"
#include "text/WorkLanes.h"

#include <atomic>

namespace {
// Outside the queue object: a job may end while the process's statics go.
std::atomic<unsigned long long> completed{0};
}

AnalysisQueue::AnalysisQueue()
{
    // A job waiting for a script would hold the lane's join as long as the script runs.
    WorkLanes::shared().whenStopping(Lane::Analysis, [] { ScriptHost::stop(); });
}

AnalysisQueue::~AnalysisQueue() = default;

void AnalysisQueue::stop() { WorkLanes::shared().stop(Lane::Analysis); }

void AnalysisQueue::setShown(const void* docKey) { WorkLanes::shared().favour(Lane::Analysis, docKey); }

AnalysisQueue& AnalysisQueue::shared()
{
    static AnalysisQueue queue;
    return queue;
}

void AnalysisQueue::submit(std::shared_ptr<AnalysisJob> job, double delaySeconds)
{
    const auto delay = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(std::max(0.0, delaySeconds)));
    const CancelToken token = job->token();
    const void* key = job->docKey();
    WorkLanes::shared().post(
        Lane::Analysis,
        [job = std::move(job)]() mutable {
            if (!job->begin())
                return;
            job->run();
            job.reset();
            completed.fetch_add(1);
        },
        token, delay, key);
}

void AnalysisQueue::cancel(const std::shared_ptr<AnalysisJob>& job)
{
    if (!job)
        return;
    job->cancel();
    // Dropped from the lane at once, with its text.
    WorkLanes::shared().cancel(Lane::Analysis, job->token());
}

unsigned long long AnalysisQueue::completedCount() const { return completed.load(); }
