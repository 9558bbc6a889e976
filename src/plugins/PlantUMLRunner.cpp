#include "plugins/PlantUMLRunner.h"

#include "plugins/FormatPlugin.h"

#include <QDeadlineTimer>
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
    if (java.isEmpty())
        return std::nullopt;
    for (const QString& jar : jars)
        if (QFileInfo(jar).isFile())
            return PlantUMLRunner{java, jar, timeoutMSecs};
    return std::nullopt;
}

const std::optional<PlantUMLRunner>& PlantUMLRunner::shared()
{
    static const std::optional<PlantUMLRunner> runner =
        locate(jarCandidates(), QStandardPaths::findExecutable(QStringLiteral("java")));
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

}

QString PlantUMLRunner::render(const QString& text) const
{
    QProcess process;
    process.setProgram(java);
    process.setArguments({QStringLiteral("-Djava.awt.headless=true"), QStringLiteral("-jar"), jar, QStringLiteral("-tsvg"),
                          QStringLiteral("-pipe"), QStringLiteral("-charset"), QStringLiteral("UTF-8")});
    process.start(QIODevice::ReadWrite);
    if (!process.waitForStarted(timeout))
        throw PluginError(QStringLiteral("无法启动 PlantUML：") + process.errorString());
    process.write(text.toUtf8());
    process.closeWriteChannel();

    // Both pipes are drained as data comes, so a chatty child never blocks
    // on a full pipe while we wait for it.
    QByteArray out, err;
    const QDeadlineTimer deadline(timeout);
    bool timedOut = false;
    while (process.state() != QProcess::NotRunning) {
        if (deadline.hasExpired()) {
            timedOut = true;
            process.kill();
            process.waitForFinished(2000);
            break;
        }
        process.waitForReadyRead(int(std::min<qint64>(deadline.remainingTime(), 200)));
        out += process.readAllStandardOutput();
        err += process.readAllStandardError();
    }
    out += process.readAllStandardOutput();
    err += process.readAllStandardError();

    if (const auto svg = strictUTF8(out)) {
        const qsizetype at = svg->indexOf(QLatin1String("<svg"));
        if (at >= 0 && !timedOut)
            return svg->mid(at);
    }
    QString message = strictUTF8(err).value_or(QString()).trimmed();
    if (timedOut)
        message = QStringLiteral("超过 %1 秒未完成，已停止").arg(timeout / 1000.0) + (message.isEmpty() ? QString() : QStringLiteral("；") + message);
    if (message.isEmpty())
        message = QStringLiteral("未知错误");
    throw PluginError(QStringLiteral("PlantUML 渲染失败：") + message);
}
