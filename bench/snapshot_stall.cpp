// Typing stall from snapshots in the real editor: a 21 MB and a 100 MB
// document shown in a text view, a key typed every 120 ms for two seconds
// and then a pause long enough for the snapshot, three times. Every turn of
// the event loop is timed (the keystrokes themselves run outside them). The
// same typing with snapshots switched off gives the baseline, so the
// difference is what snapshots cost. Target: no turn over 16 ms.
#include "core/BackupStore.h"
#include "editor/CodeTextView.h"
#include "editor/EditorCache.h"
#include "editor/EditorController.h"
#include "views/state/WindowModel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>

namespace {

QByteArray sampleText(qsizetype bytes)
{
    const QByteArray line = QStringLiteral("Lorvane 快照停顿测试行：路径 /usr/share/doc，引号 \"x\"，0123456789\n")
                                .toUtf8();
    QByteArray out;
    out.reserve(bytes + line.size());
    while (out.size() < bytes)
        out += line;
    return out;
}

struct Figures {
    double worst = 0, worstPause = 0;
    int current = 0;
};

Figures typeInto(const QString& dir, const QString& path, bool snapshots)
{
    WindowModel model(std::make_unique<Preferences>(dir + QStringLiteral("/stall.ini")));
    EditorCache editors(model, model.view());
    model.setEditorLink(&editors);
    DocPtr d = model.open(path);
    if (!d) {
        std::printf("ERROR: cannot open %s\n", qPrintable(path));
        return {};
    }
    if (!snapshots)
        model.setQuitting();
    CodeTextView* view = editors.controller(d).textView();
    view->resize(900, 700);
    const int at = view->lineStart(view->lineCount() / 2);
    Figures f;
    for (int round = 0; round < 3; ++round) {
        QElapsedTimer phase;
        phase.start();
        while (phase.elapsed() < 2000 + 1800) {
            const bool typing = phase.elapsed() < 2000;
            if (typing)
                view->replaceRange(at, 0, QStringLiteral("k"));
            QElapsedTimer gap;
            gap.start();
            while (gap.elapsed() < 120) {
                QElapsedTimer t;
                t.start();
                QCoreApplication::processEvents(QEventLoop::AllEvents);
                const double took = t.nsecsElapsed() / 1e6;
                f.worst = std::max(f.worst, took);
                if (!typing)
                    f.worstPause = std::max(f.worstPause, took);
                QThread::usleep(1000);
            }
        }
        BackupStore::waitForWrites();
        if (const auto s = BackupStore::load(d->id); s && s->text == d->text())
            ++f.current;
    }
    BackupStore::remove(d->id);
    model.unwatchAll();
    editors.drop(d->id);
    return f;
}

void bench(const QString& dir, qsizetype bytes)
{
    const QString path = dir + QStringLiteral("/stall-%1.txt").arg(bytes);
    {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(sampleText(bytes));
    }
    const Figures without = typeInto(dir, path, false);
    const Figures with = typeInto(dir, path, true);
    std::printf("typing stall, %.0f MB document in the editor: longest event-loop turn %.1f ms with snapshots "
                "(%.1f ms in pauses, %d/3 snapshots current), %.1f ms without (%.1f ms in pauses); target <= 16 ms\n",
                bytes / 1e6, with.worst, with.worstPause, with.current, without.worst, without.worstPause);
    QFile::remove(path);
}

}

int main(int argc, char** argv)
{
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", (home.path() + "/data").toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bench(home.path(), 21 * 1000 * 1000);
    bench(home.path(), 100 * 1000 * 1000);
    return 0;
}
