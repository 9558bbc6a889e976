// File errors reach the user in Chinese: the system's reason for the common
// errno values, and what a special file in a file's place means.
#include "TestFiles.h"
#include "core/FileIO.h"

#include <QRegularExpression>
#include <QSet>
#include <cerrno>
#include <chrono>
#include <functional>
#include <future>
#include <gtest/gtest.h>
#include <sys/stat.h>

TEST(ErrorText, CommonSystemErrorsAreToldInChinese)
{
    const int common[] = {ENOENT, EACCES, EPERM, ENOSPC, EROFS, EISDIR, ENOTDIR, EEXIST, EMFILE, ENAMETOOLONG, EIO};
    static const QRegularExpression han(QStringLiteral("\\p{Han}"));
    static const QRegularExpression latin(QStringLiteral("[A-Za-z]"));
    QSet<QString> seen;
    for (const int err : common) {
        SCOPED_TRACE(err);
        const QString text = FileIO::reason(err);
        EXPECT_TRUE(text.contains(han)) << text.toStdString();
        EXPECT_FALSE(text.contains(latin)) << text.toStdString();
        seen.insert(text);
    }
    // Each tells its own case apart.
    EXPECT_EQ(seen.size(), qsizetype(std::size(common)));
    // A rare one still says something, with its number.
    EXPECT_TRUE(FileIO::reason(EXDEV).contains(QString::number(EXDEV)));
}

namespace {

std::optional<QString> readError(const QString& path)
{
    const auto r = FileIO::read(path);
    return r ? std::nullopt : std::optional(r.error());
}

}

TEST(ErrorText, ReadingAndWritingFailuresEndWithTheChineseReason)
{
    TestDir dir;
    const QString plain = dir.write(QStringLiteral("plain.txt"), "x");
    const QString longName = dir.path(QString(300, QLatin1Char('n')));
    const struct {
        const char* what;
        std::function<std::optional<QString>()> act;
        int err;
    } cases[] = {
        {"read below a file", [&] { return readError(plain + QStringLiteral("/x")); }, ENOTDIR},
        {"read a name too long", [&] { return readError(longName); }, ENAMETOOLONG},
        {"write below a file", [&] { return FileIO::writeAtomically(plain + QStringLiteral("/x"), "y"); }, ENOTDIR},
        {"write a name too long", [&] { return FileIO::writeAtomically(longName, "y"); }, ENAMETOOLONG},
        {"write into a missing folder", [&] { return FileIO::writeAtomically(dir.path("none/x.txt"), "y"); }, ENOENT},
        {"save a name too long", [&] { return FileIO::save(longName, "y"); }, ENAMETOOLONG},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::optional<QString> error = c.act();
        ASSERT_TRUE(error);
        EXPECT_TRUE(error->endsWith(QLatin1Char('\n') + FileIO::reason(c.err))) << error->toStdString();
    }
}

// Saving onto a pipe would wait for a reader forever; it is refused at once.
TEST(ErrorText, SavingOntoAPipeIsRefusedWithoutWaiting)
{
    TestDir dir;
    const QString pipe = dir.path(QStringLiteral("pipe.txt"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    auto saved = std::async(std::launch::async, [&] { return FileIO::save(pipe, "text"); });
    const bool finished = saved.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    EXPECT_TRUE(finished) << "blocked on the pipe";
    if (!finished) {
        // A reader coming and going lets the writer go.
        QFile reader(pipe);
        reader.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    const std::optional<QString> error = saved.get();
    ASSERT_TRUE(error);
    EXPECT_TRUE(error->contains(QStringLiteral("不是普通文件"))) << error->toStdString();
}
