#include "core/AnalysisJob.h"

#include "core/Doc.h"
#include "plugins/AnalysisBudget.h"
#include "text/TextCopy.h"

#include <QCoreApplication>
#include <exception>
#include <mutex>
#include <utility>

namespace {

std::atomic<unsigned long long> serials{1};

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

template <class F> void postToMainThread(F&& f)
{
    std::lock_guard lock(postMutex);
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || applicationGone)
        return;
    QMetaObject::invokeMethod(app, std::forward<F>(f), Qt::QueuedConnection);
}

}

AnalysisJob::AnalysisJob(const FormatPlugin& plugin, QString text, bool wantPreview, std::weak_ptr<Doc> doc)
    : plugin_(&plugin),
      text_(std::move(text)),
      wantPreview_(wantPreview),
      doc_(std::move(doc)),
      key_(doc_.lock().get()),
      revision_(doc_.expired() ? 0 : doc_.lock()->revision()),
      serial_(serials.fetch_add(1))
{
    // Registered from the main thread, while the application object exists.
    std::lock_guard lock(postMutex);
    if (!postRoutineAdded && QCoreApplication::instance()) {
        qAddPostRoutine(markApplicationGone);
        postRoutineAdded = true;
    }
}

AnalysisJob::AnalysisJob(const FormatPlugin& plugin, QByteArray utf8, bool wantPreview, std::weak_ptr<Doc> doc)
    : AnalysisJob(plugin, QString(), wantPreview, std::move(doc))
{
    utf8_ = std::move(utf8);
}

namespace {
std::atomic<long long> limitMs{2000};

QString seconds(std::chrono::milliseconds ms) { return QString::number(ms.count() / 1000.0, 'g', 3); }
}

unsigned long long AnalysisJob::nextSerial() { return serials.load(); }

void AnalysisJob::setTimeLimit(std::chrono::milliseconds limit) { limitMs = limit.count(); }
std::chrono::milliseconds AnalysisJob::timeLimit() { return std::chrono::milliseconds(limitMs.load()); }

void AnalysisJob::cancel()
{
    State expected = State::pending;
    if (!state_.compare_exchange_strong(expected, State::cancelled))
        token_.cancel();
}

bool AnalysisJob::begin()
{
    State expected = State::pending;
    return state_.compare_exchange_strong(expected, State::running);
}

namespace {

// The plugin calls through `check` and `render`, which take the text in
// whichever form the job holds it.
template <class Check, class Render>
AnalysisJob::Outcome analyseWith(const FormatPlugin& plugin, bool wantPreview, const std::atomic<bool>* stop,
                                 Check check, Render render)
{
    const std::chrono::milliseconds limit = AnalysisJob::timeLimit();
    AnalysisJob::Outcome out;
    if (plugin.validates) {
        try {
            AnalysisBudget::Scope budget(limit, stop);
            out.diagnostics = check();
        } catch (const AnalysisBudget::Expired& e) {
            if (e.superseded)
                throw;
            out.diagnostics = {
                Diagnostic{1, QStringLiteral("文档过大或过于复杂：校验超过 %1 秒，已停止").arg(seconds(limit))}};
        } catch (const PluginError& e) {
            // Checking should never throw; if it does, the failure is a finding.
            out.diagnostics = {Diagnostic{e.line.value_or(1), e.message, e.column}};
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
            AnalysisBudget::Scope budget(limit, stop);
            out.preview = PreviewState::html(render());
        } catch (const AnalysisBudget::Expired& e) {
            if (e.superseded)
                throw;
            out.preview = PreviewState::error(
                std::nullopt, QStringLiteral("文档过大或过于复杂：预览渲染超过 %1 秒，已停止").arg(seconds(limit)));
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

}

AnalysisJob::Outcome AnalysisJob::analyse(const FormatPlugin& plugin, const QString& text, bool wantPreview,
                                          const std::atomic<bool>* stop)
{
    return analyseWith(
        plugin, wantPreview, stop, [&] { return plugin.validate(text); }, [&] { return plugin.previewHTML(text); });
}

AnalysisJob::Outcome AnalysisJob::analyseUtf8(const FormatPlugin& plugin, QByteArrayView utf8, bool wantPreview,
                                              const std::atomic<bool>* stop)
{
    return analyseWith(
        plugin, wantPreview, stop, [&] { return plugin.validateUtf8(utf8); },
        [&] { return plugin.previewHTMLUtf8(utf8); });
}

void AnalysisJob::run()
{
    Outcome outcome;
    try {
        // The document keeps its last job: the job must not keep the text.
        if (!utf8_.isNull() && (plugin_->validateUtf8Fn || plugin_->previewUtf8Fn)) {
            // A plugin that reads UTF-8 gets the bytes: no UTF-16 copy.
            const QByteArray utf8 = std::exchange(utf8_, QByteArray());
            outcome = analyseUtf8(*plugin_, utf8, wantPreview_, token_.flag());
        } else {
            if (!utf8_.isNull())
                text_ = TextCopy::decode(std::exchange(utf8_, QByteArray()));
            outcome = analyse(*plugin_, std::exchange(text_, QString()), wantPreview_, token_.flag());
        }
    } catch (const AnalysisBudget::Expired&) {
        state_.store(State::cancelled);  // newer work replaced this run
        return;
    }
    state_.store(State::finished);
    postToMainThread([doc = doc_, revision = revision_, serial = serial_, want = wantPreview_,
                      outcome = std::move(outcome)] { apply(doc, revision, serial, want, outcome); });
}

void AnalysisJob::apply(const std::weak_ptr<Doc>& weak, quint64 revision, unsigned long long serial, bool wantPreview,
                        const Outcome& outcome)
{
    const std::shared_ptr<Doc> doc = weak.lock();
    if (!doc)
        return;
    // Stale: the text changed, or a newer job of this document was scheduled.
    if (doc->revision() != revision)
        return;
    if (doc->analysis() ? doc->analysis()->serial() > serial : doc->analysisFloor() > serial)
        return;
    doc->setDiagnostics(outcome.diagnostics);
    if (wantPreview)
        doc->setPreview(outcome.preview);
}
