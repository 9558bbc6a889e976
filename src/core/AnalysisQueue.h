#pragma once

#include <chrono>
#include <memory>

class AnalysisJob;

// Analysis jobs on the Analysis lane: one at a time per thread, ordered by
// their due time on the monotonic clock (submission order among equal
// times). The shown document's jobs have a thread of their own, so no other
// document's long work delays what is on screen. Lives for the whole process.
class AnalysisQueue {
public:
    using Clock = std::chrono::steady_clock;

    static AnalysisQueue& shared();

    void submit(std::shared_ptr<AnalysisJob> job, double delaySeconds);
    // Removes a job that has not started yet, releasing its text at once.
    void cancel(const std::shared_ptr<AnalysisJob>& job);

    // The document on screen (its address; null for none): its jobs run on their own lane.
    void setShown(const void* docKey);

    // Drops the waiting jobs, asks the running ones to end and waits for
    // the lanes; later submissions are dropped. Runs when the application
    // object is destroyed, before the process's static objects go.
    void stop();

    // Jobs whose plugin calls have completed since the process started.
    unsigned long long completedCount() const;

    ~AnalysisQueue();
    AnalysisQueue(const AnalysisQueue&) = delete;
    AnalysisQueue& operator=(const AnalysisQueue&) = delete;

private:
    AnalysisQueue();
};
