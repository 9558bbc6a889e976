#include "TestFiles.h"
#include "core/Doc.h"

#include <gtest/gtest.h>

namespace {

DocPtr openFile(const QString& path, std::optional<TextEncoding> encoding = std::nullopt)
{
    Doc::setAnalysisEnabled(false);
    auto opened = Doc::open(path, encoding);
    Doc::setAnalysisEnabled(true);
    return opened ? opened.value() : nullptr;
}

}

// An opened file hands its bytes on as they are (a UTF-8 mark and carriage
// returns taken off), and writing it back gives the file again.
TEST(OpenBytes, FilesComeBackByteExactThroughTheUTF8Path)
{
    struct Case {
        const char* name;
        QByteArray bytes;
        TextEncoding encoding;
        LineEnding eol;
        QString text;
    };
    const QString chinese = QStringLiteral("第一行 café 😀\n第二行");
    const Case cases[] = {
        {"utf8.txt", chinese.toUtf8(), TextEncoding::utf8, LineEnding::lf, chinese},
        {"bom.txt", "\xEF\xBB\xBF" + chinese.toUtf8(), TextEncoding::utf8BOM, LineEnding::lf, chinese},
        {"crlf.txt", "a\r\nb\r\n\xE4\xB8\xAD\r\n", TextEncoding::utf8, LineEnding::crlf, QStringLiteral("a\nb\n中\n")},
        {"cr.txt", "a\rb\r", TextEncoding::utf8, LineEnding::cr, QStringLiteral("a\nb\n")},
        {"gb.txt",
         *TextEncoding(TextEncoding::gb18030).encode(QStringLiteral("简体中文的文本，足够长以便识别。\r\n第二行")),
         TextEncoding::gb18030, LineEnding::crlf, QStringLiteral("简体中文的文本，足够长以便识别。\n第二行")},
        {"le.txt", *TextEncoding(TextEncoding::utf16LE).encode(QStringLiteral("UTF-16 文本\n")), TextEncoding::utf16LE,
         LineEnding::lf, QStringLiteral("UTF-16 文本\n")},
    };
    TestDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = dir.write(QString::fromLatin1(c.name), c.bytes);
        DocPtr d = openFile(file);
        ASSERT_TRUE(d);
        EXPECT_EQ(d->encoding(), c.encoding);
        EXPECT_EQ(d->eol(), c.eol);
        // Held as UTF-8 until someone asks for a QString.
        const TextCopy copy = d->textCopy();
        ASSERT_TRUE(copy.isUtf8());
        EXPECT_EQ(copy.utf8, c.text.toUtf8());
        EXPECT_FALSE(d->isDirty());
        const QString out = dir.path(QStringLiteral("out-") + QString::fromLatin1(c.name));
        EXPECT_FALSE(d->write(out).has_value());
        EXPECT_EQ(TestDir::read(out), c.bytes);
        EXPECT_EQ(d->text(), c.text);
        EXPECT_FALSE(d->isDirty());
    }
}

TEST(OpenBytes, InvalidUTF8IsReadAsTheDetectorReadsIt)
{
    TestDir dir;
    // A stray byte that no encoding takes: a repaired reading, as before.
    const QByteArray broken = QByteArray("ok \xE4\xB8 then \xFF\xFE\x01 end\n");
    const QString file = dir.write(QStringLiteral("broken.txt"), broken);
    DocPtr d = openFile(file);
    ASSERT_TRUE(d);
    const TextEncoding::Detection expected = TextEncoding::detect(broken);
    EXPECT_EQ(d->encoding(), expected.encoding);
    EXPECT_EQ(d->text(), expected.text);
    EXPECT_EQ(d->likelyEncoding(), expected.likely);
    // Asked for as UTF-8 it fails as a decoding, as it did.
    auto strict = Doc::open(file, TextEncoding::utf8);
    ASSERT_FALSE(strict);
    EXPECT_EQ(strict.error(), QStringLiteral("无法按 UTF-8 解码该文件"));
    // Latin-1 text is converted once and written back unchanged.
    const QByteArray latin = "caf\xE9 cr\xE8me br\xFBl\xE9"
                             "e\n";
    const QString latinFile = dir.write(QStringLiteral("latin.txt"), latin);
    DocPtr l = openFile(latinFile, TextEncoding::latin1);
    ASSERT_TRUE(l);
    EXPECT_EQ(l->encoding(), TextEncoding::latin1);
    EXPECT_EQ(l->text(), QStringLiteral("café crème brûlée\n"));
    EXPECT_EQ(l->encoded().value(), latin);
}

TEST(OpenBytes, AMarkKeptAsTextWhenPlainUTF8IsAskedFor)
{
    TestDir dir;
    const QByteArray bytes = "\xEF\xBB\xBFmarked\n";
    const QString file = dir.write(QStringLiteral("m.txt"), bytes);
    DocPtr asked = openFile(file, TextEncoding::utf8);
    ASSERT_TRUE(asked);
    EXPECT_EQ(asked->text(), QStringLiteral("\uFEFFmarked\n"));
    EXPECT_EQ(asked->encoded().value(), bytes);
    DocPtr withMark = openFile(file, TextEncoding::utf8BOM);
    ASSERT_TRUE(withMark);
    EXPECT_EQ(withMark->text(), QStringLiteral("marked\n"));
    EXPECT_EQ(withMark->encoded().value(), bytes);
}
