#include "plugins/PlantUMLRunner.h"

#include "plugins/FormatPlugin.h"
#include "plugins/Regex.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStringDecoder>

QStringList PlantUMLRunner::jarCandidates()
{
    QStringList out;
    const QString support = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (!support.isEmpty())
        out << support + QStringLiteral("/Lorvane/plantuml.jar");
    out << QStringLiteral("/usr/share/plantuml/plantuml.jar");
    return out;
}

std::optional<PlantUMLRunner> PlantUMLRunner::locate(const QStringList& jars, const QString& java)
{
    return locate(jars, java, QStandardPaths::findExecutable(QStringLiteral("bwrap")));
}

std::optional<PlantUMLRunner> PlantUMLRunner::locate(const QStringList& jars, const QString& java, const QString& bwrap)
{
    if (java.isEmpty())
        return std::nullopt;
    for (const QString& jar : jars)
        if (QFileInfo(jar).isFile()) {
            PlantUMLRunner runner;
            runner.java = java;
            runner.jar = jar;
            runner.bwrap = bwrap;
            runner.sandboxProblem = probeSandbox(runner);
            return runner;
        }
    return std::nullopt;
}

const std::optional<PlantUMLRunner>& PlantUMLRunner::shared()
{
    static const std::optional<PlantUMLRunner> runner = locate(jarCandidates(),
                                                               QStandardPaths::findExecutable(QStringLiteral("java")));
    return runner;
}

namespace {

std::optional<QString> strictUTF8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

// A top-level entry like /lib is a symlink into /usr on merged systems and a
// real folder elsewhere; the sandbox mirrors whichever it is.
void mirrorTopLevel(QStringList& args, const QString& path)
{
    const QFileInfo info(path);
    if (info.isSymLink())
        args << QStringLiteral("--symlink") << info.symLinkTarget().mid(1) << path;
    else if (info.isDir())
        args << QStringLiteral("--ro-bind") << path << path;
}

void bindFile(QStringList& args, const QString& path)
{
    const QString real = QFileInfo(path).canonicalFilePath();
    if (real.isEmpty() || real.startsWith(QLatin1String("/usr/")))
        return;
    const QString dir = QFileInfo(real).absolutePath();
    args << QStringLiteral("--ro-bind") << dir << dir;
}

QString sandboxFailure(const QString& detail)
{
    return QStringLiteral("无法启动 PlantUML 的安全沙箱（bubblewrap）：") + detail;
}

}

// Tried once per runner: a sandbox that cannot start (no bwrap, user
// namespaces switched off) must not be found out one diagram at a time.
std::optional<QString> PlantUMLRunner::probeSandbox(const PlantUMLRunner& runner)
{
    if (runner.bwrap.isEmpty())
        return sandboxFailure(QStringLiteral("未安装 bwrap"));
    QProcess probe;
    QStringList args = runner.sandboxed(QStringLiteral("/usr/bin/true"), {});
    const QString program = args.takeFirst();
    probe.start(program, args);
    if (!probe.waitForStarted(5000))
        return sandboxFailure(probe.errorString());
    if (!probe.waitForFinished(10000)) {
        probe.kill();
        probe.waitForFinished(1000);
        return sandboxFailure(QStringLiteral("超时"));
    }
    if (probe.exitStatus() != QProcess::NormalExit || probe.exitCode() != 0) {
        const QString why = QString::fromUtf8(probe.readAllStandardError()).trimmed();
        return sandboxFailure(why.isEmpty() ? QStringLiteral("退出码 %1").arg(probe.exitCode()) : why);
    }
    return std::nullopt;
}

QStringList PlantUMLRunner::sandboxed(const QString& program, const QStringList& args) const
{
    // Everything outside /usr is left out unless Java needs it; /tmp is
    // private and empty; no network namespace is shared.
    QStringList a{bwrap,
                  QStringLiteral("--unshare-all"),
                  QStringLiteral("--die-with-parent"),
                  QStringLiteral("--new-session"),
                  QStringLiteral("--clearenv"),
                  QStringLiteral("--setenv"),
                  QStringLiteral("PATH"),
                  QStringLiteral("/usr/bin:/bin"),
                  QStringLiteral("--setenv"),
                  QStringLiteral("HOME"),
                  QStringLiteral("/tmp"),
                  QStringLiteral("--setenv"),
                  QStringLiteral("XDG_CACHE_HOME"),
                  QStringLiteral("/tmp"),
                  QStringLiteral("--setenv"),
                  QStringLiteral("LANG"),
                  QStringLiteral("C.UTF-8"),
                  QStringLiteral("--ro-bind"),
                  QStringLiteral("/usr"),
                  QStringLiteral("/usr"),
                  QStringLiteral("--tmpfs"),
                  QStringLiteral("/tmp")};
    for (const char* top : {"/bin", "/sbin", "/lib", "/lib32", "/lib64", "/libx32"})
        mirrorTopLevel(a, QLatin1String(top));
    const QStringList etc = QDir(QStringLiteral("/etc"))
                                .entryList({QStringLiteral("java*")}, QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& name : etc)
        a << QStringLiteral("--ro-bind") << QStringLiteral("/etc/") + name << QStringLiteral("/etc/") + name;
    for (const char* path : {"/etc/alternatives", "/etc/fonts", "/etc/ld.so.cache", "/var/cache/fontconfig"})
        a << QStringLiteral("--ro-bind-try") << QLatin1String(path) << QLatin1String(path);
    bindFile(a, java);
    bindFile(a, jar);
    a << QStringLiteral("--proc") << QStringLiteral("/proc") << QStringLiteral("--dev") << QStringLiteral("/dev")
      << QStringLiteral("--chdir") << QStringLiteral("/tmp") << QStringLiteral("--") << program << args;
    return a;
}

QString PlantUMLRunner::firstMessage(const QString& errorOutput)
{
    // java.util.logging writes a date line ("Dec 07, 2026 7:31:02 PM class method"),
    // then "LEVEL: text"; neither is the renderer's own word.
    const QString logDate = QStringLiteral("^[A-Z][a-z]{2} \\d{1,2}, \\d{4} \\d{1,2}:\\d{2}:\\d{2}");
    const QString logLevel = QStringLiteral("^(SEVERE|WARNING|INFO|CONFIG|FINE|FINER|FINEST): ");
    const QString noise = QStringLiteral("^(at |\\.\\.\\.|Picked up |OpenJDK |Java HotSpot|ERROR$|\\d+$)");
    for (const QString& raw : errorOutput.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || Regex::reMatches(line, logDate) || Regex::reMatches(line, logLevel)
            || Regex::reMatches(line, noise))
            continue;
        QString message = line;
        if (const auto m = Regex::firstMatch(line,
                                             QStringLiteral("^Exception in thread \"[^\"]*\" ([\\w.$]+)(?:: (.*))?$")))
            message = (*m)[2].isEmpty() ? (*m)[1] : (*m)[2];
        return message.size() > 200 ? message.left(200) + QStringLiteral("…") : message;
    }
    return QString();
}

QString PlantUMLRunner::render(const QString& text) const
{
    if (sandboxProblem)
        throw PluginError(*sandboxProblem);
    QStringList command = sandboxed(
        QFileInfo(java).canonicalFilePath().isEmpty() ? java : QFileInfo(java).canonicalFilePath(),
        {QStringLiteral("-Djava.awt.headless=true"), QStringLiteral("-Duser.home=/tmp"), QStringLiteral("-jar"),
         QFileInfo(jar).canonicalFilePath(), QStringLiteral("-tsvg"), QStringLiteral("-pipe"),
         QStringLiteral("-charset"), QStringLiteral("UTF-8")});
    QProcess process;
    process.setProgram(command.takeFirst());
    process.setArguments(command);
    process.start(QIODevice::ReadWrite);
    if (!process.waitForStarted(timeout))
        throw PluginError(sandboxFailure(process.errorString()));
    process.write(text.toUtf8());
    process.closeWriteChannel();

    // Both pipes are drained as data comes, so a chatty child never blocks
    // on a full pipe while we wait for it.
    QByteArray out, err;
    const QDeadlineTimer deadline(timeout);
    bool timedOut = false;
    bool flooded = false;
    while (process.state() != QProcess::NotRunning) {
        if (deadline.hasExpired() || flooded) {
            timedOut = !flooded;
            process.kill();
            process.waitForFinished(2000);
            break;
        }
        process.waitForReadyRead(int(std::min<qint64>(deadline.remainingTime(), 200)));
        out += process.readAllStandardOutput();
        err += process.readAllStandardError();
        flooded = out.size() > outputLimit || err.size() > outputLimit;
    }
    if (flooded) {
        out.clear();
        err = err.left(4096);
    } else {
        out += process.readAllStandardOutput();
        err += process.readAllStandardError();
    }

    if (const auto svg = strictUTF8(out)) {
        const qsizetype at = svg->indexOf(QLatin1String("<svg"));
        if (at >= 0 && !timedOut)
            return svg->mid(at);
    }
    const QString errorOutput = strictUTF8(err).value_or(QString()).trimmed();
    if (errorOutput.startsWith(QLatin1String("bwrap:")))
        throw PluginError(sandboxFailure(errorOutput.section(QLatin1Char('\n'), 0, 0)));
    QString message = firstMessage(errorOutput);
    if (flooded)
        message = QStringLiteral("输出超过 %1 MB，已停止").arg(outputLimit >> 20);
    else if (timedOut)
        message = QStringLiteral("超过 %1 秒未完成，已停止").arg(timeout / 1000.0)
            + (message.isEmpty() ? QString() : QStringLiteral("；") + message);
    if (message.isEmpty())
        message = QStringLiteral("未知错误");
    throw PluginError(QStringLiteral("PlantUML 渲染失败：") + message);
}
