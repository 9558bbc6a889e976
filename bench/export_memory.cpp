// Peak memory of `lorvane --export-html` on a 50 MB JSON array of objects and
// a 50 MB CSV, as a ratio to the file's size. Target: at most 3x for both.
//   bench_export_memory [--lorvane PATH] [--runs N] [--mb SIZE] [--keep DIR]
// --lorvane measures another build with the same samples (before/after);
// --keep leaves the samples and the exported pages in DIR.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Pretty-printed, the way exported records look: nested objects, arrays,
// numbers, booleans, nulls, escapes and Chinese text.
QByteArray makeRecords(qsizetype bytes)
{
    QByteArray out = "[\n";
    out.reserve(bytes + 1024);
    for (int i = 0; out.size() < bytes; ++i) {
        const QByteArray n = QByteArray::number(i);
        if (i)
            out += ",\n";
        out += "  {\n    \"id\": " + n + ",\n    \"名称\": \"订单 " + n + " · 北京市朝阳区\",\n    \"email\": \"user"
            + n + "@example.com\",\n    \"amount\": " + QByteArray::number(i * 1.25 + 0.01, 'f', 2)
            + ",\n    \"paid\": " + (i % 3 ? "true" : "false")
            + ",\n    \"note\": " + (i % 5 ? "\"送货前请电话联系\\n\\\"谢谢\\\"\"" : "null") + ",\n    \"tags\": [\"a"
            + QByteArray::number(i % 7)
            + "\", \"客户\", \"2026\"],\n"
              "    \"address\": {\"city\": \"上海\", \"zip\": \"2000"
            + QByteArray::number(i % 10) + "\", \"geo\": [31.23, 121.47]}\n  }";
    }
    out += "\n]\n";
    return out;
}

// A header and rows of mixed fields, some quoted with commas, quotes and line breaks.
QByteArray makeTable(qsizetype bytes)
{
    QByteArray out = "id,姓名,城市,金额,日期,备注\n";
    out.reserve(bytes + 1024);
    for (int i = 0; out.size() < bytes; ++i) {
        const QByteArray n = QByteArray::number(i);
        out += n + ",张三" + n + ",\"上海, 浦东\"," + QByteArray::number(i * 3.5, 'f', 1) + ",2026-0"
            + QByteArray::number(1 + i % 9) + "-1" + QByteArray::number(i % 10) + ","
            + (i % 4 ? "普通客户" : "\"说 \"\"你好\"\"\n换行\"") + "\n";
    }
    return out;
}

struct Run {
    int status = -1;
    long peakKB = 0;
};

Run exportPage(const QByteArray& exe, const QByteArray& in, const QByteArray& out)
{
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        dup2(null, 1);
        execl(exe.constData(), exe.constData(), "--export-html", in.constData(), "-o", out.constData(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    Run r;
    int status = 0;
    rusage usage{};
    if (pid > 0 && wait4(pid, &status, 0, &usage) == pid) {
        r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.peakKB = usage.ru_maxrss;
    }
    return r;
}

bool write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

double loadAverage()
{
    double l[1] = {0};
    return getloadavg(l, 1) == 1 ? l[0] : -1;
}

}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QString exe = QCoreApplication::applicationDirPath() + QStringLiteral("/lorvane");
    int runs = 3;
    qsizetype size = qsizetype(50) << 20;
    QString keep;
    const QStringList args = app.arguments();
    for (int k = 1; k + 1 < args.size(); k += 2) {
        if (args[k] == QLatin1String("--lorvane"))
            exe = args[k + 1];
        else if (args[k] == QLatin1String("--runs"))
            runs = args[k + 1].toInt();
        else if (args[k] == QLatin1String("--mb"))
            size = qsizetype(args[k + 1].toInt()) << 20;
        else if (args[k] == QLatin1String("--keep"))
            keep = args[k + 1];
    }
    QTemporaryDir tmp;
    const QString dir = keep.isEmpty() ? tmp.path() : keep;
    QDir().mkpath(dir);

    struct Sample {
        const char* name;
        QByteArray bytes;
    };
    Sample samples[] = {{"records.json", makeRecords(size)}, {"table.csv", makeTable(size)}};
    std::printf("lorvane: %s\n", qPrintable(exe));
    for (Sample& s : samples) {
        const QString in = dir + QLatin1Char('/') + QLatin1String(s.name);
        if (!write(in, s.bytes)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(in));
            return 2;
        }
        const qsizetype fileSize = s.bytes.size();
        s.bytes = QByteArray();
        for (int r = 0; r < runs; ++r) {
            const QString out = in + QStringLiteral(".html");
            const Run run = exportPage(QFile::encodeName(exe), QFile::encodeName(in), QFile::encodeName(out));
            std::printf("%-13s %6.1f MB  peak %7.1f MB  ratio %.2fx  exit %d  page %.1f MB  load %.2f\n", s.name,
                        double(fileSize) / (1 << 20), double(run.peakKB) / 1024,
                        double(run.peakKB) * 1024 / double(fileSize), run.status,
                        double(QFileInfo(out).size()) / (1 << 20), loadAverage());
            std::fflush(stdout);
        }
    }
    return 0;
}
