// What is not a text file: reported at once, exit status 2, and never a hang
// on a pipe or an endless read of a device.
#include "CommandLineRun.h"

#include <sys/stat.h>

TEST_F(CommandLineTest, PicturesProgramsFoldersPipesAndDevicesAreRefusedWithoutBeingRead)
{
    const QString fifo = dir.filePath(QStringLiteral("pipe.json"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString zero = dir.filePath(QStringLiteral("zero.json"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), zero));
    const QString png = write(QStringLiteral("photo.md"), QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16));
    const QString elf = write(QStringLiteral("program.md"),
                              QByteArray("\x7f"
                                         "ELF\x02\x01\x01",
                                         7)
                                  + QByteArray(4096, '\0'));
    const QString folder = dir.filePath(QStringLiteral("folder.json"));
    ASSERT_TRUE(QDir().mkdir(folder));
    const QString fine = write(QStringLiteral("fine.json"), "{\"a\": 1}\n");
    const QString check = QStringLiteral("--check");
    struct Case {
        QStringList args;  // for --check, the readable file after it is still checked
        QString said;
    };
    for (const Case& c :
         {Case{{check, fifo, fine}, QStringLiteral("无法打开 pipe.json：这不是普通文件")},
          Case{{check, zero, fine}, QStringLiteral("无法打开 zero.json：这不是普通文件")},
          Case{{check, png, fine}, QStringLiteral("无法打开 photo.md：这是图片，不是文本")},
          Case{{check, folder, fine}, QStringLiteral("无法打开 folder.json")},
          Case{{QStringLiteral("--export-html"), elf}, QStringLiteral("无法打开 program.md：这是二进制")}}) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const Outcome r = run(c.args);
        EXPECT_EQ(r.status, 2);
        EXPECT_TRUE(r.err.contains(c.said)) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    }
}
