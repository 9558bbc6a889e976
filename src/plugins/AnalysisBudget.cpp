#include "plugins/AnalysisBudget.h"

namespace AnalysisBudget {

Scope::Scope(Clock::duration limit, const std::atomic<bool>* stop)
    : outerActive_(detail::state.active), outerDeadline_(detail::state.deadline), outerStop_(detail::state.stop)
{
    detail::state.active = true;
    detail::state.deadline = Clock::now() + limit;
    detail::state.stop = stop;
}

Scope::~Scope()
{
    detail::state.active = outerActive_;
    detail::state.deadline = outerDeadline_;
    detail::state.stop = outerStop_;
}

void detail::check()
{
    const State& s = state;
    if (s.stop && s.stop->load(std::memory_order_relaxed))
        throw Expired{true};
    if (Clock::now() >= s.deadline)
        throw Expired{false};
}

bool active() { return detail::state.active; }

}
