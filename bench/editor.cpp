// Editor figures on large files, run offscreen:
//   bench_editor                 all measurements
//   bench_editor --screenshot F  render a sample editor into the PNG file F
#include "core/AppModel.h"
#include "core/Preferences.h"
#include "editor/AppFonts.h"
#include "editor/CodeTextView.h"
#include "editor/EditorController.h"
#include "editor/LineNumberRuler.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double rssMB()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return 0;
}

// UTF-8 text of about `bytes` bytes in `lines` lines, Chinese and ASCII,
// with the word "needle" once every `every` lines.
QByteArray makeText(qsizetype bytes, int lines, int every)
{
    QByteArray out;
    out.reserve(bytes + 256);
    const qsizetype perLine = bytes / lines;
    for (int i = 0; i < lines; ++i) {
        QByteArray l = "第" + QByteArray::number(i) + "行 value_" + QByteArray::number(i * 7);
        if (every > 0 && i % every == 0)
            l += " needle";
        while (l.size() < perLine - 1)
            l += " lorem ipsum 文本";
        l.truncate(perLine - 1);
        // Never cut a UTF-8 sequence in half.
        while (!l.isEmpty() && (uchar(l.back()) & 0xC0) == 0x80)
            l.chop(1);
        while (!l.isEmpty() && uchar(l.back()) >= 0xC0)
            l.chop(1);
        out += l;
        out += '\n';
    }
    return out;
}

struct Workspace {
    QTemporaryDir dir;
    AppModel model{std::make_unique<Preferences>(dir.filePath(QStringLiteral("prefs.ini")))};
};

DocPtr openDoc(Workspace& w, const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    DocPtr d = makeDoc(QUuid::createUuid(), QStringLiteral("big.txt"), QString::fromUtf8(f.readAll()), path,
                       TextEncoding(), LineEnding(), {});
    w.model.appendDoc(d);
    w.model.setActiveID(d->id);
    return d;
}

void paintNow(EditorController& e)
{
    e.textView()->viewport()->repaint();
    e.ruler()->repaint();
}

struct Stalls {
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    QTimer timer;
    Stalls()
    {
        clock.start();
        timer.setInterval(1);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            const qint64 now = clock.elapsed();
            longest = std::max(longest, now - last);
            last = now;
        });
        timer.start();
    }
};

void openBench(const char* label, qsizetype bytes, int lines)
{
    QTemporaryDir tmp;
    const QString path = tmp.filePath(QStringLiteral("big.txt"));
    {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(makeText(bytes, lines, 0));
    }
    const double before = rssMB();
    Workspace w;
    QElapsedTimer t;
    t.start();
    DocPtr d = openDoc(w, path);
    auto* e = new EditorController(d, w.model);
    e->widget()->resize(1000, 700);
    e->widget()->show();
    QApplication::processEvents();
    paintNow(*e);
    const qint64 firstPaint = t.elapsed();
    Stalls stalls;
    while (e->isLoading())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    const qint64 loaded = t.elapsed();
    QApplication::processEvents();
    const double rss = rssMB();
    std::printf("%s: first paint %lld ms, fully loaded %lld ms, longest UI stall while loading %lld ms, "
                "RSS %.0f MB (%.0f MB before; %.1fx file size)\n",
                label, (long long)firstPaint, (long long)loaded, (long long)stalls.longest, rss, before,
                rss / (double(bytes) / 1048576.0));

    if (bytes > 50 * 1048576) {
        // Typing one character in the middle: handling plus repaint.
        CodeTextView* v = e->textView();
        QTextCursor c(v->document()->findBlockByNumber(lines / 2));
        v->setTextCursor(c);
        v->centerCursor();
        paintNow(*e);
        std::vector<double> ms;
        for (int i = 0; i < 31; ++i) {
            QElapsedTimer k;
            k.start();
            QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
            QApplication::sendEvent(v, &press);
            paintNow(*e);
            ms.push_back(double(k.nsecsElapsed()) / 1e6);
            QApplication::processEvents();
        }
        std::sort(ms.begin(), ms.end());
        std::printf("%s: typing one character in the middle, median %.2f ms (max %.2f ms)\n", label, ms[ms.size() / 2],
                    ms.back());
        QElapsedTimer s;
        s.start();
        e->flushSync();
        std::printf("%s: writing the burst into Doc.text once it pauses: %lld ms\n", label, (long long)s.elapsed());
    }
    delete e;
}

void findBench()
{
    const int lines = 200000;
    Workspace w;
    QTemporaryDir tmp;
    const QString path = tmp.filePath(QStringLiteral("find.txt"));
    {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(makeText(10 * 1048576, lines, 2));  // "needle" on every second line
    }
    DocPtr d = openDoc(w, path);
    EditorController e(d, w.model);
    e.widget()->resize(1000, 700);
    e.widget()->show();
    while (e.isLoading())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    w.model.setFindQuery(QStringLiteral("needle"));
    w.model.setFindVisible(true);
    QElapsedTimer t;
    t.start();
    e.refreshHighlights(true);
    paintNow(e);
    const qint64 refresh = t.elapsed();
    // Refresh again with the text unchanged (stepping, revealing).
    t.restart();
    e.step(1);
    paintNow(e);
    const qint64 stepMs = t.elapsed();
    // Scrolling a page at a time with all matches highlighted.
    QScrollBar* bar = e.textView()->verticalScrollBar();
    std::vector<double> scroll;
    for (int i = 0; i < 40; ++i) {
        QElapsedTimer s;
        s.start();
        bar->setValue(bar->value() + 37 * (i + 1) * 97 % std::max(1, bar->maximum()));
        paintNow(e);
        scroll.push_back(double(s.nsecsElapsed()) / 1e6);
    }
    std::sort(scroll.begin(), scroll.end());
    std::printf("find with %d matches in 10 MB: highlight refresh %lld ms, step %lld ms, scroll+repaint median %.2f ms "
                "(max %.2f ms)\n",
                w.model.matchCount(), (long long)refresh, (long long)stepMs, scroll[scroll.size() / 2], scroll.back());

    w.model.setReplaceText(QStringLiteral("pin"));
    const QString original = d->text();
    t.restart();
    e.replaceEverything();
    const qint64 replaceMs = t.elapsed();
    paintNow(e);
    const int left = w.model.matchCount();
    const QString toast = w.model.toast().value_or(QString());
    t.restart();
    e.textView()->undo();
    e.flushSync();
    const qint64 undoMs = t.elapsed();
    std::printf("replace all (%s): %lld ms, matches left %d; one undo %lld ms restores the text: %s\n",
                qPrintable(toast), (long long)replaceMs, left, (long long)undoMs,
                d->text() == original ? "yes" : "no");
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
    EditorController e(d, w.model);
    e.widget()->resize(760, 360);
    e.widget()->show();
    // The JSON check finds the doubled comma on line 9.
    d->scheduleAnalysis(0);
    QElapsedTimer wait;
    wait.start();
    while (d->diagnostics().isEmpty() && wait.elapsed() < 3000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    if (d->diagnostics().isEmpty())
        d->setDiagnostics({{9, QStringLiteral("多余的逗号")}});
    w.model.setFindQuery(QStringLiteral("花落"));
    w.model.setFindVisible(true);
    e.refreshHighlights(true);
    e.step(1);
    CodeTextView* v = e.textView();
    QTextCursor c(v->document());
    c.setPosition(v->document()->findBlockByNumber(1).position());
    c.setPosition(v->document()->findBlockByNumber(4).position(), QTextCursor::KeepAnchor);
    v->setTextCursor(c);
    v->splitSelectionIntoLines();  // three carets: the ends of lines 2 to 4
    e.refreshHighlights(false);
    QApplication::processEvents();
    for (const auto& l : e.ruler()->visibleLabels())
        if (l.error)
            std::printf("error mark on line %d\n", l.line);
    const bool ok = e.widget()->grab().save(file);
    std::printf("screenshot %s: %s\n", qPrintable(file), ok ? "written" : "failed");
    return ok ? 0 : 1;
}

}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    AppFonts::registerFonts();
    const QStringList args = app.arguments();
    const int shot = int(args.indexOf(QStringLiteral("--screenshot")));
    if (shot > 0)
        return screenshot(args.value(shot + 1, QStringLiteral("/tmp/editor.png")));
    if (args.contains(QStringLiteral("--find"))) {
        findBench();
        return 0;
    }
    if (args.contains(QStringLiteral("--large"))) {
        openBench("100 MB / 2M lines", 100 * 1048576, 2000000);
        return 0;
    }
    openBench("10 MB / 200k lines", 10 * 1048576, 200000);
    openBench("100 MB / 2M lines", 100 * 1048576, 2000000);
    findBench();
    return 0;
}
