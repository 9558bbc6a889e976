#include "Workspace.h"
#include "core/AnalysisJob.h"
#include "core/AnalysisQueue.h"
#include "plugins/AnalysisBudget.h"
#include "plugins/Regex.h"

#include <QSignalSpy>
#include <mutex>
#include <stdexcept>

namespace {

std::mutex logMutex;
QStringList runLog;
std::atomic<int> previewCalls{0};

QList<Diagnostic> logging(const QString& text)
{
    std::lock_guard lock(logMutex);
    runLog << text;
    return {};
}

QList<Diagnostic> findings(const QString& text)
{
    if (text.contains(QStringLiteral("bad")))
        return {{3, QStringLiteral("第一处")}, {5, QStringLiteral("第二处")}};
    return {};
}

QList<Diagnostic> slow(const QString&)
{
    QThread::msleep(150);
    return {{1, QStringLiteral("慢")}};
}

QString render(const QString& text)
{
    ++previewCalls;
    if (text == QStringLiteral("throw plugin"))
        throw PluginError(QStringLiteral("渲染失败"), 7);
    if (text == QStringLiteral("throw other"))
        throw std::runtime_error("boom");
    return QStringLiteral("<p>") + text + QStringLiteral("</p>");
}

// Work that never ends on its own but checks its budget, as plugin loops do.
std::atomic<int> spinning{0};
QList<Diagnostic> endless(const QString&)
{
    ++spinning;
    volatile unsigned long long n = 0;
    for (;;) {
        AnalysisBudget::poll();
        n = n + 1;
    }
}

// A pattern that backtracks exponentially on a line of "a" ending in "c".
QString backtracking(const QString& text)
{
    return Regex::reMatches(text, QStringLiteral("^(a+)+b$")) ? QStringLiteral("<p>b</p>")
                                                              : QStringLiteral("<p>no</p>");
}

FormatPlugin makePlugin(FormatPlugin::Validator v)
{
    FormatPlugin p;
    p.id = QStringLiteral("test");
    p.viewModes = {ViewMode::editor, ViewMode::split, ViewMode::preview};
    p.validates = true;
    p.validateFn = v;
    p.previewFn = &render;
    return p;
}

const FormatPlugin loggingPlugin = makePlugin(&logging);
const FormatPlugin findingsPlugin = makePlugin(&findings);
const FormatPlugin slowPlugin = makePlugin(&slow);
const FormatPlugin endlessPlugin = makePlugin(&endless);
const FormatPlugin regexPlugin = [] {
    FormatPlugin p = makePlugin(&logging);
    p.validates = false;
    p.previewFn = &backtracking;
    return p;
}();

// Shortens the per-call limit for one test.
struct Limit {
    std::chrono::milliseconds before = AnalysisJob::timeLimit();
    explicit Limit(int ms) { AnalysisJob::setTimeLimit(std::chrono::milliseconds(ms)); }
    ~Limit() { AnalysisJob::setTimeLimit(before); }
};

std::shared_ptr<AnalysisJob> submit(const FormatPlugin& p, const QString& text, double delay,
                                    const DocPtr& doc = nullptr, bool preview = true)
{
    auto job = std::make_shared<AnalysisJob>(p, text, preview, doc);
    AnalysisQueue::shared().submit(job, delay);
    return job;
}

// Runs the step a finished job posted to the main thread.
void applyPosted(const std::shared_ptr<AnalysisJob>& job)
{
    ASSERT_TRUE(waitUntil([&] { return job->state() == AnalysisJob::State::finished; }));
    QCoreApplication::processEvents();
}

QStringList takeLog()
{
    std::lock_guard lock(logMutex);
    QStringList out = runLog;
    runLog.clear();
    return out;
}

}

TEST(AnalysisDebounce, OnlyTheLastKeystrokesJobRuns)
{
    DocPtr d = newDoc(QStringLiteral("a.json"), QString());
    QList<std::shared_ptr<AnalysisJob>> jobs;
    QElapsedTimer sinceLast;
    for (int i = 1; i <= 5; ++i) {
        if (i > 1)
            afterTimer(100);
        // Started before the keystroke: the job's delay counts from inside setText.
        sinceLast.start();
        d->setText(QString(i, QLatin1Char('x')));
        jobs << d->analysisHandle();
    }
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(jobs[i]->state(), AnalysisJob::State::cancelled) << i;
    const auto last = jobs.last();
    // Run early, it would be seen finished early.
    ASSERT_TRUE(waitUntil([&] { return last->state() == AnalysisJob::State::finished; }));
    EXPECT_GE(sinceLast.elapsed(), 240);  // due 0.25 s after the last keystroke
    EXPECT_EQ(last->revision(), d->revision());
    // The same text again schedules nothing.
    d->setText(d->text());
    EXPECT_EQ(d->analysisHandle(), last);
}

TEST(AnalysisApply, AClosedDocumentReceivesNothing)
{
    DocPtr d = newDoc(QStringLiteral("a.txt"), QStringLiteral("text"));
    std::weak_ptr<Doc> weak = d;
    auto job = std::make_shared<AnalysisJob>(slowPlugin, QStringLiteral("text"), true, weak);
    AnalysisQueue::shared().submit(job, 0);
    ASSERT_TRUE(waitUntil([&] { return job->state() == AnalysisJob::State::running; }));
    d.reset();  // closed while its job runs
    EXPECT_TRUE(weak.expired());
    applyPosted(job);  // finds nothing
    EXPECT_TRUE(weak.expired());
}

// Findings replace the preview without rendering it; a failing render
// becomes the preview's error; the editor mode asks for no preview.
TEST(AnalysisJobRun, WhatTheRunGivesForThePreview)
{
    FormatPlugin quiet = findingsPlugin;
    quiet.validates = false;
    const struct {
        const char* text;
        const FormatPlugin& plugin;
        bool preview;
        PreviewState expected;
        int renders, findings;
    } cases[] = {
        {"bad", findingsPlugin, true, PreviewState::error(3, QStringLiteral("第一处")), 0, 2},
        {"good", findingsPlugin, true, PreviewState::html(QStringLiteral("<p>good</p>")), 1, 0},
        {"bad", findingsPlugin, false, PreviewState::none(), 0, 2},
        {"bad", quiet, true, PreviewState::html(QStringLiteral("<p>bad</p>")), 1, 0},
        {"throw plugin", findingsPlugin, true, PreviewState::error(7, QStringLiteral("渲染失败")), 1, 0},
        {"throw other", findingsPlugin, true, PreviewState::error(std::nullopt, QStringLiteral("boom")), 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.text << " preview " << c.preview);
        previewCalls = 0;
        const auto out = AnalysisJob::analyse(c.plugin, QString::fromUtf8(c.text), c.preview);
        EXPECT_EQ(out.preview, c.expected);
        EXPECT_EQ(previewCalls.load(), c.renders);
        EXPECT_EQ(out.diagnostics.size(), c.findings);
    }
}

TEST(AnalysisApply, EditorModeKeepsThePreviewAndEqualResultsAreSilent)
{
    DocPtr d = newDoc(QStringLiteral("a.txt"), QStringLiteral("bad"));
    d->setPreview(PreviewState::html(QStringLiteral("<p>old</p>")));
    const auto outcome = AnalysisJob::analyse(findingsPlugin, QStringLiteral("bad"), false);
    QSignalSpy diagnostics(d.get(), &Doc::diagnosticsChanged);
    QSignalSpy preview(d.get(), &Doc::previewChanged);
    AnalysisJob::apply(d, d->revision(), ~0ull, false, outcome);
    EXPECT_EQ(d->diagnostics().size(), 2);
    EXPECT_EQ(d->preview(), PreviewState::html(QStringLiteral("<p>old</p>")));
    AnalysisJob::apply(d, d->revision(), ~0ull, false, outcome);
    EXPECT_EQ(diagnostics.count(), 1);
    EXPECT_EQ(preview.count(), 0);
}

TEST(AnalysisDebounce, DisabledAnalysisSubmitsNothingAndSplitModeAnalysesAtOnce)
{
    // Created without the first pass, which would render the preview at once.
    Doc::setAnalysisEnabled(false);
    DocPtr d = newDoc(QStringLiteral("notes.md"), QStringLiteral("# 标题"));
    d->setText(QStringLiteral("# 标题二"));
    const bool silent = d->analysisHandle() == nullptr;
    Doc::setAnalysisEnabled(true);
    EXPECT_TRUE(silent);
    d->setMode(ViewMode::editor);
    // Nothing to check and nothing shown: no job.
    EXPECT_EQ(d->analysisHandle(), nullptr);
    EXPECT_EQ(d->preview().kind, PreviewState::Kind::none);
    d->setMode(ViewMode::split);
    const auto job = d->analysisHandle();
    ASSERT_NE(job, nullptr);
    EXPECT_TRUE(job->wantPreview());
    ASSERT_TRUE(waitUntil([&] { return d->preview().kind != PreviewState::Kind::none; }, 1000));
    EXPECT_EQ(d->preview().kind, PreviewState::Kind::html);
}

TEST(AnalysisBudget, ARunPastTheLimitEndsWithAMessageAndTheQueueMovesOn)
{
    Limit limit(200);
    takeLog();
    DocPtr slowDoc = newDoc(QStringLiteral("a.txt"), QStringLiteral("endless"));
    DocPtr nextDoc = newDoc(QStringLiteral("b.txt"), QStringLiteral("next"));
    // Their own first analyses are done before the timed ones start.
    for (const DocPtr& d : {slowDoc, nextDoc})
        if (const auto own = d->analysisHandle())
            applyPosted(own);
    QElapsedTimer t;
    t.start();
    submit(endlessPlugin, QStringLiteral("endless"), 0, slowDoc);
    submit(loggingPlugin, QStringLiteral("next"), 0, nextDoc);
    ASSERT_TRUE(waitUntil([&] { return !slowDoc->diagnostics().isEmpty(); }));
    const Diagnostic timeout{1, QStringLiteral("文档过大或过于复杂：校验超过 0.2 秒，已停止")};
    EXPECT_EQ(slowDoc->diagnostics(), QList<Diagnostic>{timeout});
    EXPECT_EQ(slowDoc->preview(), PreviewState::error(1, timeout.message));
    // The document queued behind it is analysed right after (its result
    // reaches the document through the event loop, a moment after the run).
    const PreviewState expected = PreviewState::html(QStringLiteral("<p>next</p>"));
    ASSERT_TRUE(waitUntil([&] { return nextDoc->preview() == expected; }));
    EXPECT_LT(t.elapsed(), 1500);
    std::lock_guard l(logMutex);
    EXPECT_TRUE(runLog.contains(QStringLiteral("next")));
}

TEST(AnalysisBudget, ABacktrackingRegexStopsAtTheLimit)
{
    Limit limit(200);
    const QString text = QString(40, QLatin1Char('a')) + QLatin1Char('c');
    QElapsedTimer t;
    t.start();
    const auto out = AnalysisJob::analyse(regexPlugin, text, true);
    EXPECT_LT(t.elapsed(), 1500);
    EXPECT_EQ(out.preview,
              PreviewState::error(std::nullopt, QStringLiteral("文档过大或过于复杂：预览渲染超过 0.2 秒，已停止")));
    // Outside an analysis the same helpers keep their plain meaning.
    EXPECT_FALSE(AnalysisBudget::active());
    EXPECT_TRUE(Regex::reMatches(QStringLiteral("aab"), QStringLiteral("^(a+)+b$")));
    EXPECT_EQ(AnalysisJob::analyse(regexPlugin, QStringLiteral("aab"), true).preview,
              PreviewState::html(QStringLiteral("<p>b</p>")));
}

// The limit counts the thread's own work: a run that waits for the
// processor (a busy machine) is not stopped for it, one that works is, and
// one that only waits ends at five limits on the clock.
TEST(AnalysisBudget, TheLimitIsProcessorTimeWithAClockCap)
{
    using namespace std::chrono;
    const auto throws = [] {
        try {
            AnalysisBudget::pollNow();
            return false;
        } catch (const AnalysisBudget::Expired& e) {
            EXPECT_FALSE(e.superseded);
            return true;
        }
    };
    {
        AnalysisBudget::Scope budget(milliseconds(100), nullptr);
        QThread::msleep(250);
        EXPECT_FALSE(throws()) << "time spent off the processor counted";
        QThread::msleep(300);
        EXPECT_TRUE(throws()) << "waiting past five limits was not stopped";
    }
    {
        AnalysisBudget::Scope budget(milliseconds(100), nullptr);
        QElapsedTimer t;
        t.start();
        bool stopped = false;
        volatile unsigned long long n = 0;
        while (!stopped && t.elapsed() < 5000) {
            n = n + 1;
            stopped = throws();
        }
        EXPECT_TRUE(stopped) << "working past the limit was not stopped";
    }
}

TEST(AnalysisBudget, NewerWorkStopsARunningJob)
{
    Limit limit(20000);
    takeLog();
    spinning = 0;
    auto job = std::make_shared<AnalysisJob>(endlessPlugin, QStringLiteral("old"), true, std::weak_ptr<Doc>());
    AnalysisQueue::shared().submit(job, 0);
    ASSERT_TRUE(waitUntil([&] { return spinning.load() == 1 && job->state() == AnalysisJob::State::running; }));
    QElapsedTimer t;
    t.start();
    AnalysisQueue::shared().cancel(job);
    submit(loggingPlugin, QStringLiteral("newer"), 0);
    ASSERT_TRUE(waitUntil([&] { return job->state() == AnalysisJob::State::cancelled; }));
    ASSERT_TRUE(waitUntil([] {
        std::lock_guard l(logMutex);
        return runLog.contains(QStringLiteral("newer"));
    }));
    EXPECT_LT(t.elapsed(), 1500);
}

namespace {

std::atomic<int> holdRuns{0};
std::atomic<bool> releaseHold{false};

// Long work of another document: runs until released.
QList<Diagnostic> holding(const QString&)
{
    ++holdRuns;
    while (!releaseHold)
        QThread::msleep(5);
    return {};
}

const FormatPlugin holdingPlugin = makePlugin(&holding);

}

// The shown document's result does not wait behind another document's long job.
TEST(AnalysisQueue, TheShownDocumentIsNotKeptWaitingByAnotherOne)
{
    DocPtr big = newDoc(QStringLiteral("big.yaml"), QStringLiteral("big"));
    DocPtr small = newDoc(QStringLiteral("small.md"), QStringLiteral("small"));
    releaseHold = false;
    holdRuns = 0;
    AnalysisQueue::shared().setShown(small.get());
    auto bigJob = std::make_shared<AnalysisJob>(holdingPlugin, big->text(), true, big);
    big->setAnalysis(bigJob);
    AnalysisQueue::shared().submit(bigJob, 0);
    ASSERT_TRUE(waitUntil([] { return holdRuns.load() == 1; }));
    auto smallJob = std::make_shared<AnalysisJob>(findingsPlugin, small->text(), true, small);
    small->setAnalysis(smallJob);
    AnalysisQueue::shared().submit(smallJob, 0);
    EXPECT_TRUE(waitUntil([&] { return small->preview() == PreviewState::html(QStringLiteral("<p>small</p>")); }));
    EXPECT_EQ(bigJob->state(), AnalysisJob::State::running);
    releaseHold = true;
    EXPECT_TRUE(waitUntil([&] { return big->preview().kind == PreviewState::Kind::html; }));
    AnalysisQueue::shared().setShown(nullptr);
}

// A result is tagged with its job: an older job's result never replaces a newer one's.
TEST(AnalysisApply, AnOlderJobsResultIsDropped)
{
    DocPtr d = newDoc(QStringLiteral("a.txt"), QStringLiteral("same"));
    auto older = std::make_shared<AnalysisJob>(findingsPlugin, d->text(), true, d);
    auto newer = std::make_shared<AnalysisJob>(findingsPlugin, d->text(), true, d);
    d->setAnalysis(newer);
    AnalysisJob::apply(d, d->revision(), newer->serial(), true, {{}, PreviewState::html(QStringLiteral("<p>new</p>"))});
    AnalysisJob::apply(d, d->revision(), older->serial(), true, {{}, PreviewState::html(QStringLiteral("<p>old</p>"))});
    EXPECT_EQ(d->preview(), PreviewState::html(QStringLiteral("<p>new</p>")));
    EXPECT_LT(older->serial(), newer->serial());
    EXPECT_EQ(older->docKey(), d.get());
}

// A shown document hands its editor's bytes to the job: a plugin that reads
// UTF-8 gets them as they are, one that does not gets them decoded, with a
// leading U+FEFF kept as text.
TEST(AnalysisJobRun, PluginsGetTheEditorsBytesWithTheirLeadingMark)
{
    static QByteArray seen;
    FormatPlugin p = makePlugin(&logging);
    p.validateUtf8Fn = [](QByteArrayView utf8) {
        seen = utf8.toByteArray();
        return QList<Diagnostic>{Diagnostic{2, QStringLiteral("字节")}};
    };
    p.previewUtf8Fn = [](QByteArrayView) { return QStringLiteral("<p>字节</p>"); };
    const QByteArray bytes = QByteArray("\xEF\xBB\xBF") + QStringLiteral("甲\n乙\n").toUtf8();
    takeLog();
    AnalysisJob job(p, bytes, true, {});
    ASSERT_TRUE(job.begin());
    job.run();
    EXPECT_EQ(seen, bytes);
    EXPECT_EQ(AnalysisJob::analyseUtf8(p, bytes, true).diagnostics,
              (QList<Diagnostic>{Diagnostic{2, QStringLiteral("字节")}}));
    EXPECT_TRUE(takeLog().isEmpty());
    p.validateUtf8Fn = nullptr;
    AnalysisJob decoded(p, bytes, false, {});
    ASSERT_TRUE(decoded.begin());
    decoded.run();
    EXPECT_EQ(takeLog(), QStringList{QString(QChar(0xFEFF)) + QStringLiteral("甲\n乙\n")});
}

// Run in a process of its own: stopping ends the shared queue for good.
// Without it, a job still running at exit outlives the application object.
TEST(AnalysisQueue, StoppingEndsTheRunningJobAndDropsTheRest)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            Limit limit(5000);
            spinning = 0;
            auto running = std::make_shared<AnalysisJob>(endlessPlugin, QStringLiteral("x"), true,
                                                         std::weak_ptr<Doc>());
            auto waiting = std::make_shared<AnalysisJob>(loggingPlugin, QStringLiteral("w"), false,
                                                         std::weak_ptr<Doc>());
            AnalysisQueue::shared().submit(running, 0);
            AnalysisQueue::shared().submit(waiting, 0.2);
            if (!waitUntil([&] { return running->state() == AnalysisJob::State::running; }))
                std::exit(2);
            QElapsedTimer t;
            t.start();
            AnalysisQueue::shared().stop();
            if (running->state() != AnalysisJob::State::cancelled || t.elapsed() > 1500)
                std::exit(3);
            takeLog();
            submit(loggingPlugin, QStringLiteral("after"), 0);
            QThread::msleep(400);
            std::exit(takeLog().isEmpty() && waiting->state() == AnalysisJob::State::pending ? 0 : 4);
        },
        ::testing::ExitedWithCode(0), "");
}

// Renamed to a name the registry reads as plain text, a document drops its
// findings at once and refuses the result of a run still on its way.
TEST(AnalysisOfPlainText, ARenamedDocumentDropsFindingsAndRefusesTheLateResult)
{
    const struct {
        const char* checked;
        const char* bad;
        const char* plain;
    } cases[] = {
        {"a.json", "{,}", "a.txt"},
        {"b.yaml", "a: [1, 2", "b"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.plain);
        DocPtr shown = newDoc(QString::fromUtf8(c.checked), QString::fromUtf8(c.bad));
        ASSERT_TRUE(waitUntil([&] { return !shown->diagnostics().isEmpty(); }));
        QSignalSpy spy(shown.get(), &Doc::diagnosticsChanged);
        shown->setName(QString::fromUtf8(c.plain));
        shown->scheduleAnalysis(0);
        EXPECT_TRUE(shown->diagnostics().isEmpty());
        EXPECT_EQ(spy.count(), 1);

        DocPtr d = newDoc(QString::fromUtf8(c.checked), QString::fromUtf8(c.bad));
        const auto late = d->analysisHandle();
        ASSERT_NE(late, nullptr);
        // Its result is posted but not yet applied when the name changes.
        QDeadlineTimer deadline(5000);
        while (late->state() != AnalysisJob::State::finished && !deadline.hasExpired())
            QThread::msleep(1);
        ASSERT_EQ(late->state(), AnalysisJob::State::finished);
        d->setName(QString::fromUtf8(c.plain));
        ASSERT_FALSE(d->plugin().validates || d->plugin().supportsPreview());
        d->scheduleAnalysis(0);
        EXPECT_EQ(d->analysisHandle(), nullptr);
        QCoreApplication::processEvents();
        EXPECT_TRUE(d->diagnostics().isEmpty());
    }
}
