#pragma once

#include "plugins/FormatPlugin.h"
#include "plugins/PreviewState.h"
#include "text/WorkLanes.h"

#include <QList>
#include <QString>
#include <atomic>
#include <chrono>
#include <memory>

class Doc;

// One background analysis of a document's text: validation and, when the
// preview is shown, rendering. It holds copies of everything it needs and a
// weak reference to the document, which it touches only on the main thread.
class AnalysisJob {
public:
    enum class State { pending, running, finished, cancelled };

    struct Outcome {
        QList<Diagnostic> diagnostics;
        PreviewState preview;
    };

    AnalysisJob(const FormatPlugin& plugin, QString text, bool wantPreview, std::weak_ptr<Doc> doc);
    // The text in UTF-8, turned into UTF-16 on the worker: a copy of the
    // editor's bytes costs the main thread far less than converting them.
    AnalysisJob(const FormatPlugin& plugin, QByteArray utf8, bool wantPreview, std::weak_ptr<Doc> doc);

    // Keeps a job that has not started from running; a running job is asked
    // to stop at its next budget check and posts nothing.
    void cancel();
    State state() const { return state_.load(); }
    // Cancelled when the job is asked to stop, by cancel() or by its lane stopping.
    const CancelToken& token() const { return token_; }
    // The document's text revision the job analyses.
    quint64 revision() const { return revision_; }
    bool wantPreview() const { return wantPreview_; }
    const FormatPlugin& plugin() const { return *plugin_; }
    // The document the job belongs to (its address, for comparing only) and
    // the job's place among that document's jobs: results of an older one are dropped.
    const void* docKey() const { return key_; }
    unsigned long long serial() const { return serial_; }
    // The serial the next job gets: results of jobs before it can be refused.
    static unsigned long long nextSerial();

    // The plugin calls on the captured values, never throwing, each within
    // the time limit. Throws AnalysisBudget::Expired only when `stop` is set.
    static Outcome analyse(const FormatPlugin& plugin, const QString& text, bool wantPreview,
                           const std::atomic<bool>* stop = nullptr);
    // The same on UTF-8 text, through the plugin's UTF-8 entry points.
    static Outcome analyseUtf8(const FormatPlugin& plugin, QByteArrayView utf8, bool wantPreview,
                               const std::atomic<bool>* stop = nullptr);

    // Each validate and each previewHTML call gets this long (2 s unless changed).
    static void setTimeLimit(std::chrono::milliseconds limit);
    static std::chrono::milliseconds timeLimit();

    // Worker side: claims the job (false when cancelled), runs it and posts
    // the result to the main thread.
    bool begin();
    void run();

    // Main-thread side: applies an outcome to the document if it still
    // exists, its text is still the analysed revision and no newer job of it was scheduled.
    static void apply(const std::weak_ptr<Doc>& doc, quint64 revision, unsigned long long serial, bool wantPreview,
                      const Outcome& outcome);

private:
    const FormatPlugin* plugin_;
    QString text_;
    QByteArray utf8_;
    bool wantPreview_;
    std::weak_ptr<Doc> doc_;
    const void* key_;
    quint64 revision_;
    unsigned long long serial_;
    std::atomic<State> state_{State::pending};
    CancelToken token_;
};
