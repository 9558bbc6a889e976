#include "editor/FindWorker.h"

#include "plugins/WorkerPriority.h"

#include <QPointer>
#include <mutex>
#include <thread>

struct FindWorker::Job {
    std::atomic<bool> stop{false};
    std::mutex lock;
    std::function<void()> result;  // set by the thread when done; runs on the main thread
    std::thread thread;
};

FindWorker::FindWorker(QObject* parent) : QObject(parent) {}

FindWorker::~FindWorker()
{
    cancel();
    for (const auto& j : stopping_)
        j->thread.join();
}

void FindWorker::cancel()
{
    if (!job_)
        return;
    job_->stop = true;
    stopping_.push_back(std::move(job_));
}

void FindWorker::start(std::function<std::function<void()>(const std::atomic<bool>&)> work)
{
    cancel();
    // Threads that were told to stop end within a moment; join those that did.
    std::erase_if(stopping_, [](const std::shared_ptr<Job>& j) {
        const std::lock_guard guard(j->lock);
        if (!j->result)
            return false;
        j->thread.join();
        return true;
    });
    auto job = std::make_shared<Job>();
    job_ = job;
    QPointer<FindWorker> self(this);
    job->thread = std::thread([self, job, work = std::move(work)] {
        yieldToWindow();
        std::function<void()> result = work(job->stop);
        {
            const std::lock_guard guard(job->lock);
            job->result = result ? std::move(result) : [] {};
        }
        QMetaObject::invokeMethod(
            self.data(),
            [self, job] {
                if (self)
                    self->deliver(job);
            },
            Qt::QueuedConnection);
    });
}

void FindWorker::deliver(const std::shared_ptr<Job>& job)
{
    // A superseded request, or one handed over by finish() already.
    if (job != job_)
        return;
    job_.reset();
    job->thread.join();
    std::function<void()> result;
    {
        const std::lock_guard guard(job->lock);
        result = std::move(job->result);
    }
    result();
}

void FindWorker::finish()
{
    // A copy: deliver() lets go of job_ before it waits.
    if (const std::shared_ptr<Job> job = job_)
        deliver(job);
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
