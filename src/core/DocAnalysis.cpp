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
    // A shown document's text lives in its editor: its bytes are copied and
    // converted on the worker; a format with nothing to check or show needs
    // no copy at all.
    TextCopy copy = p.validates || wantPreview ? textCopy() : TextCopy();
    auto job = copy.utf8.isNull() ? std::make_shared<AnalysisJob>(p, std::move(copy.text), wantPreview, weakSelf())
                                  : std::make_shared<AnalysisJob>(p, std::move(copy.utf8), wantPreview, weakSelf());
    setAnalysis(job);
    queue.submit(std::move(job), delaySeconds);
}
