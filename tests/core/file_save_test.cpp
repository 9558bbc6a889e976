#include "Workspace.h"

#include "core/FileIO.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

using KeepingFiles = WorkspaceTest;

namespace {

struct stat statOf(const QString& path)
{
    struct stat st {};
    ::lstat(QFile::encodeName(path).constData(), &st);
    return st;
}

QByteArray attribute(const QString& path, const char* name)
{
    char buffer[256];
    const ssize_t n = ::getxattr(QFile::encodeName(path).constData(), name, buffer, sizeof buffer);
    return n < 0 ? QByteArray() : QByteArray(buffer, int(n));
}

// An access ACL in the kernel's form: owner rw, user 4242 r, group r, mask r, others none.
QByteArray sampleAcl()
{
    struct Entry {
        quint16 tag, perm;
        quint32 id;
    };
    const Entry entries[] = {{0x01, 6, quint32(-1)},
                             {0x02, 4, 4242},
                             {0x04, 4, quint32(-1)},
                             {0x10, 4, quint32(-1)},
                             {0x20, 0, quint32(-1)}};
    QByteArray acl;
    const quint32 version = 2;
    acl.append(reinterpret_cast<const char*>(&version), 4);
    acl.append(reinterpret_cast<const char*>(entries), sizeof entries);
    return acl;
}

// Makes a directory refuse new files, also for root; false when the
// file system cannot.
bool lockDirectory(const QString& dir, bool locked)
{
    if (::geteuid() != 0)
        return ::chmod(QFile::encodeName(dir).constData(), locked ? 0555 : 0755) == 0;
    const int fd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = locked ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    ok = ok && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    ::close(fd);
    return ok;
}

}

TEST_F(KeepingFiles, HardAndSymbolicLinksStayWhatTheyAre)
{
    const QString path = file(QStringLiteral("a.txt"), "old");
    const QString other = files.path(QStringLiteral("b.txt"));
    ASSERT_EQ(::link(QFile::encodeName(path).constData(), QFile::encodeName(other).constData()), 0);
    const ino_t inode = statOf(path).st_ino;
    DocPtr d = model->open(path);
    d->setText(QStringLiteral("new through a"));
    saveNow(d);
    EXPECT_EQ(saveResult, true);
    EXPECT_EQ(TestDir::read(other), QByteArray("new through a"));
    EXPECT_EQ(statOf(path).st_ino, inode);
    EXPECT_EQ(statOf(path).st_nlink, 2u);
    // Shorter content leaves no tail of the old one.
    d->setText(QStringLiteral("n"));
    saveNow(d);
    EXPECT_EQ(TestDir::read(other), QByteArray("n"));
    EXPECT_FALSE(BackupStore::exists(d->id));

    // A symbolic link stays a link and its target is written.
    QDir(files.dir.path()).mkdir(QStringLiteral("real"));
    const QString target = file(QStringLiteral("real/t.md"), "old");
    const QString link = files.path(QStringLiteral("l.md"));
    ASSERT_EQ(::symlink("real/t.md", QFile::encodeName(link).constData()), 0);
    DocPtr linked = model->open(link);
    linked->setText(QStringLiteral("new"));
    saveNow(linked);
    EXPECT_EQ(saveResult, true);
    EXPECT_TRUE(S_ISLNK(statOf(link).st_mode));
    EXPECT_EQ(TestDir::read(target), QByteArray("new"));
    EXPECT_EQ(linked->url(), link);
    EXPECT_TRUE(unchangedOnDisk(linked));  // our own write is not another program's
}

TEST_F(KeepingFiles, AFileInADirectoryThatTakesNoNewFilesIsWrittenInPlaceAfterTheSnapshot)
{
    QDir(files.dir.path()).mkdir(QStringLiteral("locked"));
    const QString dir = files.path(QStringLiteral("locked"));
    const QString path = file(QStringLiteral("locked/f.txt"), "old content");
    DocPtr d = model->open(path);
    d->setText(QStringLiteral("new"));
    if (!lockDirectory(dir, true))
        GTEST_SKIP() << "this file system cannot lock a directory";
    // Directly: the snapshot step runs before the file is touched, and a
    // failing one stops the save.
    bool asked = false;
    auto error = FileIO::save(path, "refused", [&] {
        asked = true;
        EXPECT_EQ(TestDir::read(path), QByteArray("old content"));
        return false;
    });
    EXPECT_TRUE(asked);
    EXPECT_TRUE(error);
    EXPECT_EQ(TestDir::read(path), QByteArray("old content"));

    saveNow(d);
    lockDirectory(dir, false);
    EXPECT_EQ(saveResult, true);
    EXPECT_EQ(TestDir::read(path), QByteArray("new"));
    EXPECT_FALSE(d->isDirty());
    EXPECT_FALSE(BackupStore::exists(d->id));
    EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST_F(KeepingFiles, ReplacingKeepsModeOwnerAttributesAndAcl)
{
    const QString path = file(QStringLiteral("m.txt"), "old");
    const QByteArray p = QFile::encodeName(path);
    ASSERT_EQ(::setxattr(p.constData(), "user.origin", "shell", 5, 0), 0);
    const bool acl = ::setxattr(p.constData(), "system.posix_acl_access", sampleAcl().constData(),
                                size_t(sampleAcl().size()), 0)
        == 0;
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(p.constData(), 4242, 4343), 0);
    }
    ASSERT_EQ(::chmod(p.constData(), 02740), 0);
    const struct stat before = statOf(path);
    const QByteArray aclBefore = attribute(path, "system.posix_acl_access");
    ASSERT_EQ(FileIO::writeMode(path), FileIO::WriteMode::replace);

    DocPtr d = model->open(path);
    d->setText(QStringLiteral("new"));
    saveNow(d);
    EXPECT_EQ(saveResult, true);
    const struct stat after = statOf(path);
    EXPECT_NE(after.st_ino, before.st_ino);  // replaced, not rewritten
    EXPECT_EQ(TestDir::read(path), QByteArray("new"));
    EXPECT_EQ(after.st_mode & 07777, before.st_mode & 07777);
    EXPECT_EQ(attribute(path, "user.origin"), QByteArray("shell"));
    if (acl) {
        EXPECT_FALSE(aclBefore.isEmpty());
        EXPECT_EQ(attribute(path, "system.posix_acl_access"), aclBefore);
    }
    if (root) {
        EXPECT_EQ(after.st_uid, 4242u);
        EXPECT_EQ(after.st_gid, 4343u);
    }
    EXPECT_EQ(QDir(files.dir.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral("lorvane")).size(), 0);
}

TEST_F(KeepingFiles, AFullFileSystemFailsWithTheSystemsReasonAndKeepsTheOldFile)
{
    QDir(files.dir.path()).mkdir(QStringLiteral("small"));
    const QString dir = files.path(QStringLiteral("small"));
    if (::mount("tmpfs", QFile::encodeName(dir).constData(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a small file system here: " << std::strerror(errno);
    struct Unmount {
        QByteArray dir;
        ~Unmount() { ::umount2(dir.constData(), MNT_DETACH); }
    } unmount{QFile::encodeName(dir)};

    const QString path = file(QStringLiteral("small/f.txt"), "original");
    const QString linked = file(QStringLiteral("small/g.txt"), "linked original");
    ASSERT_EQ(::link(QFile::encodeName(linked).constData(), QFile::encodeName(dir + "/g2.txt").constData()), 0);
    const QString big(200 * 1024, QLatin1Char('x'));
    for (const QString& target : {path, linked}) {
        const QByteArray old = TestDir::read(target);
        DocPtr d = model->open(target);
        d->setText(big);
        saveNow(d);
        EXPECT_EQ(saveResult, false);
        ASSERT_TRUE(model->dialog());
        EXPECT_EQ(model->dialog()->title, QStringLiteral("保存失败"));
        EXPECT_TRUE(model->dialog()->message.endsWith(FileIO::reason(ENOSPC)))
            << model->dialog()->message.toStdString();
        model->chooseButton(QStringLiteral("好"));
        EXPECT_EQ(TestDir::read(target), old);
        EXPECT_TRUE(d->isDirty());
    }
    // No temporary file is left behind to fill the disk further.
    EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden).size(), 3);
}
