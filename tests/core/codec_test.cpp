#include "text/LineEnding.h"
#include "text/TextEncoding.h"

#include <gtest/gtest.h>

namespace {

QByteArray bytes(std::initializer_list<int> b)
{
    QByteArray out;
    for (int c : b)
        out.append(char(c));
    return out;
}

const QString sample = QStringLiteral("中文 abc");

}

TEST(TextEncoding, RoundTripsNonAsciiTextInEveryEncoding)
{
    struct Case {
        TextEncoding enc;
        QString text;
    };
    const Case cases[] = {
        {TextEncoding::utf8, QStringLiteral("中文 abc 😀 é")},
        {TextEncoding::utf8BOM, QStringLiteral("中文 abc 😀")},
        {TextEncoding::gb18030, QStringLiteral("中文 abc 😀 €")},
        {TextEncoding::gbk, QStringLiteral("中文 abc，简体")},
        {TextEncoding::big5, QStringLiteral("中文 abc 繁體")},
        {TextEncoding::shiftJIS, QStringLiteral("日本語 abc カタカナ")},
        {TextEncoding::utf16LE, QStringLiteral("中文 abc 😀")},
        {TextEncoding::utf16BE, QStringLiteral("中文 abc 😀")},
        {TextEncoding::latin1, QStringLiteral("café ñ ß ÿ")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.enc.rawValue().toStdString());
        const auto encoded = c.enc.encode(c.text);
        ASSERT_TRUE(encoded.has_value());
        const auto decoded = c.enc.decode(*encoded);
        ASSERT_TRUE(decoded.has_value());
        EXPECT_EQ(*decoded, c.text);
    }
}

TEST(TextEncoding, LabelsRoundTripAndUnknownLabelsAreRejected)
{
    for (TextEncoding e : TextEncoding::allCases()) {
        const auto back = TextEncoding::fromRawValue(e.rawValue());
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(TextEncoding::Value(*back), TextEncoding::Value(e));
    }
    EXPECT_EQ(TextEncoding::allCases().size(), 9);
    EXPECT_EQ(TextEncoding(TextEncoding::utf8BOM).rawValue(), QStringLiteral("UTF-8 with BOM"));
    EXPECT_FALSE(TextEncoding::fromRawValue(QStringLiteral("utf-8")).has_value());
}

TEST(TextEncoding, DetectsRealWorldFiles)
{
    const auto gb = TextEncoding(TextEncoding::gb18030).encode(sample);
    ASSERT_TRUE(gb);
    EXPECT_FALSE(isValidUTF8(gb->constData(), gb->size()));
    EXPECT_TRUE(TextEncoding(TextEncoding::utf8BOM).encode(sample)->startsWith("\xEF\xBB\xBF"));
    for (TextEncoding e : {TextEncoding::gb18030, TextEncoding::utf8BOM, TextEncoding::utf16LE, TextEncoding::utf16BE,
                           TextEncoding::utf8}) {
        SCOPED_TRACE(e.rawValue().toStdString());
        const auto d = TextEncoding::detect(*e.encode(sample));
        EXPECT_EQ(d.text, sample);
        EXPECT_EQ(d.encoding, e);
    }
    const auto d = TextEncoding::detect(QByteArray());
    EXPECT_EQ(d.text, QString());
    EXPECT_EQ(d.encoding, TextEncoding::utf8);
}

TEST(TextEncoding, BrokenMarkFallsThroughToLaterSteps)
{
    // FF FE followed by an odd number of bytes is not UTF-16; the mark stays
    // in the data for the later candidates.
    const auto d = TextEncoding::detect(bytes({0xFF, 0xFE, 0x41}));
    EXPECT_NE(d.encoding, TextEncoding::utf16LE);
    EXPECT_NE(d.text, QStringLiteral("A"));
    // A UTF-8 mark before invalid UTF-8 is not UTF-8 with BOM.
    const auto e = TextEncoding::detect(bytes({0xEF, 0xBB, 0xBF, 0xC3}));
    EXPECT_NE(e.encoding, TextEncoding::utf8BOM);
}

TEST(TextEncoding, UndecodableBytesComeBackRepairedAsLatin1)
{
    // A truncated lead byte at the end fails every candidate.
    const QByteArray data = QByteArray("caf") + bytes({0xE9});
    const auto d = TextEncoding::detect(data);
    EXPECT_EQ(d.encoding, TextEncoding::latin1);
    EXPECT_EQ(d.text, QStringLiteral("caf") + QChar(0xFFFD));
}

TEST(TextEncoding, DecodingIsStrict)
{
    EXPECT_FALSE(TextEncoding(TextEncoding::utf8).decode(bytes({0x80})));
    EXPECT_FALSE(TextEncoding(TextEncoding::utf8).decode(bytes({0xC0, 0xAF})));        // overlong
    EXPECT_FALSE(TextEncoding(TextEncoding::utf8).decode(bytes({0xED, 0xA0, 0x80})));  // surrogate
    EXPECT_FALSE(TextEncoding(TextEncoding::utf8).decode(bytes({0xF4, 0x90, 0x80, 0x80})));
    EXPECT_FALSE(TextEncoding(TextEncoding::utf8).decode(bytes({0xE4, 0xB8})));  // truncated
    EXPECT_FALSE(TextEncoding(TextEncoding::gb18030).decode(bytes({0x81})));
    EXPECT_FALSE(TextEncoding(TextEncoding::big5).decode(bytes({0xA4})));
    EXPECT_FALSE(TextEncoding(TextEncoding::shiftJIS).decode(bytes({0x82})));
    EXPECT_FALSE(TextEncoding(TextEncoding::utf16LE).decode(bytes({0x41})));
    EXPECT_FALSE(TextEncoding(TextEncoding::utf16LE).decode(bytes({0x00, 0xD8, 0x41, 0x00})));  // lone high
    EXPECT_FALSE(TextEncoding(TextEncoding::utf16BE).decode(bytes({0xDC, 0x00})));              // lone low
    // Every byte is a Latin-1 character.
    EXPECT_EQ(TextEncoding(TextEncoding::latin1).decode(bytes({0xE9, 0x80})), QStringLiteral("é\u0080"));
}

TEST(TextEncoding, EncodingIsStrict)
{
    EXPECT_FALSE(TextEncoding(TextEncoding::latin1).encode(QStringLiteral("中")));
    EXPECT_FALSE(TextEncoding(TextEncoding::latin1).encode(QString(QChar(0xFFFD))));
    EXPECT_FALSE(TextEncoding(TextEncoding::gbk).encode(QStringLiteral("😀")));
    EXPECT_FALSE(TextEncoding(TextEncoding::shiftJIS).encode(QStringLiteral("한국어")));
    EXPECT_FALSE(TextEncoding(TextEncoding::big5).encode(QStringLiteral("😀")));
    EXPECT_FALSE(TextEncoding(TextEncoding::utf8).encode(QString(QChar(0xD800))));
    EXPECT_EQ(TextEncoding(TextEncoding::utf16LE).encode(QStringLiteral("A")), bytes({0xFF, 0xFE, 0x41, 0x00}));
    EXPECT_EQ(TextEncoding(TextEncoding::utf16BE).encode(QStringLiteral("A")), bytes({0xFE, 0xFF, 0x00, 0x41}));
}

TEST(TextEncoding, ByteOrderMarksBothWays)
{
    const QByteArray marked = QByteArray("\xEF\xBB\xBF") + "x";
    EXPECT_EQ(TextEncoding(TextEncoding::utf8).decode(marked), QString(QChar(0xFEFF)) + QLatin1Char('x'));
    EXPECT_EQ(TextEncoding(TextEncoding::utf8BOM).decode(marked), QStringLiteral("x"));
    EXPECT_EQ(TextEncoding(TextEncoding::utf8BOM).decode("plain"), QStringLiteral("plain"));
    EXPECT_EQ(TextEncoding(TextEncoding::utf8).encode(QStringLiteral("x")), QByteArray("x"));
    EXPECT_EQ(TextEncoding(TextEncoding::utf8BOM).encode(QStringLiteral("x")), marked);
    EXPECT_EQ(TextEncoding(TextEncoding::utf16LE).decode(bytes({0x41, 0x00})), QStringLiteral("A"));
    EXPECT_EQ(TextEncoding(TextEncoding::utf16BE).decode(bytes({0xFE, 0xFF, 0x00, 0x41})), QStringLiteral("A"));
}

TEST(LineEnding, DetectionAndNormalisation)
{
    EXPECT_EQ(LineEnding::detect(QStringLiteral("a\r\nb")), LineEnding::crlf);
    EXPECT_EQ(LineEnding::detect(QStringLiteral("a\rb")), LineEnding::cr);
    EXPECT_EQ(LineEnding::detect(QStringLiteral("a\nb\rc\r\nd")), LineEnding::crlf);
    EXPECT_EQ(LineEnding::detect(QString()), LineEnding::lf);
    EXPECT_EQ(LineEnding::normalize(QStringLiteral("a\r\nb\rc")), QStringLiteral("a\nb\nc"));
    EXPECT_EQ(LineEnding::normalize(QStringLiteral("\r\r\n")), QStringLiteral("\n\n"));
    EXPECT_EQ(LineEnding::fromRawValue(QStringLiteral("CRLF")), LineEnding::crlf);
    EXPECT_FALSE(LineEnding::fromRawValue(QStringLiteral("crlf")).has_value());
}
