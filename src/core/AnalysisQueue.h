#pragma once

#include <chrono>
#include <memory>

class AnalysisJob;

// The one serial background queue "lorvane.analysis": jobs run one at a
// time on a worker thread, ordered by their due time on the monotonic clock
// (submission order among equal times). Lives for the whole process.
class AnalysisQueue {
public:
    using Clock = std::chrono::steady_clock;

    static AnalysisQueue& shared();

    void submit(std::shared_ptr<AnalysisJob> job, double delaySeconds);
    // Removes a job that has not started yet, releasing its text at once.
    void cancel(const std::shared_ptr<AnalysisJob>& job);

    // Jobs whose plugin calls have completed since the process started.
    unsigned long long completedCount() const;

    ~AnalysisQueue();
    AnalysisQueue(const AnalysisQueue&) = delete;
    AnalysisQueue& operator=(const AnalysisQueue&) = delete;

private:
    AnalysisQueue();
    struct Private;
    std::unique_ptr<Private> d_;
};
