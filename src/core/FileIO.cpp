#include "core/FileIO.h"

#include "core/Blocks.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace FileIO {

namespace {

QString failure(const QString& summary, int err) { return summary + QLatin1Char('\n') + reason(err); }

QString writeFailure(const QString& path, int err)
{
    switch (err) {
    case EACCES:
    case EPERM:
    case EROFS: return failure(QStringLiteral("没有写入权限：%1").arg(path), err);
    case ENOSPC:
    case EDQUOT: return failure(QStringLiteral("磁盘空间或系统资源不足：%1").arg(path), err);
    default: return failure(QStringLiteral("无法写入文件：%1").arg(path), err);
    }
}

FileStamp stampOf(const struct stat& st)
{
    FileStamp s;
    s.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    s.ctimeNs = qint64(st.st_ctim.tv_sec) * 1000000000LL + st.st_ctim.tv_nsec;
    s.size = qint64(st.st_size);
    s.device = quint64(st.st_dev);
    s.inode = quint64(st.st_ino);
    return s;
}

// The file a path leads to, through any symbolic links; the path itself
// when it does not exist yet.
QByteArray resolved(const QByteArray& path)
{
    char buffer[PATH_MAX];
    if (::realpath(path.constData(), buffer))
        return QByteArray(buffer);
    return path;
}

QByteArray directoryOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    if (slash == 0)
        return QByteArrayLiteral("/");
    return path.left(slash);
}

int writeAll(int fd, const QByteArray& bytes, off_t offset)
{
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::pwrite(fd, p, size_t(std::min<qsizetype>(left, 1 << 30)), offset);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        p += n;
        left -= n;
        offset += n;
    }
    return 0;
}

// User attributes and the access ACL travel with the content; others
// (security labels, capabilities) belong to the system.
bool copiedAttribute(const char* name)
{
    return std::strncmp(name, "user.", 5) == 0 || std::strcmp(name, "system.posix_acl_access") == 0;
}

void copyAttributes(const QByteArray& from, int toFd)
{
    ssize_t size = ::listxattr(from.constData(), nullptr, 0);
    if (size <= 0)
        return;
    QByteArray names(size, '\0');
    size = ::listxattr(from.constData(), names.data(), size_t(names.size()));
    if (size <= 0)
        return;
    for (const char* name = names.constData(); name < names.constData() + size; name += std::strlen(name) + 1) {
        if (!copiedAttribute(name))
            continue;
        const ssize_t n = ::getxattr(from.constData(), name, nullptr, 0);
        if (n < 0)
            continue;
        QByteArray value(n, '\0');
        const ssize_t got = ::getxattr(from.constData(), name, value.data(), size_t(value.size()));
        if (got >= 0)
            ::fsetxattr(toFd, name, value.constData(), size_t(got), 0);
    }
}

// The replacement takes over what the old file was, as far as permitted.
void copyMetadata(const QByteArray& from, const struct stat& st, int toFd)
{
    // Owner first: changing it clears the set-id bits the mode restores.
    // Without the right to give the file away, the group at least.
    if (::fchown(toFd, st.st_uid, st.st_gid) != 0 && ::fchown(toFd, uid_t(-1), st.st_gid) != 0) {}
    ::fchmod(toFd, st.st_mode & 07777);
    copyAttributes(from, toFd);
}

QByteArray temporaryName(const QByteArray& target)
{
    const QByteArray dir = directoryOf(target);
    const QByteArray base = target.mid(dir.size() + (dir.endsWith('/') ? 0 : 1));
    return dir + (dir.endsWith('/') ? "" : "/") + '.' + base + ".lorvane-"
        + QByteArray::number(QRandomGenerator::global()->generate64(), 36);
}

enum class Outcome { done, failed, noTemporary };

struct Attempt {
    Outcome outcome = Outcome::done;
    int err = 0;
};

Attempt replace(const QByteArray& target, const QByteArray& bytes, FileStamp* written)
{
    struct stat st {};
    const bool existed = ::stat(target.constData(), &st) == 0;
    QByteArray temp;
    int fd = -1;
    for (int tries = 0; fd < 0 && tries < 16; ++tries) {
        temp = temporaryName(target);
        // A new file gets the usual permissions (umask, default ACL); a
        // replacement stays private until it carries the old file's.
        fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, existed ? 0600 : 0666);
        if (fd < 0 && errno != EEXIST) {
            const int err = errno;
            if (err == EACCES || err == EPERM || err == EROFS)
                return {Outcome::noTemporary, err};
            return {Outcome::failed, err};
        }
    }
    if (fd < 0)
        return {Outcome::failed, EEXIST};
    const auto fail = [&](int err) {
        ::close(fd);
        ::unlink(temp.constData());
        return Attempt{Outcome::failed, err};
    };
    if (const int err = writeAll(fd, bytes, 0))
        return fail(err);
    if (::fsync(fd) != 0 && errno != EINVAL)
        return fail(errno);
    if (existed)
        copyMetadata(target, st, fd);
    struct stat now {};
    if (::fstat(fd, &now) == 0 && written)
        *written = stampOf(now);
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(temp.constData());
        return {Outcome::failed, err};
    }
    if (::rename(temp.constData(), target.constData()) != 0) {
        const int err = errno;
        ::unlink(temp.constData());
        return {Outcome::failed, err};
    }
    // Renaming changes the file's change time: the stamp is the renamed
    // file's, as long as it is still ours.
    struct stat renamed {};
    if (written && ::stat(target.constData(), &renamed) == 0 && renamed.st_ino == now.st_ino
        && renamed.st_dev == now.st_dev)
        *written = stampOf(renamed);
    // The rename itself reaches the disk with the directory.
    const int dirFd = ::open(directoryOf(target).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return {};
}

Attempt rewrite(const QByteArray& target, const QByteArray& bytes, FileStamp* written)
{
    // Creates the target of a dangling symbolic link. Not blocking: a pipe
    // without a reader would hold the opening up.
    const int fd = ::open(target.constData(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd < 0)
        return {Outcome::failed, errno};
    const auto fail = [&](int err) {
        ::close(fd);
        return Attempt{Outcome::failed, err};
    };
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return fail(errno);
    // Room for the whole content first, so a full disk fails before the
    // old content is touched.
    if (S_ISREG(st.st_mode) && bytes.size() > st.st_size) {
        const int err = ::posix_fallocate(fd, 0, off_t(bytes.size()));
        if (err == ENOSPC || err == EDQUOT || err == EFBIG)
            return fail(err);
    }
    if (const int err = writeAll(fd, bytes, 0))
        return fail(err);
    if (S_ISREG(st.st_mode) && ::ftruncate(fd, off_t(bytes.size())) != 0)
        return fail(errno);
    if (::fsync(fd) != 0 && errno != EINVAL)
        return fail(errno);
    struct stat now {};
    if (::fstat(fd, &now) == 0 && written)
        *written = stampOf(now);
    if (::close(fd) != 0)
        return {Outcome::failed, errno};
    return {};
}

}

QString reason(int err)
{
    switch (err) {
    case ENOENT: return QStringLiteral("文件或文件夹不存在");
    case EACCES: return QStringLiteral("没有访问权限");
    case EPERM: return QStringLiteral("操作不被允许");
    case ENOSPC: return QStringLiteral("磁盘空间不足");
    case EDQUOT: return QStringLiteral("超出磁盘配额");
    case EROFS: return QStringLiteral("文件系统是只读的");
    case EISDIR: return QStringLiteral("这是一个文件夹");
    case ENOTDIR: return QStringLiteral("路径中有一项不是文件夹");
    case EEXIST: return QStringLiteral("文件已存在");
    case EMFILE:
    case ENFILE: return QStringLiteral("打开的文件过多");
    case ENAMETOOLONG: return QStringLiteral("文件名或路径过长");
    case EIO: return QStringLiteral("读写出错（磁盘或设备故障）");
    default:
        // Rare ones keep the system's wording; the number tells them apart.
        return QStringLiteral("%1（错误码 %2）").arg(QString::fromLocal8Bit(std::strerror(err))).arg(err);
    }
}

namespace {

QString readFailure(const QString& path, int err)
{
    if (err == EACCES || err == EPERM)
        return QStringLiteral("没有读取权限：%1\n%2").arg(path, reason(err));
    return QStringLiteral("无法读取文件：%1\n%2").arg(path, reason(err));
}

}

std::optional<QString> openForReading(QFile& f)
{
    const QString path = f.fileName();
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0)
        return errno == ENOENT ? QStringLiteral("文件不存在：%1").arg(path) : readFailure(path, errno);
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("这是一个文件夹，不是文件：%1").arg(path);
    const auto special = [&] { return QStringLiteral("这不是普通文件（管道、设备或套接字），不能读取：%1").arg(path); };
    if (!S_ISREG(st.st_mode))
        return special();
    // Not blocking, so a pipe put in the file's place since cannot hold the
    // opening up; what was opened is checked again.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return readFailure(path, errno);
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return special();
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!f.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return QStringLiteral("无法读取文件：%1\n%2").arg(path, f.errorString());
    }
    return std::nullopt;
}

ContentKind contentKind(const QString& path)
{
    QFile f(path);
    if (openForReading(f))
        return ContentKind::text;
    return ContentSniff::kind(f.read(ContentSniff::headBytes));
}

Result<QByteArray> read(const QString& path)
{
    QFile f(path);
    if (auto error = openForReading(f))
        return Result<QByteArray>::failure(*error);
    QByteArray data;
    const qint64 size = f.size();
    const auto broken = [&] { return Result<QByteArray>::failure(readFailure(path, errno)); };
    if (size > 0 && !f.isSequential()) {
        data.resize(size);
        qint64 got = 0;
        while (got < size) {
            const qint64 n = f.read(data.data() + got, size - got);
            if (n < 0)
                return broken();
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
        return broken();
    return data;
}

std::optional<QString> writeAtomically(const QString& path, const QByteArray& bytes)
{
    if (QFileInfo(path).isDir())
        return QStringLiteral("这是一个文件夹，不是文件：%1").arg(path);
    const QByteArray target = resolved(QFile::encodeName(path));
    const Attempt a = replace(target, bytes, nullptr);
    if (a.outcome == Outcome::done)
        return std::nullopt;
    return writeFailure(path, a.err);
}

WriteMode writeMode(const QString& path)
{
    const QByteArray p = QFile::encodeName(path);
    struct stat link {};
    if (::lstat(p.constData(), &link) != 0)
        return WriteMode::replace;
    if (S_ISLNK(link.st_mode))
        return WriteMode::inPlace;
    if (!S_ISREG(link.st_mode) || link.st_nlink > 1)
        return WriteMode::inPlace;
    // A replacement would belong to us; only root can hand it back.
    if (::geteuid() != 0 && link.st_uid != ::geteuid())
        return WriteMode::inPlace;
    if (::access(directoryOf(p).constData(), W_OK) != 0)
        return WriteMode::inPlace;
    return WriteMode::replace;
}

std::optional<QString> save(const QString& path, const QByteArray& bytes, const std::function<bool()>& beforeInPlace,
                            FileStamp* written)
{
    if (QFileInfo(path).isDir())
        return QStringLiteral("这是一个文件夹，不是文件：%1").arg(path);
    const QByteArray target = resolved(QFile::encodeName(path));
    // A pipe, a device or a socket takes no file.
    if (struct stat st{}; ::stat(target.constData(), &st) == 0 && !S_ISREG(st.st_mode))
        return QStringLiteral("这不是普通文件（管道、设备或套接字），不能写入：%1").arg(path);
    const auto inPlace = [&]() -> std::optional<QString> {
        if (beforeInPlace && !beforeInPlace())
            return QStringLiteral("无法先把内容写入备份，文件未作改动：%1").arg(path);
        const Attempt a = rewrite(target, bytes, written);
        if (a.outcome == Outcome::done)
            return std::nullopt;
        return writeFailure(path, a.err);
    };
    if (writeMode(path) == WriteMode::inPlace)
        return inPlace();
    const Attempt a = replace(target, bytes, written);
    if (a.outcome == Outcome::done)
        return std::nullopt;
    // The directory takes no new file, but the file itself may be writable.
    struct stat st {};
    if (a.outcome == Outcome::noTemporary && ::stat(target.constData(), &st) == 0)
        return inPlace();
    return writeFailure(path, a.err);
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

std::optional<FileStamp> stamp(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    return stampOf(st);
}

bool ambiguous(const FileStamp& stamp)
{
    // Generous: file systems keep times in ticks of up to a second or two.
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const qint64 nowNs = qint64(now.tv_sec) * 1000000000LL + now.tv_nsec;
    return nowNs - std::max(stamp.mtimeNs, stamp.ctimeNs) < 2500000000LL;
}

void ContentHash::add(QByteArrayView bytes)
{
    addInBlocks(partial_, block, bytes, [this](QByteArrayView b) { hash_ = qHash(b, hash_); });
}

quint64 ContentHash::result() const { return quint64(qHash(QByteArrayView(partial_), hash_)); }

quint64 contentHash(QByteArrayView bytes)
{
    ContentHash h;
    h.add(bytes);
    return h.result();
}

bool sameContent(const QString& path, const FileStamp& stamp)
{
    if (!stamp.contentHash)
        return true;
    const auto bytes = read(path);
    return bytes && contentHash(bytes.value()) == *stamp.contentHash;
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
