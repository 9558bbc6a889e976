#include "editor/FindWorker.h"

#include "text/WorkLanes.h"

#include <QPointer>
#include <mutex>

struct FindWorker::Job {
    CancelToken token;
    std::mutex lock;
    std::function<void()> result;  // set on the lane when done; runs on the main thread
};

FindWorker::FindWorker(QObject* parent) : QObject(parent) {}

FindWorker::~FindWorker() { cancel(); }

void FindWorker::cancel()
{
    if (!job_)
        return;
    // A running search sees it at its next check; a queued one never starts.
    WorkLanes::shared().cancel(Lane::Find, job_->token);
    job_.reset();
}

void FindWorker::start(std::function<std::function<void()>(const std::atomic<bool>&)> work)
{
    cancel();
    auto job = std::make_shared<Job>();
    job_ = job;
    QPointer<FindWorker> self(this);
    WorkLanes::shared().post(
        Lane::Find,
        [self, job, work = std::move(work)] {
            std::function<void()> result = work(*job->token.flag());
            {
                const std::lock_guard guard(job->lock);
                job->result = result ? std::move(result) : [] {};
            }
            WorkLanes::deliver(self, job->token, [self, job] { self->deliver(job); });
        },
        job->token);
}

void FindWorker::deliver(const std::shared_ptr<Job>& job)
{
    // A superseded request, or one handed over by finish() already.
    if (job != job_)
        return;
    job_.reset();
    std::function<void()> result;
    {
        const std::lock_guard guard(job->lock);
        result = std::move(job->result);
    }
    // Nothing when the lanes stopped before it ran.
    if (result)
        result();
}

void FindWorker::finish()
{
    // A copy: deliver() lets go of job_.
    if (const std::shared_ptr<Job> job = job_) {
        WorkLanes::shared().wait(Lane::Find, job->token);
        deliver(job);
    }
}

void FindWorker::find(const FindOptions& options, TextCopy text, std::function<void(Matches)> done)
{
    start([options, text = std::move(text), done = std::move(done)](const std::atomic<bool>& stop) mutable {
        FindExpression expr = FindEngine::regex(options);
        expr.stopWhen(&stop);
        Matches found = expr.matches(std::exchange(text, TextCopy()).toString());
        if (stop)
            return std::function<void()>();
        return std::function<void()>(
            [done = std::move(done), found = std::move(found)]() mutable { done(std::move(found)); });
    });
}

void FindWorker::replaceAll(const FindOptions& options, const QString& replaceTemplate, TextCopy text,
                            std::function<void(Replaced)> done)
{
    start([options, replaceTemplate, text = std::move(text),
           done = std::move(done)](const std::atomic<bool>& stop) mutable {
        FindExpression expr = FindEngine::regex(options);
        expr.stopWhen(&stop);
        const QString whole = std::exchange(text, TextCopy()).toString();
        const std::vector<FindExpression::Replacement> reps = expr.replacements(whole, replaceTemplate);
        if (stop)
            return std::function<void()>();
        Replaced r{FindExpression::apply(whole, reps).toUtf8(), int(reps.size())};
        return std::function<void()>([done = std::move(done), r = std::move(r)]() mutable { done(std::move(r)); });
    });
}
