// Crash test of unsaved work. The driver starts a child that edits documents
// through the workspace, kills it with SIGKILL at a random moment, and has a
// fresh process restore the workspace: every document must come back, with
// text at least as new as 1.5 s before the kill and never corrupted.
//
//   lorvane_crash drive SEED [GENERATIONS]   one case (exit 0 = passed)
//   lorvane_crash child HOME SEED            edits until killed
//   lorvane_crash check HOME                 restores and verifies
#include "core/AppModel.h"
#include "core/FileIO.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr qint64 allowedLossMSecs = 1500;

qint64 monotonicMSecs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// The child and the check run as the program would, over the same home.
void useHome(const QByteArray& home)
{
    qputenv("XDG_DATA_HOME", home + "/data");
    qputenv("XDG_CONFIG_HOME", home + "/config");
    qputenv("XDG_CACHE_HOME", home + "/cache");
    QCoreApplication::setOrganizationName(QStringLiteral("Lorvane"));
    QCoreApplication::setApplicationName(QStringLiteral("Lorvane"));
}

// The exact text of document `key` at edit number `seq`; long enough and
// varied enough that truncation or mangling shows.
QString textFor(const QString& key, int seq)
{
    QString t = QStringLiteral("key=%1\nseq=%2\n").arg(key).arg(seq);
    const int lines = 1 + (seq * 7 + key.size()) % 40;
    for (int i = 0; i < lines; ++i)
        t += QStringLiteral("第 %1 行 / a:b \"引号\" \\ 反斜杠\t制表 😀👍🏽 é\n").arg(i * seq);
    if (seq % 5 == 0)
        t += QString(20000, QChar(u'字'));  // now and then a bigger one
    return t;
}

struct Parsed {
    QString key;
    int seq = -1;
};

Parsed parse(const QString& text)
{
    Parsed p;
    const QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.size() < 2 || !lines[0].startsWith(QLatin1String("key=")) || !lines[1].startsWith(QLatin1String("seq=")))
        return p;
    p.key = lines[0].mid(4);
    bool ok = false;
    p.seq = lines[1].mid(4).toInt(&ok);
    if (!ok)
        p.seq = -1;
    return p;
}

// The journal: "E key seq ms" after each edit (written by the child),
// "K ms" after each kill (written by the driver).
struct Entry {
    QString key;
    int seq;
    qint64 at;
    qint64 killedAt = 0;  // the kill that ended the edit's generation
};

QString journalPath(const QString& home) { return home + QStringLiteral("/journal"); }

QList<Entry> readJournal(const QString& home)
{
    QList<Entry> out;
    QFile f(journalPath(home));
    if (!f.open(QIODevice::ReadOnly))
        return out;
    qsizetype open = 0;
    for (const QByteArray& line : f.readAll().split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() == 4 && parts[0] == "E") {
            out.append({QString::fromUtf8(parts[1]), parts[2].toInt(), parts[3].toLongLong()});
        } else if (parts.size() == 2 && parts[0] == "K") {
            for (; open < out.size(); ++open)
                out[open].killedAt = parts[1].toLongLong();
        }
    }
    return out;
}

void appendLine(const QString& home, const QByteArray& line)
{
    const int fd = ::open(journalPath(home).toLocal8Bit().constData(), O_WRONLY | O_APPEND | O_CREAT, 0644);
    if (fd < 0)
        return;
    [[maybe_unused]] const auto n = ::write(fd, line.constData(), size_t(line.size()));
    ::close(fd);
}

// ---- child ----

class Editor : public QObject {
public:
    Editor(AppModel& model, QString home, quint32 seed) : model_(model), home_(std::move(home)), rng_(seed)
    {
        for (const Entry& e : readJournal(home_))
            seq_[e.key] = std::max(seq_.value(e.key, -1), e.seq);
        generation_ = QString::number(seed);
        next();
    }

private:
    void note(const QString& key, int seq)
    {
        appendLine(home_,
                   "E " + key.toUtf8() + ' ' + QByteArray::number(seq) + ' ' + QByteArray::number(monotonicMSecs())
                       + '\n');
    }

    void edit(const DocPtr& d)
    {
        const Parsed p = parse(d->text());
        if (p.key.isEmpty())
            return;
        const int seq = seq_.value(p.key, p.seq) + 1;
        seq_[p.key] = seq;
        d->setText(textFor(p.key, seq));
        note(p.key, seq);
    }

    void create()
    {
        const QString key = QStringLiteral("n%1-%2").arg(generation_).arg(++made_);
        static const QStringList plugins{QStringLiteral("markdown"), QStringLiteral("json"), QString()};
        const QString& plugin = plugins[rng_.bounded(int(plugins.size()))];
        DocPtr d = model_.createDoc(QString(), plugin.isEmpty() ? std::nullopt : std::optional<QString>(plugin), {});
        seq_[key] = 1;
        d->setText(textFor(key, 1));
        note(key, 1);
    }

    void openFile()
    {
        const QString key = QStringLiteral("f%1-%2").arg(generation_).arg(++made_);
        const QString path = home_ + QStringLiteral("/files/") + key + QStringLiteral(".txt");
        QDir().mkpath(home_ + QStringLiteral("/files"));
        if (FileIO::writeAtomically(path, textFor(key, 0).toUtf8()))
            return;
        if (!model_.open(path, true))
            return;
        seq_[key] = 0;
        note(key, 0);
    }

    void act()
    {
        const int roll = rng_.bounded(100);
        const auto& docs = model_.docs();
        if (docs.isEmpty() || (roll < 8 && docs.size() < 10))
            create();
        else if (roll < 14 && docs.size() < 10)
            openFile();
        else
            edit(docs[rng_.bounded(int(docs.size()))]);
        next();
    }

    void next()
    {
        const int delay = rng_.bounded(100) < 7 ? 1100 + rng_.bounded(800) : 5 + rng_.bounded(250);
        QTimer::singleShot(delay, this, [this] { act(); });
    }

    AppModel& model_;
    QString home_;
    QRandomGenerator rng_;
    QHash<QString, int> seq_;
    QString generation_;
    int made_ = 0;
};

int child(int argc, char** argv)
{
    const QByteArray home = argv[2];
    useHome(home);
    QCoreApplication app(argc, argv);
    AppModel model;
    model.restore();
    Editor editor(model, QString::fromLocal8Bit(home), quint32(QByteArray(argv[3]).toUInt()));
    return app.exec();
}

// ---- check ----

int check(int argc, char** argv)
{
    const QByteArray home = argv[2];
    useHome(home);
    QCoreApplication app(argc, argv);

    // What must be back: the newest edit of each document made at least
    // 1.5 s before the kill that ended it. Anything newer may have been lost
    // at that kill, legitimately and for good.
    QHash<QString, int> required;
    for (const Entry& e : readJournal(QString::fromLocal8Bit(home)))
        if (e.killedAt && e.at <= e.killedAt - allowedLossMSecs)
            required[e.key] = std::max(required.value(e.key, -1), e.seq);

    AppModel model;
    model.restore();
    int failures = 0;
    const auto fail = [&](const QString& what) {
        std::fprintf(stderr, "FAIL: %s\n", what.toUtf8().constData());
        ++failures;
    };
    QHash<QString, int> found;
    QSet<QUuid> ids;
    for (const DocPtr& d : model.docs()) {
        if (ids.contains(d->id))
            fail(QStringLiteral("document %1 restored twice").arg(d->id.toString()));
        ids.insert(d->id);
        const Parsed p = parse(d->text());
        if (p.key.isEmpty() || p.seq < 0) {
            if (!d->text().isEmpty())
                fail(QStringLiteral("unrecognisable text in %1 (%2 chars)").arg(d->name()).arg(d->text().size()));
            continue;
        }
        if (d->text() != textFor(p.key, p.seq))
            fail(QStringLiteral("corrupted text of %1 at seq %2").arg(p.key).arg(p.seq));
        if (found.contains(p.key))
            fail(QStringLiteral("%1 appears twice").arg(p.key));
        found[p.key] = p.seq;
    }
    for (auto it = required.begin(); it != required.end(); ++it) {
        if (!found.contains(it.key()))
            fail(QStringLiteral("%1 lost (needed seq %2)").arg(it.key()).arg(it.value()));
        else if (found[it.key()] < it.value())
            fail(QStringLiteral("%1 too old: seq %2, needed %3").arg(it.key()).arg(found[it.key()]).arg(it.value()));
    }
    std::printf("restored %d documents, %d required, %d failures\n", int(model.docs().size()), int(required.size()),
                failures);
    return failures ? 1 : 0;
}

// ---- drive ----

pid_t spawn(const char* self, const QList<QByteArray>& args)
{
    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> argv{const_cast<char*>(self)};
        for (const QByteArray& a : args)
            argv.push_back(const_cast<char*>(a.constData()));
        argv.push_back(nullptr);
        execv(self, argv.data());
        _exit(127);
    }
    return pid;
}

int waitFor(pid_t pid)
{
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
    return status;
}

int drive(char** argv, int argc)
{
    const quint32 seed = quint32(QByteArray(argv[2]).toUInt());
    const int generations = argc > 3 ? QByteArray(argv[3]).toInt() : 2;
    QTemporaryDir home;
    if (!home.isValid())
        return 2;
    const QByteArray homePath = home.path().toLocal8Bit();
    QRandomGenerator rng(seed);
    char self[4096] = {};
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0)
        return 2;

    for (int g = 0; g < generations; ++g) {
        const pid_t pid = spawn(self, {"child", homePath, QByteArray::number(seed * 100 + quint32(g))});
        const int life = 300 + int(rng.bounded(2700));
        usleep(useconds_t(life) * 1000);
        const qint64 killedAt = monotonicMSecs();
        kill(pid, SIGKILL);
        waitFor(pid);
        appendLine(home.path(), "K " + QByteArray::number(killedAt) + '\n');
        std::printf("generation %d killed after %d ms\n", g + 1, life);
        std::fflush(stdout);
        const int status = waitFor(spawn(self, {"check", homePath}));
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            home.setAutoRemove(false);
            std::printf("left for inspection: %s\n", homePath.constData());
            return 1;
        }
    }
    return 0;
}

}

int main(int argc, char** argv)
{
    const QByteArray mode = argc > 1 ? argv[1] : "";
    if (mode == "child" && argc == 4)
        return child(argc, argv);
    if (mode == "check" && argc == 3)
        return check(argc, argv);
    if (mode == "drive" && argc >= 3)
        return drive(argv, argc);
    std::fprintf(stderr, "usage: lorvane_crash drive SEED [GENERATIONS]\n");
    return 2;
}
