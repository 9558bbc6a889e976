#pragma once

#include "text/FindEngine.h"
#include "text/TextCopy.h"

#include <QByteArray>
#include <QObject>
#include <functional>
#include <memory>
#include <vector>

// Finds and replaces in a copy of a big text on the Find lane, so
// the window never converts or scans the whole text in one turn. A newer
// request stops the one still running; results come back on the main
// thread, never for a request that was superseded.
class FindWorker : public QObject {
    Q_OBJECT
public:
    using Matches = std::vector<TextRange>;
    struct Replaced {
        QByteArray utf8;  // the whole new text
        int count = 0;
    };

    explicit FindWorker(QObject* parent = nullptr);
    ~FindWorker() override;

    void find(const FindOptions& options, TextCopy text, std::function<void(Matches)> done);
    void replaceAll(const FindOptions& options, const QString& replaceTemplate, TextCopy text,
                    std::function<void(Replaced)> done);
    bool busy() const { return job_ != nullptr; }
    // Waits for the running request and hands its result over before
    // returning; for a command that needs the matches now.
    void finish();
    // Drops the running request; its result never arrives.
    void cancel();

private:
    struct Job;
    void start(std::function<std::function<void()>(const std::atomic<bool>&)> work);
    void deliver(const std::shared_ptr<Job>& job);

    std::shared_ptr<Job> job_;
};
