#include "core/Doc.h"

#include "core/AnalysisJob.h"
#include "core/AnalysisQueue.h"

void Doc::scheduleAnalysis(double delaySeconds)
{
    AnalysisQueue& queue = AnalysisQueue::shared();
    if (analysis_)
        queue.cancel(analysis_);
    const FormatPlugin& p = plugin();
    const bool wantPreview = mode_ != ViewMode::editor && p.supportsPreview();
    auto job = std::make_shared<AnalysisJob>(p, text_, wantPreview, weakSelf());
    setAnalysis(job);
    queue.submit(std::move(job), delaySeconds);
}
