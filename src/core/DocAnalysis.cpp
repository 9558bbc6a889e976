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
    const auto submit = [delaySeconds, wantPreview, plugin = &p](Doc& doc, TextCopy copy) {
        auto job = copy.utf8.isNull()
            ? std::make_shared<AnalysisJob>(*plugin, std::move(copy.text), wantPreview, doc.weakSelf())
            : std::make_shared<AnalysisJob>(*plugin, std::move(copy.utf8), wantPreview, doc.weakSelf());
        doc.setAnalysis(job);
        AnalysisQueue::shared().submit(std::move(job), delaySeconds);
    };
    const quint64 asked = ++analysisAsked_;
    // A format with nothing to check or show needs neither a copy of the
    // text nor a job: there are no findings, and a result of an earlier
    // format still on its way is refused.
    if (!(p.validates || wantPreview)) {
        analysis_.reset();
        analysisFloor_ = AnalysisJob::nextSerial();
        setDiagnostics({});
        return;
    }
    // A shown document's text lives in its editor: its bytes are copied and
    // converted on the worker. A long buffer is copied over several turns; a
    // newer request meanwhile makes this one moot.
    if (!store_.copiesInPieces()) {
        submit(*this, textCopy());
        return;
    }
    withTextCopy([weak = weakSelf(), asked, submit](TextCopy copy) {
        if (const DocPtr doc = weak.lock(); doc && doc->analysisAsked_ == asked)
            submit(*doc, std::move(copy));
    });
}
