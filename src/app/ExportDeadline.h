#pragma once

#include <QString>
#include <condition_variable>
#include <mutex>
#include <thread>

// The overall limit of a command-line export. Rendering may be stuck inside
// a script engine or the web engine on the main thread, where nothing can
// stop it from outside, so when the time is up a watching thread prints the
// message and ends the process with status 1. Nothing has been written by
// then: the output is written only after disarm().
class ExportDeadline {
public:
    ExportDeadline(double seconds, const QString& message);
    ~ExportDeadline();
    ExportDeadline(const ExportDeadline&) = delete;
    ExportDeadline& operator=(const ExportDeadline&) = delete;
    // The export finished in time.
    void disarm();

private:
    std::mutex m_;
    std::condition_variable wake_;
    bool disarmed_ = false;
    std::thread watcher_;
};
