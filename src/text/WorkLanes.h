#pragma once

#include <QCoreApplication>
#include <QObject>
#include <QPointer>
#include <array>
#include <atomic>
#include <chrono>
#include <concepts>
#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

// The program's background work, by kind. Each lane runs its jobs one at a
// time, in the order they are due, on a thread of its own (started on first
// use); lanes never wait for each other.
enum class Lane {
    Load,      // reading large files to open, restore or reload: in the order asked for
    Analysis,  // checking and rendering documents; the favoured one has a thread of its own
    Find,      // find and replace over a copy of a big text
    Scan,      // counting words and gathering headings of a big text
    Disk,      // reading a file back to tell whether another program changed it
    Snapshot,  // writing unsaved texts aside; what is queued is written even at exit
    Preview,   // building the preview's page scripts
};

// Shared between whoever asks for a job and the job: once cancelled, a job
// that has not started never does, a running one may look and stop, and its
// result is not applied.
class CancelToken {
public:
    CancelToken() : flag_(std::make_shared<std::atomic<bool>>(false)) {}
    void cancel() const { flag_->store(true); }
    bool cancelled() const { return flag_->load(); }
    // For code that polls a flag of its own kind.
    const std::atomic<bool>* flag() const { return flag_.get(); }
    bool operator==(const CancelToken& other) const { return flag_ == other.flag_; }

private:
    std::shared_ptr<std::atomic<bool>> flag_;
};

// A job or a result to apply: called once, moved around, never copied, so
// that it may hold move-only values such as a file just read.
class LaneTask {
public:
    LaneTask() = default;
    // By value: the task keeps its own copy of whatever it is given.
    template <class F>
    requires(!std::same_as<F, LaneTask> && std::invocable<F&>) LaneTask(F f)
        : impl_(std::make_unique<Impl<F>>(std::move(f)))
    {
    }
    void operator()() { impl_->call(); }
    explicit operator bool() const { return impl_ != nullptr; }

private:
    struct Base {
        virtual ~Base() = default;
        virtual void call() = 0;
    };
    template <class F> struct Impl final : Base {
        explicit Impl(F&& f) : f(std::move(f)) {}
        void call() override { f(); }
        F f;
    };
    std::unique_ptr<Base> impl_;
};

class WorkLanes {
public:
    using Clock = std::chrono::steady_clock;

    WorkLanes();
    // Stops, as stop() does.
    ~WorkLanes();
    WorkLanes(const WorkLanes&) = delete;
    WorkLanes& operator=(const WorkLanes&) = delete;

    // The process's lanes; stopped when the application object goes, so no
    // job outlives what it reports to.
    static WorkLanes& shared();

    // Queues `work`, to start no sooner than `delay` from now (submission
    // order among equal times). `tag` says whose job it is, for favour().
    // False, and `work` let go, once the lane has stopped.
    bool post(Lane lane, LaneTask work, const CancelToken& token = CancelToken(), Clock::duration delay = {},
              const void* tag = nullptr);

    // Runs `work(token)` on the lane, then `apply(result)` on the main
    // thread: not when the receiver is gone or the token was cancelled by
    // then. Whatever the result holds is let go on the main thread.
    template <class Work, class Apply>
    void run(Lane lane, QObject* receiver, const CancelToken& token, Work work, Apply apply)
    {
        post(
            lane,
            [receiver = QPointer<QObject>(receiver), token, work = std::move(work),
             apply = std::move(apply)]() mutable {
                deliver(receiver, token,
                        [result = work(token), apply = std::move(apply)]() mutable { apply(std::move(result)); });
            },
            token);
    }

    // From a job: calls `apply` on the main thread, unless the receiver is
    // gone or the token cancelled by then. `apply` is let go there in any case
    // (here when there is no application object).
    template <class T> static void deliver(QPointer<T> receiver, const CancelToken& token, LaneTask apply)
    {
        toMainThread([receiver = std::move(receiver), token, apply = std::move(apply)]() mutable {
            if (receiver && !token.cancelled())
                apply();
        });
    }

    // Cancels the token and drops its queued jobs now, letting go of what they hold.
    void cancel(Lane lane, const CancelToken& token);
    // Drops the token's queued jobs and waits for its running one.
    void settle(Lane lane, const CancelToken& token);
    // Waits until the token's queued and running jobs are done.
    void wait(Lane lane, const CancelToken& token);
    // Waits until the lane has nothing queued or running.
    void drain(Lane lane);

    // The tag whose jobs the Analysis lane's second thread serves; the other
    // thread takes everyone else's, so no other long job delays them.
    void favour(Lane lane, const void* tag);
    // Called by stop() once the lane's running jobs are cancelled, for what
    // a cancelled token alone does not wake.
    void whenStopping(Lane lane, std::function<void()> wake);

    // Drops what is queued (the Snapshot lane's is written first), cancels
    // what runs and joins the threads. Later jobs are dropped.
    void stop();
    void stop(Lane lane);

private:
    // Sent to the application object rather than the receiver, so that it is
    // let go on the main thread even when the receiver is gone.
    static void toMainThread(LaneTask task);
    struct Queue;
    static constexpr int laneCount = int(Lane::Preview) + 1;
    Queue& queue(Lane lane) const { return *queues_[size_t(lane)]; }
    std::array<std::unique_ptr<Queue>, laneCount> queues_;
};
