#pragma once

#include <atomic>
#include <chrono>

// The time a background check or rendering may take, and the way plugin
// code learns that it should stop: long loops call poll(), which throws
// Expired once the deadline has passed or newer work has replaced this run.
// The limit is the thread's own processor time, so a busy machine does not
// fail a check that would pass on a quiet one; waiting (on a renderer, say)
// ends at five times the limit on the clock. Outside a Scope (command
// line, tests) poll() never throws.
namespace AnalysisBudget {

using Clock = std::chrono::steady_clock;

struct Expired {
    bool superseded = false;  // newer text asked for the work to stop; no one wants the result
};

// Installs a budget for the calling thread while it lives.
class Scope {
public:
    Scope(Clock::duration limit, const std::atomic<bool>* stop);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

private:
    bool outerActive_;
    Clock::time_point outerDeadline_;
    Clock::time_point outerCap_;
    Clock::duration outerLimit_;
    Clock::duration outerCpuStart_;
    const std::atomic<bool>* outerStop_;
};

namespace detail {
struct State {
    bool active = false;
    unsigned tick = 0;
    // The clock is read on every check; the thread's processor time only
    // once `deadline` has passed, which it cannot do before the clock does.
    Clock::time_point deadline;
    Clock::time_point cap;
    Clock::duration limit{};
    Clock::duration cpuStart{};
    const std::atomic<bool>* stop = nullptr;
};
inline thread_local State state;
void check();  // throws Expired
}

// Cheap enough for every line or value: looks at the clock every 16th call.
inline void poll()
{
    detail::State& s = detail::state;
    if (s.active && (++s.tick & 15u) == 0)
        detail::check();
}
// Looks at the clock now.
inline void pollNow()
{
    if (detail::state.active)
        detail::check();
}
bool active();

}
