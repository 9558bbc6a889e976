#include "app/ExportDeadline.h"

#include <chrono>
#include <cstdlib>
#include <unistd.h>

ExportDeadline::ExportDeadline(double seconds, const QString& message)
{
    const auto limit = std::chrono::duration<double>(seconds);
    watcher_ = std::thread([this, limit, text = message.toUtf8() + '\n'] {
        std::unique_lock lock(m_);
        if (wake_.wait_for(lock, limit, [this] { return disarmed_; }))
            return;
        // The main thread may hold any lock: only what is safe from here.
        // Nothing is left to do if the message cannot be written.
        if (::write(STDERR_FILENO, text.constData(), size_t(text.size())) < 0) {}
        std::_Exit(1);
    });
}

ExportDeadline::~ExportDeadline() { disarm(); }

void ExportDeadline::disarm()
{
    {
        std::lock_guard lock(m_);
        disarmed_ = true;
    }
    wake_.notify_all();
    if (watcher_.joinable())
        watcher_.join();
}
