// Throughput of the structured-format checks and previews on large inputs.
#include "plugins/CSVPlugin.h"
#include "plugins/JSONPlugin.h"
#include "plugins/JSONText.h"
#include "plugins/TOMLPlugin.h"
#include "plugins/YAMLPlugin.h"

#include <QElapsedTimer>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>

namespace {

double ms(qint64 ns) { return ns / 1e6; }

double threadCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

// Wall time, and CPU time of this thread: on a shared machine the second is
// the steadier figure.
void report(const char* label, qsizetype bytes, const std::function<void()>& work)
{
    QElapsedTimer t;
    const double cpu0 = threadCpuSeconds();
    t.start();
    work();
    const qint64 ns = t.nsecsElapsed();
    const double cpu = threadCpuSeconds() - cpu0;
    std::printf("%-40s %8.1f MB %9.1f ms %8.1f MB/s   cpu %9.1f ms %8.1f MB/s\n", label, bytes / 1e6, ms(ns),
                ns > 0 ? (bytes / 1e6) / (ns / 1e9) : 0.0, cpu * 1e3, cpu > 0 ? (bytes / 1e6) / cpu : 0.0);
}

QString repeatTo(const QString& unit, qsizetype targetBytes)
{
    QString out;
    const qsizetype per = unit.toUtf8().size();
    out.reserve(unit.size() * (targetBytes / per + 1));
    for (qsizetype n = 0; n < targetBytes; n += per)
        out += unit;
    return out;
}

QString bigJSON(qsizetype bytes)
{
    QString body = repeatTo(
        QStringLiteral("{\"id\":12345,\"name\":\"编辑器 \\\"x\\\"\",\"tags\":[\"a\",\"b\",true,null],"
                       "\"score\":-1.5e3,\"nested\":{\"k\":\"value with some text\"}},\n"),
        bytes);
    return QLatin1Char('[') + body + QStringLiteral("{}]");
}

void benchJSON()
{
    const QString text = bigJSON(50'000'000);
    const qsizetype bytes = text.toUtf8().size();
    report("JSON validate 50 MB", bytes, [&] {
        if (!JSONPlugin::validate(text).isEmpty())
            std::puts("unexpected diagnostic");
    });
    TreeNode tree;
    report("JSON parse (tree) 50 MB", bytes, [&] { tree = JSONText::parse(text); });
    qsizetype prettyLen = 0;
    report("JSON pretty-print 50 MB", bytes, [&] { prettyLen = JSONText::pretty(tree, QString()).size(); });
    report("JSON compact 50 MB", bytes, [&] { prettyLen += JSONText::compact(tree).size(); });
    const QString ten = bigJSON(10'000'000);
    report("JSON validate + preview 10 MB", ten.toUtf8().size(), [&] {
        JSONPlugin::validate(ten);
        prettyLen += JSONPlugin::previewHTML(ten).size();
    });
    const QString deep = QString(100000, QLatin1Char('['));
    report("JSON 100 000 nested [", deep.size(), [&] { JSONPlugin::validate(deep); });
    const QString longString = QLatin1Char('"') + QString(5'000'000, QLatin1Char('x')) + QLatin1Char('"');
    report("JSON one 5 MB string", longString.size(), [&] { JSONPlugin::previewHTML(longString); });
    std::printf("(output sizes %lld)\n", (long long)prettyLen);
}

void benchYAML()
{
    const QString unit = QStringLiteral(
        "service%1:\n  image: \"registry/app:1.4\" # pinned\n  replicas: 3\n  env:\n"
        "    - name: A\n      value: 'x # y'\n  ports: [80, 443, {tls: true}]\n  note: |\n"
        "    第一行\n    second line\n");
    QString text;
    for (int k = 0; text.size() < 10000000; ++k)
        text += unit.arg(k);
    const qsizetype bytes = text.toUtf8().size();
    report("YAML validate 10 MB", bytes, [&] {
        if (!YAMLPlugin::validate(text).isEmpty())
            std::puts("unexpected diagnostic");
    });
    qsizetype len = 0;
    report("YAML preview 10 MB", bytes, [&] { len += YAMLPlugin::previewHTML(text).size(); });
    const QString longLine = QStringLiteral("k: ") + QString(5'000'000, QLatin1Char('x')) + QStringLiteral(" # c\n");
    report("YAML one 5 MB line", longLine.size(), [&] { YAMLPlugin::validate(longLine); });
    const QString longFlow = QStringLiteral("k: [") + repeatTo(QStringLiteral("'a, b', 12, {x: y}, "), 5'000'000)
        + QStringLiteral("]\n");
    report("YAML one 5 MB flow list", longFlow.size(), [&] { len += YAMLPlugin::validate(longFlow).size(); });
    const QString dashes = repeatTo(QStringLiteral("- "), 2'000'000) + QStringLiteral("x\n");
    report("YAML one 2 MB line of nested dashes", dashes.size(), [&] { len += YAMLPlugin::validate(dashes).size(); });
    const QString brackets = QStringLiteral("k: ") + QString(1'000'000, QLatin1Char('['))
        + QString(1'000'000, QLatin1Char(']'));
    report("YAML one 2 MB line of nested brackets", brackets.size(),
           [&] { len += YAMLPlugin::validate(brackets).size(); });
    // Kubernetes-style streams and docker-compose anchors, merges and multi-line scalars.
    const QString doc = QStringLiteral(
        "---\napiVersion: apps/v1\nkind: Deployment\nmetadata:\n  name: web-%1\n  labels: &labels\n"
        "    app: web\n    tier: front\nspec:\n  selector:\n    matchLabels: *labels\n  template:\n"
        "    metadata:\n      labels:\n        <<: *labels\n        extra: \"yes\"\n    spec:\n"
        "      containers:\n        - name: app\n          image: !!str registry/app:%1\n"
        "          args: [\"--port\", \"80\",\n                 \"--verbose\"]\n"
        "          description: a plain value that goes on\n            over a second line\n");
    QString stream;
    for (int k = 0; stream.size() < 10000000; ++k)
        stream += doc.arg(k);
    const qsizetype streamBytes = stream.toUtf8().size();
    report("YAML validate 10 MB stream, anchors", streamBytes, [&] {
        if (!YAMLPlugin::validate(stream).isEmpty())
            std::puts("unexpected diagnostic");
    });
    report("YAML preview 10 MB stream, anchors", streamBytes, [&] { len += YAMLPlugin::previewHTML(stream).size(); });
    std::printf("(output sizes %lld)\n", (long long)len);
}

void benchTOML()
{
    const QString unit = QStringLiteral("[server%1]\nhost = \"example.org\" # main\nport = 8080\nratio = 0.75\n"
                                        "when = 2026-11-11T08:00:00Z\ntags = [\"a\", \"b\",\n  \"c\"]\n"
                                        "inline = { x = 1, y = '2' }\ntext = \"\"\"\n多行\n\"\"\"\n\n");
    QString text;
    for (int k = 0; text.size() < 10000000; ++k)
        text += unit.arg(k);
    const qsizetype bytes = text.toUtf8().size();
    report("TOML validate 10 MB", bytes, [&] {
        if (!TOMLPlugin::validate(text).isEmpty())
            std::puts("unexpected diagnostic");
    });
    // Lock-file style: arrays of tables with sub-tables, dotted keys, multi-line arrays of inline tables.
    const QString lock = QStringLiteral(
        "[[package]]\nname = \"crate-%1\"\nversion = \"1.%1.0\"\nsource.registry = \"crates-io\"\n"
        "source.checksum = \"9f2c3c0e1d4b5a6978%1\"\ndependencies = [\n  { name = \"a\", version = \"0.1\" },\n"
        "  { name = \"b\", features = [\"std\", \"derive\"] },\n]\n[package.metadata]\n"
        "released = 2026-11-11 08:00:00.5+08:00\nsize = 1_234_567\nratio = 6.25e-1\n\n");
    QString locks;
    for (int k = 0; locks.size() < 10000000; ++k)
        locks += lock.arg(k);
    report("TOML validate 10 MB lock file", locks.toUtf8().size(), [&] {
        if (!TOMLPlugin::validate(locks).isEmpty())
            std::puts("unexpected diagnostic");
    });
    const QString longLine = QStringLiteral("k = \"") + QString(5'000'000, QLatin1Char('x'))
        + QStringLiteral("\" # c\n");
    report("TOML one 5 MB string line", longLine.size(), [&] { TOMLPlugin::validate(longLine); });
    const QString longHeader = QStringLiteral("[a") + QString(5'000'000, QLatin1Char(' ')) + QStringLiteral("b\n");
    report("TOML one 5 MB header line", longHeader.size(), [&] { TOMLPlugin::validate(longHeader); });
}

void benchCSV()
{
    QString text = QStringLiteral("id,名称,数量,备注,比例\n");
    for (int k = 1; k <= 100000; ++k)
        text += QStringLiteral("%1,项目 %1,\"1,234.5\",\"含 \"\"引号\"\" 的, 文本\",12%\n").arg(k);
    qsizetype len = 0;
    report("CSV preview 100 000 rows", text.toUtf8().size(), [&] { len += CSVPlugin::previewHTML(text).size(); });
    const QString field = QStringLiteral("h\n\"") + QString(5'000'000, QLatin1Char('1')) + QStringLiteral("\"\"x\"\n");
    report("CSV one 5 MB quoted field", field.size(), [&] { len += CSVPlugin::previewHTML(field).size(); });
    const QString digits = QStringLiteral("h\n") + QString(5'000'000, QLatin1Char('1')) + QStringLiteral("x\n");
    report("CSV one 5 MB digit field", digits.size(), [&] { len += CSVPlugin::previewHTML(digits).size(); });
    // A short file with an 8 000-column header once rendered 145 MB of padded table.
    QString wide = QString(7999, QLatin1Char(',')) + QLatin1Char('\n');
    while (wide.size() < 51'000)
        wide += QStringLiteral("a,b,c\n");
    qsizetype wideOut = 0;
    report("CSV 51 KB, 8 000-column header", wide.size(), [&] { wideOut = CSVPlugin::previewHTML(wide).size(); });
    std::printf("  -> %lld characters of HTML\n", (long long)wideOut);
    QString tsv;
    while (tsv.size() < 50'000'000)
        tsv += QStringLiteral("名称, 说明\t数量;单位\t1,234.5\n");
    report("TSV preview 50 MB", tsv.toUtf8().size(), [&] { len += CSVPlugin::previewTSV(tsv).size(); });
    std::printf("(output sizes %lld)\n", (long long)len);
}

}

// With arguments, only the named formats run: bench_formats yaml toml
int main(int argc, char** argv)
{
    auto wanted = [&](const char* name) {
        if (argc < 2)
            return true;
        for (int k = 1; k < argc; ++k)
            if (std::strcmp(argv[k], name) == 0)
                return true;
        return false;
    };
    if (wanted("csv"))
        benchCSV();
    if (wanted("toml"))
        benchTOML();
    if (wanted("json"))
        benchJSON();
    if (wanted("yaml"))
        benchYAML();
    return 0;
}
