#include "core/Doc.h"
#include "core/TextBaseline.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Files are read in pieces of this size: the cases put something across it.
constexpr qsizetype piece = FileIO::ContentHash::block;

struct OpenInPieces : ::testing::Test {
    QTemporaryDir dir;
    QString write(const QByteArray& bytes)
    {
        const QString path = dir.filePath(QStringLiteral("f%1.txt").arg(++count));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    // ASCII filler that puts `tail` so that it starts `before` bytes ahead
    // of the second piece's end (after a piece already passed on).
    static QByteArray across(const QByteArray& tail, qsizetype before)
    {
        QByteArray out;
        while (out.size() < 2 * piece - before)
            out += "lorvane ";
        out.truncate(2 * piece - before);
        return out + tail + "\nend\n";
    }
    // Reads and checks what every reading must give: the expected text,
    // its baseline, and the raw file's content hash.
    // `inPieces`: whether the text must have gone into the given destination
    // as it was read, rather than after a whole read.
    Doc::Loaded readExact(const QString& path, const QByteArray& raw, const QByteArray& text,
                          std::optional<TextEncoding> encoding = std::nullopt, bool inPieces = true)
    {
        const auto into = std::make_shared<ByteSink>();
        auto loaded = Doc::read(path, encoding, into);
        EXPECT_TRUE(loaded) << (loaded ? "" : loaded.error().toStdString());
        if (!loaded)
            return {};
        const QByteArray got = loaded.value().text->utf8();
        EXPECT_EQ(got.size(), text.size());
        EXPECT_TRUE(got == text) << "first difference at "
                                 << std::mismatch(got.begin(), got.end(), text.begin()).first - got.begin();
        EXPECT_TRUE(loaded.value().baseline == TextBaseline::ofUtf8(text));
        EXPECT_TRUE(loaded.value().baseline.sameBytes(text));
        EXPECT_EQ(loaded.value().stamp->contentHash, std::optional<quint64>(FileIO::contentHash(raw)));
        if (inPieces) {
            EXPECT_EQ(loaded.value().text, into);
        }
        return std::move(loaded.value());
    }
    int count = 0;
};

}

// UTF-8 is checked piece by piece, never converted: a mark is taken off and
// named, a character or a CRLF cut by a piece's end comes out whole.
TEST_F(OpenInPieces, Utf8IsByteExactAcrossPieceEnds)
{
    const QByteArray mark("\xEF\xBB\xBF");
    {
        const QByteArray text = across("第一行", 1);  // a three-byte character cut after its first byte
        const Doc::Loaded l = readExact(write(mark + text), mark + text, text);
        EXPECT_EQ(l.encoding, TextEncoding::utf8BOM);
    }
    {
        const QByteArray text = across("\xF0\x9F\x98\x80 emoji", 2);  // a four-byte one cut in its middle
        const Doc::Loaded l = readExact(write(text), text, text);
        EXPECT_EQ(l.encoding, TextEncoding::utf8);
        EXPECT_EQ(l.eol, LineEnding::lf);
        EXPECT_FALSE(l.likely);
    }
    {
        // A CR last in the first piece, its LF first in the next one.
        QByteArray raw = across("a\r\nb\r\nc", 2);
        raw.replace("\nend\n", "\r\nend\r\n");
        QByteArray text = raw;
        text.replace("\r\n", "\n");
        const Doc::Loaded l = readExact(write(raw), raw, text);
        EXPECT_EQ(l.eol, LineEnding::crlf);
    }
    {
        // Lone CRs stay line ends, also one last in a piece.
        const QByteArray raw = across("a\rb", 2) + "\r";
        QByteArray text = raw;
        text.replace('\r', '\n');
        EXPECT_EQ(readExact(write(raw), raw, text).eol, LineEnding::cr);
    }
    // Plain UTF-8 asked for keeps the mark as text.
    const QByteArray marked = mark + "x\n";
    EXPECT_EQ(readExact(write(marked), marked, marked, TextEncoding(TextEncoding::utf8)).encoding, TextEncoding::utf8);
    // An empty file is an empty text.
    EXPECT_EQ(readExact(write(QByteArray()), QByteArray(), QByteArray()).eol, LineEnding::lf);
}

// GB18030 asked for is decoded piece by piece with the converter's state
// kept: a character cut by a piece's end comes out whole, an invalid byte is
// an error, not a substitute.
TEST_F(OpenInPieces, LegacyEncodingsDecodeAcrossPieceEnds)
{
    const QString chinese = QStringLiteral("中文字 \U00020000 end");  // two- and four-byte sequences
    const QByteArray encoded = TextEncoding(TextEncoding::gb18030).encode(chinese).value();
    for (qsizetype before : {1, 2, 3}) {
        const QByteArray raw = across(encoded, before);
        const QByteArray text = TextEncoding(TextEncoding::gb18030).decode(raw)->toUtf8();
        const Doc::Loaded l = readExact(write(raw), raw, text, TextEncoding(TextEncoding::gb18030));
        EXPECT_EQ(l.encoding, TextEncoding::gb18030);
    }
    const QByteArray broken = across("\x81\x20", 1);
    auto failed = Doc::read(write(broken), TextEncoding(TextEncoding::gb18030));
    ASSERT_FALSE(failed);
    EXPECT_TRUE(failed.error().contains(QStringLiteral("无法按 GB18030 解码"))) << failed.error().toStdString();
}

// A file that turns out not to be UTF-8, even only in its last piece, reads
// as reading it whole would: the guessed encoding, every byte kept.
TEST_F(OpenInPieces, InvalidUtf8LateInTheFileIsReadAsAWhole)
{
    const QByteArray latin = across("caf\xE9 cr\xE8me", 0) + "na\xEFve\n";
    const auto whole = TextEncoding::detectUtf8(latin);
    const Doc::Loaded l = readExact(write(latin), latin, LineEnding::normalize(whole.utf8), std::nullopt, false);
    EXPECT_EQ(l.encoding, whole.encoding);
    EXPECT_NE(l.encoding, TextEncoding::utf8);
    // Asked for as UTF-8, the same file is an error.
    auto failed = Doc::read(write(latin), TextEncoding(TextEncoding::utf8));
    ASSERT_FALSE(failed);
    EXPECT_TRUE(failed.error().contains(QStringLiteral("无法按 UTF-8 解码")));
    // NULs near the start may be UTF-16 without a mark: that reading is
    // offered as it is when the file is read whole.
    const QByteArray utf16 = QByteArray("a\0b\0\n\0", 6);
    const auto guessed = TextEncoding::detectUtf8(utf16);
    EXPECT_EQ(readExact(write(utf16), utf16, guessed.utf8, std::nullopt, false).likely, guessed.likely);
}

// The baseline taken in pieces is the baseline of the whole text, also when
// a piece ends inside a sequence that NFC composes.
TEST_F(OpenInPieces, TheBaselineInPiecesKnowsCanonicalEquivalence)
{
    const QByteArray decomposed = across("cafe\xCC\x81 e\xCC\x81", 5);  // e + U+0301, cut between them
    const QByteArray composed = QString::fromUtf8(decomposed).normalized(QString::NormalizationForm_C).toUtf8();
    ASSERT_NE(composed, decomposed);
    const Doc::Loaded l = readExact(write(decomposed), decomposed, decomposed);
    EXPECT_FALSE(l.baseline.isNFC());
    EXPECT_TRUE(l.baseline.matchesUtf8(composed));
    EXPECT_FALSE(l.baseline.matchesUtf8(QByteArray(composed).replace("caf\xC3\xA9", "cafe")));
    for (qsizetype cut : {1, 2, 3, 7, 4096}) {
        TextBaseline::Builder b;
        for (qsizetype at = 0; at < decomposed.size(); at += cut)
            b.add(QByteArrayView(decomposed).sliced(at, std::min(cut, decomposed.size() - at)));
        const TextBaseline built = b.finish();
        EXPECT_TRUE(built == l.baseline) << cut;
        EXPECT_TRUE(built.matchesUtf8(composed)) << cut;
    }
}
