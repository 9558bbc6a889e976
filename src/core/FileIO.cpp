#include "core/FileIO.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace FileIO {

namespace {
QString describe(QFileDevice::FileError e, const QString& path, bool writing)
{
    switch (e) {
    case QFileDevice::PermissionsError:
        return writing ? QStringLiteral("没有写入权限：%1").arg(path) : QStringLiteral("没有读取权限：%1").arg(path);
    case QFileDevice::ResourceError:
        return QStringLiteral("磁盘空间或系统资源不足：%1").arg(path);
    default:
        return writing ? QStringLiteral("无法写入文件：%1").arg(path) : QStringLiteral("无法读取文件：%1").arg(path);
    }
}
}

Result<QByteArray> read(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return Result<QByteArray>::failure(QStringLiteral("文件不存在：%1").arg(path));
    if (info.isDir())
        return Result<QByteArray>::failure(QStringLiteral("这是一个文件夹，不是文件：%1").arg(path));
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return Result<QByteArray>::failure(describe(f.error(), path, false));
    QByteArray data;
    const qint64 size = f.size();
    if (size > 0 && !f.isSequential()) {
        data.resize(size);
        qint64 got = 0;
        while (got < size) {
            const qint64 n = f.read(data.data() + got, size - got);
            if (n < 0)
                return Result<QByteArray>::failure(describe(f.error(), path, false));
            if (n == 0)
                break;
            got += n;
        }
        data.truncate(got);
        // The file may have grown since it was measured.
        data += f.readAll();
    } else {
        data = f.readAll();
    }
    if (f.error() != QFileDevice::NoError)
        return Result<QByteArray>::failure(describe(f.error(), path, false));
    return data;
}

std::optional<QString> writeAtomically(const QString& path, const QByteArray& bytes)
{
    if (QFileInfo(path).isDir())
        return QStringLiteral("这是一个文件夹，不是文件：%1").arg(path);
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return describe(f.error(), path, true);
    if (f.write(bytes) != bytes.size()) {
        const auto err = f.error();
        f.cancelWriting();
        return describe(err, path, true);
    }
    if (!f.commit())
        return describe(f.error(), path, true);
    return std::nullopt;
}

std::optional<QDateTime> modificationDate(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return std::nullopt;
    const QDateTime t = info.lastModified().toUTC();
    if (!t.isValid())
        return std::nullopt;
    return t;
}

QString abbreviateHome(const QString& path)
{
    const QString home = QDir::homePath();
    if (home.isEmpty() || home == QLatin1String("/"))
        return path;
    if (path == home)
        return QStringLiteral("~");
    if (path.startsWith(home + QLatin1Char('/')))
        return QLatin1Char('~') + path.mid(home.size());
    return path;
}

}
