#include "plugins/AnalysisBudget.h"

#include "plugins/WorkerClock.h"

namespace AnalysisBudget {

namespace {

// The calling thread's processor time.
Clock::duration threadTime() { return std::chrono::duration_cast<Clock::duration>(WorkerClock::ofThisThread().now()); }

}

Scope::Scope(Clock::duration limit, const std::atomic<bool>* stop)
    : outerActive_(detail::state.active),
      outerDeadline_(detail::state.deadline),
      outerCap_(detail::state.cap),
      outerLimit_(detail::state.limit),
      outerCpuStart_(detail::state.cpuStart),
      outerStop_(detail::state.stop)
{
    detail::State& s = detail::state;
    const Clock::time_point now = Clock::now();
    s.active = true;
    s.deadline = now + limit;
    s.cap = now + limit * WorkerClock::clockCap;
    s.limit = limit;
    s.cpuStart = threadTime();
    s.stop = stop;
}

Scope::~Scope()
{
    detail::State& s = detail::state;
    s.active = outerActive_;
    s.deadline = outerDeadline_;
    s.cap = outerCap_;
    s.limit = outerLimit_;
    s.cpuStart = outerCpuStart_;
    s.stop = outerStop_;
}

void detail::check()
{
    State& s = state;
    if (s.stop && s.stop->load(std::memory_order_relaxed))
        throw Expired{true};
    const Clock::time_point now = Clock::now();
    if (now < s.deadline)
        return;
    if (now >= s.cap)
        throw Expired{false};
    const Clock::duration used = threadTime() - s.cpuStart;
    if (used >= s.limit)
        throw Expired{false};
    // The rest of the processor time cannot be used up sooner than this.
    s.deadline = now + (s.limit - used);
}

bool active() { return detail::state.active; }

}
