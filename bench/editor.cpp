// Editor figures on large files.
//   bench_editor                      all in-process measurements (offscreen)
//   bench_editor --make-large F       write the 100 MB / 1.75 M line sample to F
//   bench_editor --make-json F        write the 8.6 MB one-line JSON sample to F
//   bench_editor --launch CMD ARGS    start CMD, report the time until its window
//                                     shows and until it has been idle for 1 s,
//                                     its peak memory and its memory when idle
//   bench_editor --screenshot F       render a sample editor into the PNG F
#include "Samples.h"
#include "core/BackupStore.h"
#include "core/Preferences.h"
#include "editor/AppFonts.h"
#include "editor/CodeTextView.h"
#include "editor/EditorController.h"
#include "editor/LineNumberRuler.h"
#include "views/state/WindowModel.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <functional>
#include <map>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

double rssMB(const char* field = "VmRSS:", const QString& pid = QStringLiteral("self"))
{
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(int(strlen(field))).trimmed().split(' ').first().toDouble() / 1024.0;
    return 0;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

struct Workspace {
    QTemporaryDir dir;
    WindowModel model{std::make_unique<Preferences>(dir.filePath(QStringLiteral("prefs.ini")))};
};

DocPtr openDoc(Workspace& w, const QString& path)
{
    auto r = Doc::open(path);
    if (!r) {
        std::printf("cannot open %s\n", qPrintable(path));
        std::exit(1);
    }
    DocPtr d = r.value();
    w.model.appendDoc(d);
    w.model.setActiveID(d->id);
    return d;
}

// A real render of editor and gutter (a repaint on the offscreen platform
// may skip Scintilla's layout).
void paintNow(EditorController& e) { e.widget()->grab(); }

double keyMs(EditorController& e, Qt::Key k, const QString& text, Qt::KeyboardModifiers m = Qt::NoModifier)
{
    QElapsedTimer t;
    t.start();
    QKeyEvent press(QEvent::KeyPress, k, m, text);
    QApplication::sendEvent(e.textView(), &press);
    paintNow(e);
    return double(t.nsecsElapsed()) / 1e6;
}

struct Spread {
    double median, worst;
};

// A key and the repaint the window itself would do: only what the key
// made dirty, through the backing store.
double keyDirtyMs(EditorController& e, Qt::Key k, const QString& text)
{
    QElapsedTimer t;
    t.start();
    QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier, text);
    QApplication::sendEvent(e.textView(), &press);
    QApplication::processEvents();
    return double(t.nsecsElapsed()) / 1e6;
}

// Runs the event loop until `done` holds or `ms` have passed.
void spinUntil(const std::function<bool()>& done, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
}

Spread typeBurst(EditorController& e, int keys, bool dirtyOnly = false)
{
    std::vector<double> ms;
    for (int i = 0; i < keys; ++i) {
        ms.push_back(dirtyOnly ? keyDirtyMs(e, Qt::Key_X, QStringLiteral("x"))
                               : keyMs(e, Qt::Key_X, QStringLiteral("x")));
        QApplication::processEvents();
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.back()};
}

// Longest gap between 1-ms timer ticks while the event loop runs; `tick`
// runs between them.
qint64 longestStall(int forMs, const std::function<void()>& tick = {})
{
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0, longest = 0;
    while (clock.elapsed() < forMs) {
        QApplication::processEvents(QEventLoop::AllEvents, 1);
        const qint64 now = clock.elapsed();
        longest = std::max(longest, now - last);
        last = now;
        if (tick)
            tick();
        QThread::usleep(500);
    }
    return longest;
}

// Opening to editable: Ctrl+End lands on the last line and a typed key is
// in the text.
void largeBench(const QString& path, const char* label)
{
    QElapsedTimer t;
    t.start();
    Workspace w;
    DocPtr d = openDoc(w, path);
    const qint64 read = t.elapsed();
    auto* e = new EditorController(d, w.model, w.model.view());
    e->widget()->resize(1000, 700);
    e->widget()->show();
    paintNow(*e);
    const qint64 painted = t.elapsed();
    CodeTextView* v = e->textView();
    keyMs(*e, Qt::Key_End, QString(), Qt::ControlModifier);
    keyMs(*e, Qt::Key_Z, QStringLiteral("z"));
    const qint64 editable = t.elapsed();
    const bool landed = v->caretPlace().line == v->lineCount() && v->text().endsWith(QLatin1Char('z'));
    std::printf(
        "%s: read+decode %lld ms, first paint %lld ms, editable at the end %lld ms (%s), RSS %.0f MB, peak %.0f MB\n",
        label, (long long)read, (long long)painted, (long long)editable, landed ? "checked" : "FAILED", rssMB(),
        rssMB("VmHWM:"));

    // Typing in the middle: handling plus repaint of editor and gutter.
    v->setCursorPosition(v->lineStart(v->lineCount() / 2) + 3);
    v->SendScintilla(QsciScintillaBase::SCI_SCROLLCARET);
    paintNow(*e);
    const Spread s = typeBurst(*e, 41);
    std::printf("%s: typing in the middle, full repaint of editor and gutter: median %.2f ms, worst %.2f ms\n", label,
                s.median, s.worst);
    const Spread dirty = typeBurst(*e, 41, true);
    std::printf(
        "%s: typing in the middle, repainting what changed (as the window does): median %.2f ms, worst %.2f ms\n",
        label, dirty.median, dirty.worst);
    QElapsedTimer pull;
    pull.start();
    const bool inDoc = d->text().size() == v->length();
    std::printf("%s: Doc pulls the edited text once (analysis, snapshot, save): %lld ms (%s)\n", label,
                (long long)pull.elapsed(), inDoc ? "in step" : "OUT OF STEP");
    delete e;
}

void firstPaintBench(const QString& path)
{
    Workspace w;
    DocPtr d = openDoc(w, path);
    EditorController e(d, w.model, w.model.view());
    e.widget()->resize(1000, 700);
    QElapsedTimer t;
    t.start();
    e.widget()->show();
    paintNow(e);
    std::printf("10 MB / 175k lines: first paint %.1f ms after the window is shown\n", double(t.nsecsElapsed()) / 1e6);
}

void jsonBench(const QString& path, const char* label)
{
    for (bool wrap : {false, true}) {
        QElapsedTimer t;
        t.start();
        Workspace w;
        Settings s = w.model.settings();
        s.wraps.insert(QStringLiteral("json"), wrap);
        w.model.setSettings(s);
        DocPtr d = openDoc(w, path);
        EditorController e(d, w.model, w.model.view());
        e.widget()->resize(1000, 700);
        e.widget()->show();
        paintNow(e);
        const qint64 painted = t.elapsed();
        keyMs(e, Qt::Key_End, QString(), Qt::ControlModifier);
        keyMs(e, Qt::Key_Z, QStringLiteral("z"));
        const qint64 editable = t.elapsed();
        const qint64 stall = longestStall(1500);
        const Spread k = typeBurst(e, 3);
        std::printf("8.6 MB one-line JSON %s, wrapping %s: first paint %lld ms, editable at its end %lld ms, "
                    "longest stall after first paint %lld ms, keystroke median %.2f ms worst %.2f ms\n",
                    label, wrap ? "on" : "off", (long long)painted, (long long)editable, (long long)stall, k.median,
                    k.worst);
    }
}

void findBench(const QString& path)
{
    Workspace w;
    DocPtr d = openDoc(w, path);
    EditorController e(d, w.model, w.model.view());
    e.widget()->resize(1000, 700);
    e.widget()->show();
    paintNow(e);
    w.model.find().setQuery(QStringLiteral("needle"));
    w.model.find().setVisible(true);
    QElapsedTimer t;
    t.start();
    e.refreshHighlights(true);
    const double search = double(t.nsecsElapsed()) / 1e6;
    paintNow(e);
    const double refresh = double(t.nsecsElapsed()) / 1e6;
    // The highlights again with the matches known (what a scroll or a step
    // repaints), without the render.
    t.restart();
    e.refreshHighlights(false);
    const double repaint = double(t.nsecsElapsed()) / 1e6;
    // Refresh with the text unchanged (stepping, revealing).
    t.restart();
    e.step(1);
    paintNow(e);
    const double stepMs = double(t.nsecsElapsed()) / 1e6;
    std::printf("find with %d matches in 10 MB: search %.1f ms, search + render %.1f ms, highlight refresh with known "
                "matches %.2f ms, step + render %.1f ms, indicators on screen %d\n",
                w.model.find().matchCount(), search, refresh, repaint, stepMs, e.textView()->paintedMatchCount());

    w.model.find().setReplaceText(QStringLiteral("pin"));
    const QString original = d->text();
    t.restart();
    const auto reps = FindEngine::regex(w.model.find().options())
                          .replacements(original, w.model.find().replaceTemplate());
    std::printf("  (computing the %zu replacements alone: %.1f ms)\n", reps.size(), double(t.nsecsElapsed()) / 1e6);
    w.model.setToast(std::nullopt);
    t.restart();
    e.replaceEverything();
    // A large text is replaced on a worker: the time runs until the editor
    // holds the result, which the toast announces.
    spinUntil([&] { return w.model.toast().has_value(); }, 60000);
    const double replaceMs = double(t.nsecsElapsed()) / 1e6;
    // The count of what is left comes from a search of the new text.
    spinUntil([&] { return w.model.find().matchCount() >= 0; }, 60000);
    paintNow(e);
    const int left = w.model.find().matchCount();
    const QString toast = w.model.toast().value_or(QString());
    t.restart();
    e.textView()->undo();
    const double undoMs = double(t.nsecsElapsed()) / 1e6;
    std::printf("replace all (%s): %.1f ms, matches left %d; one undo %.1f ms restores the text: %s\n",
                qPrintable(toast), replaceMs, left, undoMs, d->text() == original ? "yes" : "no");
}

// The process and everything it started, found through the kernel's
// per-thread lists of children.
QStringList processTree(const QString& root)
{
    QStringList out{root};
    for (int i = 0; i < out.size(); ++i) {
        QDir tasks(QStringLiteral("/proc/%1/task").arg(out[i]));
        for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QFile f(tasks.filePath(task + QStringLiteral("/children")));
            if (f.open(QIODevice::ReadOnly))
                for (const QByteArray& child : f.readAll().split(' '))
                    if (!child.trimmed().isEmpty() && !out.contains(QString::fromLatin1(child.trimmed())))
                        out << QString::fromLatin1(child.trimmed());
        }
    }
    return out;
}

// utime and stime, in clock ticks
qint64 cpuTicks(const QString& pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> f = stat.readAll().split(')').last().trimmed().split(' ');
    return f.value(11).toLongLong() + f.value(12).toLongLong();
}

// Proportional memory of a process, shared pages split between their users.
double pssMB(const QString& pid)
{
    QFile f(QStringLiteral("/proc/%1/smaps_rollup").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("Pss:"))
            return line.mid(4).trimmed().split(' ').first().toDouble() / 1024.0;
    return 0;
}

// Whether the process has mapped a window on the display ($DISPLAY).
bool hasVisibleWindow(const QString& pid)
{
    QProcess search;
    search.start(QStringLiteral("xdotool"),
                 {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"), pid});
    return search.waitForFinished(2000) && search.exitCode() == 0 && !search.readAllStandardOutput().isEmpty();
}

// Starts a program and waits until the CPU time of it and its children has
// not moved for 1 s. The peak memory is the program's VmHWM plus that of
// each child it started; the proportional memory is summed once it is idle.
int launch(const QStringList& command)
{
    QElapsedTimer t;
    t.start();
    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<QByteArray> raw;
        for (const QString& a : command)
            raw.push_back(a.toLocal8Bit());
        std::vector<char*> argv;
        for (auto& a : raw)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    const QString id = QString::number(pid);
    qint64 lastCpu = -1, lastChange = 0, visible = -1;
    std::map<QString, double> peaks;
    std::map<QString, qint64> cpus;  // children that ended keep their share
    while (t.elapsed() < 120000) {
        if (cpuTicks(id) < 0)
            break;
        for (const QString& p : processTree(id)) {
            if (const qint64 c = cpuTicks(p); c >= 0)
                cpus[p] = c;
            peaks[p] = std::max(peaks[p], rssMB("VmHWM:", p));
        }
        qint64 cpu = 0;
        for (const auto& [p, c] : cpus)
            cpu += c;
        const qint64 now = t.elapsed();
        if (visible < 0 && hasVisibleWindow(id))
            visible = now;
        if (cpu != lastCpu) {
            lastCpu = cpu;
            lastChange = now;
        } else if (now - lastChange >= 1000) {
            break;
        }
        QThread::msleep(10);
    }
    double peak = 0;
    for (const auto& [p, mb] : peaks)
        peak += mb;
    double pss = 0;
    for (const QString& p : processTree(id))
        pss += pssMB(p);
    QFile maps(QStringLiteral("/proc/%1/maps").arg(id));
    const bool engine = maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libQt6WebEngineCore");
    kill(pid, SIGTERM);
    QThread::msleep(300);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    std::printf("launch %s: window visible %lld ms, busy until %lld ms, CPU %lld ms, peak RSS %.0f MB, PSS when idle "
                "%.0f MB (%zu processes), browser engine %s\n",
                qPrintable(command.first()), (long long)visible, (long long)lastChange,
                (long long)(lastCpu * 1000 / sysconf(_SC_CLK_TCK)), peak, pss, peaks.size(),
                engine ? "mapped" : "not mapped");
    return 0;
}

int screenshot(const QString& file)
{
    Workspace w;
    DocPtr d = makeDoc(QUuid::createUuid(), QStringLiteral("诗集.json"),
                       QStringLiteral("{\n  \"标题\": \"春晓\",\n  \"作者\": \"孟浩然\",\n  \"正文\": [\n"
                                      "    \"春眠不觉晓，处处闻啼鸟。\",\n    \"夜来风雨声，花落知多少。\"\n  ],\n"
                                      "  \"注释\": \"花落知多少？再读一遍：花落知多少。\",\n"
                                      "  \"行数\": 4,,\n  \"朝代\": \"唐\"\n}\n"),
                       std::nullopt, TextEncoding(), LineEnding(), {});
    w.model.appendDoc(d);
    w.model.setActiveID(d->id);
    EditorController e(d, w.model, w.model.view());
    e.widget()->resize(760, 360);
    e.widget()->show();
    // The JSON check finds the doubled comma on line 9.
    d->scheduleAnalysis(0);
    spinUntil([&] { return !d->diagnostics().isEmpty(); }, 3000);
    if (d->diagnostics().isEmpty())
        d->setDiagnostics({{9, QStringLiteral("多余的逗号")}});
    w.model.find().setQuery(QStringLiteral("花落"));
    w.model.find().setVisible(true);
    e.refreshHighlights(true);
    e.step(1);
    CodeTextView* v = e.textView();
    v->setSelection(v->lineStart(1), v->lineStart(4));
    v->splitSelectionIntoLines();  // three carets: the ends of lines 2 to 4
    e.refreshHighlights(false);
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 300)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    for (const auto& l : e.ruler()->visibleLabels())
        if (l.error)
            std::printf("error mark on line %d\n", l.line);
    const bool ok = e.widget()->grab().save(file);
    std::printf("screenshot %s: %s\n", qPrintable(file), ok ? "written" : "failed");
    return ok ? 0 : 1;
}

}

// A shown document at rest, then three keys in the middle and a pause:
// what the pause costs in memory and in the longest main-thread turn, with
// analysis and snapshots running as in the window.
void pauseBench(const QString& path, const char* label)
{
    Doc::setAnalysisEnabled(true);
    Workspace w;
    DocPtr d = openDoc(w, path);
    w.model.watch(d);
    auto* e = new EditorController(d, w.model, w.model.view());
    e->widget()->resize(1000, 700);
    e->widget()->show();
    paintNow(*e);
    longestStall(3000);
    const double opened = rssMB();
    // The caret goes to the middle first: that builds the UTF-16 line index
    // (as a click there does), which typing does not.
    CodeTextView* v = e->textView();
    v->setCursorPosition(v->lineStart(v->lineCount() / 2) + 3);
    longestStall(500);
    const double before = rssMB();
    const QString snapshot = BackupStore::fileFor(d->id);
    QFile::remove(snapshot);
    for (int i = 0; i < 3; ++i)
        keyDirtyMs(*e, Qt::Key_X, QStringLiteral("x"));
    QElapsedTimer sinceKeys;
    sinceKeys.start();
    qint64 onDisk = -1;
    const auto watchDisk = [&] {
        if (onDisk < 0 && QFileInfo::exists(snapshot))
            onDisk = sinceKeys.elapsed();
    };
    const qint64 first = longestStall(3000, watchDisk);
    const double after = rssMB();
    const qint64 longest = std::max(first, longestStall(2000, watchDisk));
    const double settled = rssMB();
    std::printf("%s: caret to the middle: RSS %.0f -> %.0f MB; 3 keys then a pause: RSS %.0f -> %.0f MB "
                "(growth %.1f MB after 3 s, %.1f MB after 5 s), longest main-thread turn in the 5 s after the keys "
                "%lld ms\n",
                label, opened, before, before, after, after - before, settled - before, (long long)longest);
    BackupStore::waitForWrites();
    const std::optional<DocSnapshot> written = BackupStore::load(d->id);
    std::printf("%s: snapshot on disk %lld ms after the last key, %s\n", label, (long long)onDisk,
                written && written->text == v->text() ? "the editor's text" : "NOT THE EDITOR'S TEXT");
    BackupStore::remove(d->id);
    w.model.unwatchAll();
    delete e;
    Doc::setAnalysisEnabled(false);
}

int main(int argc, char** argv)
{
    setvbuf(stdout, nullptr, _IOLBF, 0);
    if (argc > 2 && QByteArray(argv[1]) == "--launch") {
        QCoreApplication app(argc, argv);
        return launch(app.arguments().mid(2));
    }
    if (argc > 2 && QByteArray(argv[1]) == "--make-large")
        return writeFile(QString::fromLocal8Bit(argv[2]), makeText(100 * 1048576, 1750000, 0)) ? 0 : 1;
    if (argc > 2 && QByteArray(argv[1]) == "--make-json")
        return writeFile(QString::fromLocal8Bit(argv[2]), makeJSON(8600 * 1024)) ? 0 : 1;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    AppFonts::registerFonts();
    const QStringList args = app.arguments();
    const int shot = int(args.indexOf(QStringLiteral("--screenshot")));
    if (shot > 0)
        return screenshot(args.value(shot + 1, QStringLiteral("/tmp/editor.png")));
    Doc::setAnalysisEnabled(false);
    // --only paint|json|find|large runs one part; --only pause (the cost of a typing pause) runs only when asked.
    const QString only = args.value(args.indexOf(QStringLiteral("--only")) + 1);
    const auto want = [&](const char* part) {
        return !args.contains(QStringLiteral("--only")) || only == QLatin1String(part);
    };
    QTemporaryDir tmp;
    const QString ten = tmp.filePath(QStringLiteral("ten.txt"));
    const QString find = tmp.filePath(QStringLiteral("find.txt"));
    const QString json = tmp.filePath(QStringLiteral("one-line.json"));
    const QString large = args.contains(QStringLiteral("--large-file"))
        ? args.value(args.indexOf(QStringLiteral("--large-file")) + 1)
        : tmp.filePath(QStringLiteral("large.txt"));
    writeFile(ten, makeText(10 * 1048576, 175000, 0));
    writeFile(find, makeText(10 * 1048576, 200000, 2));  // "needle" on every second line
    writeFile(json, makeJSON(8600 * 1024));
    // The same bytes as plain text: the engine alone, without colours.
    const QString jsonText = tmp.filePath(QStringLiteral("one-line-json.txt"));
    QFile::copy(json, jsonText);
    if (!QFile::exists(large) && (want("large") || only == QLatin1String("pause")))
        writeFile(large, makeText(100 * 1048576, 1750000, 0));
    if (want("paint"))
        firstPaintBench(ten);
    if (want("json")) {
        jsonBench(json, "(coloured)");
        jsonBench(jsonText, "as plain text");
    }
    if (want("find"))
        findBench(find);
    if (want("large"))
        largeBench(large, "100 MB / 1.75M lines");
    if (args.contains(QStringLiteral("--only")) && only == QLatin1String("pause")) {
        // Snapshots go to a folder of their own, not the user's.
        qputenv("XDG_DATA_HOME", tmp.filePath(QStringLiteral("data")).toLocal8Bit());
        const QString forty = tmp.filePath(QStringLiteral("forty.txt"));
        writeFile(forty, makeText(40 * 1048576, 700000, 0));
        pauseBench(forty, "40 MB / 700k lines");
        pauseBench(large, "100 MB / 1.75M lines");
    }
    return 0;
}
