#include "core/Doc.h"

#include "core/AnalysisJob.h"
#include "core/AnalysisQueue.h"

#include <atomic>

namespace {
std::atomic<bool> analysisEnabled{true};
}

void Doc::setAnalysisEnabled(bool enabled) { analysisEnabled = enabled; }

void Doc::scheduleAnalysis(double delaySeconds)
{
    if (!analysisEnabled)
        return;
    AnalysisQueue& queue = AnalysisQueue::shared();
    if (analysis_)
        queue.cancel(analysis_);
    const FormatPlugin& p = plugin();
    const bool wantPreview = mode_ != ViewMode::editor && p.supportsPreview();
    auto job = std::make_shared<AnalysisJob>(p, text(), wantPreview, weakSelf());
    setAnalysis(job);
    queue.submit(std::move(job), delaySeconds);
}
