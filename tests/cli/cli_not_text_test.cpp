// --check on what is not a text file: reported at once, exit status 2, and
// never a hang on a pipe or an endless read of a device.
#include "CommandLineRun.h"

#include <sys/stat.h>

TEST_F(CommandLineTest, CheckRefusesPicturesPipesAndDevicesWithoutReadingThem)
{
    const QString fifo = dir.filePath(QStringLiteral("pipe.json"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString zero = dir.filePath(QStringLiteral("zero.json"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), zero));
    const QString png = write(QStringLiteral("photo.md"), QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16));
    const QString fine = write(QStringLiteral("fine.json"), "{\"a\": 1}\n");
    struct Case {
        QString path;
        QString said;
    };
    for (const Case& c : {Case{fifo, QStringLiteral("无法打开 pipe.json：这不是普通文件")},
                          Case{zero, QStringLiteral("无法打开 zero.json：这不是普通文件")},
                          Case{png, QStringLiteral("无法打开 photo.md：这是图片，不是文本")}}) {
        SCOPED_TRACE(c.path.toStdString());
        // The readable file after it is still checked.
        const Outcome r = run({QStringLiteral("--check"), c.path, fine});
        EXPECT_EQ(r.status, 2);
        EXPECT_TRUE(r.err.startsWith(c.said)) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    }
}
