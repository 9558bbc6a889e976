// Files that are not text (pictures, archives, programs) and files that are
// not files at all (pipes, devices) never become documents by accident.
#include "Workspace.h"
#include "core/FileIO.h"
#include "text/ContentKind.h"

#include <QFile>
#include <sys/stat.h>

namespace {

QByteArray utf16(const QString& s, bool bigEndian)
{
    QByteArray out;
    for (const QChar c : s) {
        const char hi = char(c.unicode() >> 8), lo = char(c.unicode() & 0xFF);
        out.append(bigEndian ? hi : lo).append(bigEndian ? lo : hi);
    }
    return out;
}

const QByteArray png = QByteArray::fromBase64(
    "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8BQDwAEhQGAhKmMIQAAAABJRU5ErkJggg==");

}

TEST(ContentSniff, PicturesArchivesAndProgramsAreNotTextButUTF16Is)
{
    // A UTF-16 text whose first block ends between the two halves of a character.
    QString longText(ContentSniff::headBytes / 2 - 1, u'a');
    longText += QStringLiteral("😀 以及更多文字");
    struct Case {
        const char* name;
        QByteArray head;
        ContentKind kind;
    };
    const Case cases[] = {
        {"png", png, ContentKind::image},
        {"jpeg", QByteArray("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00", 11), ContentKind::image},
        {"gif", QByteArray("GIF89a\x01\x00\x01\x00", 10), ContentKind::image},
        {"webp", QByteArray("RIFF\x24\x00\x00\x00WEBPVP8 ", 16), ContentKind::image},
        {"bmp", QByteArray("BM\x36\x00\x0c\x00\x00\x00\x00\x00\x36\x00", 12), ContentKind::image},
        {"tiff", QByteArray("MM\x00*\x00\x00\x00\x08", 8), ContentKind::image},
        {"wav", QByteArray("RIFF\x24\x00\x00\x00WAVEfmt \x10\x00\x00\x00", 20), ContentKind::binary},
        {"zip", QByteArray("PK\x03\x04\x14\x00\x00\x00", 8), ContentKind::binary},
        {"gzip", QByteArray("\x1F\x8B\x08\x00", 4), ContentKind::binary},
        {"pdf", QByteArray("%PDF-1.7\n%\xE2\xE3\xCF\xD3\n"), ContentKind::binary},
        {"elf",
         QByteArray("\x7F"
                    "ELF\x02\x01\x01\x00",
                    8),
         ContentKind::binary},
        {"nul in data", QByteArray("name=value\n\x00\x01\x02\x03 more", 20), ContentKind::binary},
        {"utf-8", QStringLiteral("第一行\nsecond line\n").toUtf8(), ContentKind::text},
        {"utf-8 mark", "\xEF\xBB\xBF" + QStringLiteral("标题").toUtf8(), ContentKind::text},
        {"words a bitmap starts with", QByteArray("BMW 和 GIF 都不是图片\n"), ContentKind::text},
        {"utf-16le mark", "\xFF\xFE" + utf16(QStringLiteral("Hello 世界\n"), false), ContentKind::text},
        {"utf-16be mark", "\xFE\xFF" + utf16(QStringLiteral("Hello 世界\n"), true), ContentKind::text},
        {"utf-16le", utf16(QStringLiteral("plain ASCII and 中文 without a mark\n"), false), ContentKind::text},
        {"utf-16be", utf16(QStringLiteral("plain ASCII and 中文 without a mark\n"), true), ContentKind::text},
        {"utf-16le cut inside a pair", utf16(longText, false), ContentKind::text},
        {"empty", QByteArray(), ContentKind::text},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(int(ContentSniff::kind(c.head)), int(c.kind));
    }
}

using NotTextFlow = WorkspaceTest;

// Every way a file comes in refuses a picture with a message saying so and
// opens nothing; the alert's 以文本打开 still opens it as before.
TEST_F(NotTextFlow, APictureIsRefusedOnEveryWayInUnlessAskedForAsText)
{
    const QString picture = file(QStringLiteral("photo.md"), png);
    QByteArray zip("PK\x03\x04\x14\x00\x00\x00", 8);
    zip.append(QByteArray(64, '\x01'));
    const QString archive = file(QStringLiteral("notes.txt"), zip);
    // Big enough to be read on the worker when opened with others.
    const QString big = file(QStringLiteral("big.log"), zip + QByteArray(AppModel::backgroundOpenBytes + 1, '\0'));
    const std::function<void(const QString&)> ways[] = {
        [&](const QString& p) { model->open(p); },
        [&](const QString& p) { model->openFiles({p}); },
        [&](const QString& p) {
            model->setRecent({p});
            model->openRecent(p);
        },
        [&](const QString& p) {
            chooser.toOpen = {p};
            model->openPanel();
        },
    };
    int way = 0;
    for (const auto& openBy : ways) {
        for (const auto& [path, message] : {std::pair{picture, QStringLiteral("无法以文本打开：这是图片")},
                                            std::pair{archive, QStringLiteral("无法以文本打开：这是二进制文件")},
                                            std::pair{big, QStringLiteral("无法以文本打开：这是二进制文件")}}) {
            SCOPED_TRACE(testing::Message() << "way " << way << " " << path.toStdString());
            openBy(path);
            EXPECT_TRUE(waitUntil([&] { return model->dialog().has_value() && model->filesLoading() == 0; }));
            EXPECT_TRUE(model->docs().isEmpty());
            ASSERT_TRUE(model->dialog());
            EXPECT_EQ(model->dialog()->message, message);
            EXPECT_EQ(buttonTitles(*model->dialog()),
                      QStringList({QStringLiteral("以文本打开"), QStringLiteral("好")}));
            ASSERT_TRUE(model->chooseButton(QStringLiteral("好")));
            EXPECT_TRUE(model->docs().isEmpty());
        }
        ++way;
    }
    EXPECT_EQ(TestDir::read(picture), png);

    // Asked for, it opens as text the way it always did.
    model->open(picture);
    ASSERT_TRUE(model->chooseButton(QStringLiteral("以文本打开")));
    ASSERT_EQ(model->docs().size(), 1);
    EXPECT_EQ(model->active()->url(), picture);
    EXPECT_FALSE(model->dialog());
}

// A pipe would block the first read for ever, a device never ends: neither
// is read, on any way in, and the message says why.
TEST_F(NotTextFlow, PipesAndDevicesAreNeverRead)
{
    const QString fifo = files.path(QStringLiteral("pipe.md"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString zero = files.path(QStringLiteral("zero.txt"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), zero));
    const QString random = files.path(QStringLiteral("random.json"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/urandom"), random));
    for (const QString& path : {fifo, zero, random}) {
        SCOPED_TRACE(path.toStdString());
        auto read = FileIO::read(path);
        ASSERT_FALSE(read);
        EXPECT_TRUE(read.error().startsWith(QStringLiteral("这不是普通文件"))) << read.error().toStdString();
        EXPECT_FALSE(Doc::read(path));
        for (bool background : {false, true}) {
            if (background)
                model->openFiles({path});
            else
                model->open(path);
            EXPECT_TRUE(waitUntil([&] { return model->dialog().has_value() && model->filesLoading() == 0; }));
            ASSERT_TRUE(model->dialog());
            EXPECT_TRUE(model->dialog()->message.contains(QStringLiteral("这不是普通文件")))
                << model->dialog()->message.toStdString();
            EXPECT_FALSE(buttonTitles(*model->dialog()).contains(QStringLiteral("以文本打开")));
            ASSERT_TRUE(model->chooseRole(Dialog::Role::primary));
            EXPECT_TRUE(model->docs().isEmpty());
        }
    }
}
