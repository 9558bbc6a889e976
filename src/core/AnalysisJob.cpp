#include "core/AnalysisJob.h"

#include "core/Doc.h"

#include <QCoreApplication>
#include <exception>
#include <mutex>

namespace {

// Results are posted to the application object; once it is being destroyed
// nothing may be posted any more.
std::mutex postMutex;
bool postRoutineAdded = false;
bool applicationGone = false;

void markApplicationGone()
{
    std::lock_guard lock(postMutex);
    applicationGone = true;
}

template <class F>
void postToMainThread(F&& f)
{
    std::lock_guard lock(postMutex);
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || applicationGone)
        return;
    QMetaObject::invokeMethod(app, std::forward<F>(f), Qt::QueuedConnection);
}

}

AnalysisJob::AnalysisJob(const FormatPlugin& plugin, QString text, bool wantPreview, std::weak_ptr<Doc> doc)
    : plugin_(&plugin), text_(std::move(text)), wantPreview_(wantPreview), doc_(std::move(doc))
{
    // Registered from the main thread, while the application object exists.
    std::lock_guard lock(postMutex);
    if (!postRoutineAdded && QCoreApplication::instance()) {
        qAddPostRoutine(markApplicationGone);
        postRoutineAdded = true;
    }
}

void AnalysisJob::cancel()
{
    State expected = State::pending;
    state_.compare_exchange_strong(expected, State::cancelled);
}

bool AnalysisJob::begin()
{
    State expected = State::pending;
    return state_.compare_exchange_strong(expected, State::running);
}

AnalysisJob::Outcome AnalysisJob::analyse(const FormatPlugin& plugin, const QString& text, bool wantPreview)
{
    Outcome out;
    if (plugin.validates) {
        try {
            out.diagnostics = plugin.validate(text);
        } catch (const PluginError& e) {
            // Checking should never throw; if it does, the failure is a finding.
            out.diagnostics = {Diagnostic{e.line.value_or(1), e.message}};
        } catch (const std::exception& e) {
            out.diagnostics = {Diagnostic{1, QString::fromLocal8Bit(e.what())}};
        } catch (...) {
            out.diagnostics = {Diagnostic{1, QStringLiteral("校验时发生未知错误")}};
        }
    }
    if (!wantPreview) {
        out.preview = PreviewState::none();
    } else if (!out.diagnostics.isEmpty()) {
        const Diagnostic& first = out.diagnostics.first();
        out.preview = PreviewState::error(first.line, first.message);
    } else {
        try {
            out.preview = PreviewState::html(plugin.previewHTML(text));
        } catch (const PluginError& e) {
            out.preview = PreviewState::error(e.line, e.message);
        } catch (const std::exception& e) {
            out.preview = PreviewState::error(std::nullopt, QString::fromLocal8Bit(e.what()));
        } catch (...) {
            out.preview = PreviewState::error(std::nullopt, QStringLiteral("渲染时发生未知错误"));
        }
    }
    return out;
}

void AnalysisJob::run()
{
    Outcome outcome = analyse(*plugin_, text_, wantPreview_);
    state_.store(State::finished);
    postToMainThread([doc = doc_, text = text_, want = wantPreview_, outcome = std::move(outcome)] {
        apply(doc, text, want, outcome);
    });
}

void AnalysisJob::apply(const std::weak_ptr<Doc>& weak, const QString& text, bool wantPreview, const Outcome& outcome)
{
    const std::shared_ptr<Doc> doc = weak.lock();
    if (!doc)
        return;
    if (doc->text() != text)
        return;  // stale: the text changed and a newer job is scheduled
    doc->setDiagnostics(outcome.diagnostics);
    if (wantPreview)
        doc->setPreview(outcome.preview);
}
