#include "plugins/PlantUMLRunner.h"

#include "plugins/FormatPlugin.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QThreadPool>

QStringList PlantUMLRunner::defaultJarCandidates()
{
    QStringList out;
    const QString support = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (!support.isEmpty())
        out << support + QStringLiteral("/Lorvane/plantuml.jar");
    out << QStringLiteral("/usr/share/plantuml/plantuml.jar");
    return out;
}

std::optional<PlantUMLRunner> PlantUMLRunner::locate(const QStringList& jarCandidates, const QString& java)
{
    QString jar;
    for (const QString& c : jarCandidates)
        if (QFileInfo(c).isFile()) {
            jar = c;
            break;
        }
    if (jar.isEmpty())
        return std::nullopt;
    const QString exe = java.isEmpty() ? QStandardPaths::findExecutable(QStringLiteral("java")) : java;
    if (exe.isEmpty() || !QFileInfo(exe).isExecutable())
        return std::nullopt;
    PlantUMLRunner r;
    r.java = exe;
    r.jar = jar;
    return r;
}

const std::optional<PlantUMLRunner>& PlantUMLRunner::shared()
{
    static const std::optional<PlantUMLRunner> once = locate(defaultJarCandidates());
    return once;
}

QStringList PlantUMLRunner::arguments() const
{
    return {QStringLiteral("-Djava.awt.headless=true"), QStringLiteral("-jar"), jar, QStringLiteral("-tsvg"),
            QStringLiteral("-pipe"), QStringLiteral("-charset"), QStringLiteral("UTF-8")};
}

ChildRun runChild(const QString& program, const QStringList& args, const QByteArray& input, int timeoutMs,
                  qsizetype outputCap)
{
    ChildRun run;
    QProcess p;
    p.setProcessChannelMode(QProcess::SeparateChannels);
    p.start(program, args);
    if (!p.waitForStarted(timeoutMs)) {
        run.startError = p.errorString();
        p.kill();
        p.waitForFinished(1000);
        return run;
    }
    run.started = true;
    // Large input is written while the output is being read, so a child
    // that answers before reading everything cannot wedge both sides.
    p.write(input);
    p.closeWriteChannel();
    QElapsedTimer clock;
    clock.start();
    // waitForFinished services stdin, stdout and stderr together.
    while (p.state() != QProcess::NotRunning) {
        const qint64 left = timeoutMs - clock.elapsed();
        if (left <= 0) {
            run.timedOut = true;
            break;
        }
        p.waitForFinished(int(std::min<qint64>(left, 200)));
        run.out += p.readAllStandardOutput();
        run.err += p.readAllStandardError();
        if (run.out.size() > outputCap || run.err.size() > outputCap) {
            run.overflow = true;
            break;
        }
    }
    if (p.state() != QProcess::NotRunning) {
        p.kill();
        p.waitForFinished(5000);
    }
    if (!run.overflow) {
        run.out += p.readAllStandardOutput();
        run.err += p.readAllStandardError();
    }
    return run;
}

namespace {

std::optional<QString> utf8(const QByteArray& bytes)
{
    QStringDecoder d(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString s = d.decode(bytes);
    if (d.hasError())
        return std::nullopt;
    return s;
}

}

QString PlantUMLRunner::render(const QString& text) const
{
    const ChildRun run = runChild(java, arguments(), text.toUtf8(), timeoutMs);
    if (!run.started)
        throw PluginError(QStringLiteral("无法启动 Java：") + run.startError);
    if (const auto out = utf8(run.out)) {
        const qsizetype at = out->indexOf(QLatin1String("<svg"));
        if (at >= 0 && !run.timedOut && !run.overflow)
            return out->mid(at);
    }
    QString error = utf8(run.err).value_or(QString()).trimmed();
    if (run.timedOut)
        error = QStringLiteral("超过 %1 秒未完成，已终止").arg(timeoutMs / 1000.0) + (error.isEmpty() ? QString() : u'\n' + error);
    else if (run.overflow)
        error = QStringLiteral("输出过大，已终止");
    if (error.isEmpty())
        error = QStringLiteral("未知错误");
    throw PluginError(QStringLiteral("PlantUML 渲染失败：") + error);
}

void PlantUMLRunner::renderAsync(const QString& text, QObject* context,
                                 std::function<void(const QString&, const QString&)> done) const
{
    const PlantUMLRunner self = *this;
    QPointer<QObject> target(context);
    QThreadPool::globalInstance()->start([self, text, target, done = std::move(done)] {
        QString svg, error;
        try {
            svg = self.render(text);
        } catch (const PluginError& e) {
            error = e.message;
        }
        if (!target)
            return;
        QMetaObject::invokeMethod(
            target.data(),
            [target, done, svg, error] {
                if (target)
                    done(svg, error);
            },
            Qt::QueuedConnection);
    });
}
