#include "core/FileMove.h"

#include "core/FileIO.h"

#include <QFile>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace FileMove {

namespace {

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

int renameat2NoReplace(const QByteArray& from, const QByteArray& to)
{
#ifdef SYS_renameat2
    return static_cast<int>(
        syscall(SYS_renameat2, AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE));
#else
    errno = ENOSYS;
    return -1;
#endif
}
}

bool sameFile(const QString& a, const QString& b)
{
    struct stat sa {
    }, sb{};
    if (::stat(QFile::encodeName(a).constData(), &sa) != 0)
        return false;
    if (::stat(QFile::encodeName(b).constData(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

std::optional<QString> renameNoReplace(const QString& from, const QString& to)
{
    const QByteArray f = QFile::encodeName(from);
    const QByteArray t = QFile::encodeName(to);
    if (renameat2NoReplace(f, t) == 0)
        return std::nullopt;
    int err = errno;
    if (err == EEXIST)
        return QStringLiteral("目标文件已存在：%1").arg(to);
    if (err == ENOSYS || err == EINVAL || err == ENOTSUP) {
        // Filesystems without renameat2: link() refuses existing targets atomically too.
        if (::link(f.constData(), t.constData()) == 0) {
            if (::unlink(f.constData()) != 0) {
                err = errno;
                ::unlink(t.constData());
                return QStringLiteral("无法重命名：%1").arg(FileIO::reason(err));
            }
            return std::nullopt;
        }
        err = errno;
        if (err == EEXIST)
            return QStringLiteral("目标文件已存在：%1").arg(to);
    }
    return QStringLiteral("无法重命名：%1").arg(FileIO::reason(err));
}

std::optional<QString> writeReplacing(const QString& oldPath, const QString& newPath, const QByteArray& bytes)
{
    const bool same = sameFile(oldPath, newPath);
    if (auto err = FileIO::writeAtomically(newPath, bytes))
        return err;
    if (same)
        return std::nullopt;
    if (::unlink(QFile::encodeName(oldPath).constData()) != 0 && errno != ENOENT)
        return QStringLiteral("已保存到新文件，但无法删除原文件：%1").arg(FileIO::reason(errno));
    return std::nullopt;
}

}
