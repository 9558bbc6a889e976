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

// What encode gives back for a clean decode of `in`: the same bytes, with the
// mark in front when the encoding has one and `in` lacked it.
QByteArray expectedSave(TextEncoding e, const QByteArray& in)
{
    const QByteArray mark = e.byteOrderMark();
    return mark.isEmpty() || in.startsWith(mark) ? in : mark + in;
}

}

TEST(TextEncodingStrict, EveryOneAndTwoByteSequenceThatDecodesEncodesBackToTheSameBytes)
{
    for (TextEncoding e : TextEncoding::allCases()) {
        SCOPED_TRACE(e.rawValue().toStdString());
        int clean = 0;
        QStringList changed;
        auto check = [&](const QByteArray& in) {
            const auto text = e.decode(in);
            if (!text)
                return;
            ++clean;
            const auto out = e.encode(*text);
            if (!out || *out != expectedSave(e, in))
                changed << QString::fromLatin1(in.toHex());
        };
        for (int a = 0; a < 256; ++a) {
            check(QByteArray(1, char(a)));
            for (int b = 0; b < 256; ++b)
                check(bytes({a, b}));
        }
        EXPECT_TRUE(changed.isEmpty()) << changed.size()
                                       << " sequences change: " << changed.mid(0, 20).join(' ').toStdString();
        // Every encoding still reads a good part of the table.
        EXPECT_GT(clean, 18000);
    }
}

TEST(TextEncodingStrict, EveryFourByteGb18030SequenceEncodesBackToTheSameBytes)
{
    const TextEncoding gb = TextEncoding::gb18030;
    int clean = 0;
    for (int a = 0x81; a <= 0xFE; ++a)
        for (int b = 0x30; b <= 0x39; ++b)
            for (int c = 0x81; c <= 0xFE; ++c)
                for (int d = 0x30; d <= 0x39; ++d) {
                    const QByteArray in = bytes({a, b, c, d});
                    const auto text = gb.decode(in);
                    if (!text)
                        continue;
                    ++clean;
                    ASSERT_EQ(gb.encode(*text), in) << in.toHex().constData();
                }
    // The BMP beyond the two-byte codes plus all of U+10000..U+10FFFF.
    EXPECT_EQ(clean, 39420 + 0x100000);
}

TEST(TextEncodingStrict, DuplicateCodesAreRejectedWhileTheirCanonicalBytesRead)
{
    const TextEncoding sjis = TextEncoding::shiftJIS;
    const TextEncoding big5 = TextEncoding::big5;
    // NEC row 13 and IBM extension duplicates.
    EXPECT_FALSE(sjis.decode(bytes({0x87, 0x90})));
    EXPECT_FALSE(sjis.decode(bytes({0xED, 0x40})));
    EXPECT_EQ(sjis.decode(bytes({0x81, 0xE0})), QStringLiteral("≒"));
    EXPECT_EQ(sjis.encode(QStringLiteral("≒")), bytes({0x81, 0xE0}));
    // One duplicate in a long text makes the whole text fail.
    const QByteArray text = *sjis.encode(QStringLiteral("日本語のテキスト")) + bytes({0x87, 0x90});
    EXPECT_FALSE(sjis.decode(text));
    // Big5 box drawing and two hanzi exist twice.
    EXPECT_FALSE(big5.decode(bytes({0xA2, 0xCC})));
    EXPECT_FALSE(big5.decode(bytes({0xF9, 0xFA})));
    EXPECT_EQ(big5.decode(bytes({0xA4, 0x51})), QStringLiteral("十"));
    EXPECT_EQ(big5.decode(bytes({0xF9, 0xF9})), QStringLiteral("═"));
}

TEST(TextEncodingStrict, Big5AndGBKRejectBytesOutsideTheirStandards)
{
    const TextEncoding big5 = TextEncoding::big5;
    const TextEncoding gbk = TextEncoding::gbk;
    struct Case {
        TextEncoding enc;
        QByteArray in;
    };
    const Case undefined[] = {
        {big5, bytes({0x80})},  // lone high bytes
        {big5, bytes({0xFF})},       {big5, bytes({0x41, 0x80, 0x42})},
        {big5, bytes({0xFA, 0x40})},  // user-defined areas
        {big5, bytes({0xFE, 0xFE})}, {big5, bytes({0x81, 0x40})},
        {big5, bytes({0x8E, 0x40})}, {big5, bytes({0xC6, 0xA1})},
        {gbk, bytes({0x80})},                                     // the euro of code page 936
        {gbk, bytes({0xFF})},        {gbk, bytes({0xAA, 0xA1})},  // user-defined areas
        {gbk, bytes({0xF8, 0xA1})},  {gbk, bytes({0xA1, 0x40})},
    };
    for (const Case& c : undefined) {
        SCOPED_TRACE((c.enc.rawValue() + ' ' + QString::fromLatin1(c.in.toHex())).toStdString());
        EXPECT_FALSE(c.enc.decode(c.in));
    }
    // Defined characters on both sides of those areas still read.
    EXPECT_EQ(big5.decode(bytes({0xA4, 0xA4, 0xA4, 0xE5})), QStringLiteral("中文"));
    EXPECT_EQ(big5.decode(bytes({0xF9, 0xD5})), QStringLiteral("龘"));
    EXPECT_EQ(gbk.decode(bytes({0xBA, 0xBA, 0xD7, 0xD6, 0x81, 0x40})), QStringLiteral("汉字丂"));

    // What decode refuses, encode does not produce either.
    EXPECT_FALSE(big5.encode(QString(QChar(0xE000))));
    EXPECT_FALSE(big5.encode(QString(QChar(0x80))));
    EXPECT_FALSE(gbk.encode(QString(QChar(0xE000))));
    EXPECT_FALSE(gbk.encode(QStringLiteral("5 €")));
    EXPECT_EQ(TextEncoding(TextEncoding::gb18030).encode(QStringLiteral("€")), bytes({0xA2, 0xE3}));
}

TEST(TextEncodingStrict, DetectionNeverReportsBinaryDataAsALegacyEncoding)
{
    // A PNG header whose checksum holds 0x80 and 0xFF: ICU's Big5 used to
    // read it as text.
    const QByteArray png = bytes({0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00,
                                  0x0D, 0x49, 0x48, 0x44, 0x52, 0x00, 0x00, 0x00, 0x10, 0x00, 0x00,
                                  0x00, 0x10, 0x08, 0x06, 0x00, 0x00, 0x00, 0x1F, 0x80, 0xFF, 0x61});
    ASSERT_TRUE(TextEncoding(TextEncoding::latin1).decode(png));
    const auto d = TextEncoding::detect(png);
    EXPECT_TRUE(d.repaired);
    EXPECT_EQ(d.encoding, TextEncoding::latin1);
    EXPECT_FALSE(d.likely);  // nothing worth offering for binary data
    EXPECT_FALSE(TextEncoding(TextEncoding::big5).decode(png));
    EXPECT_FALSE(TextEncoding(TextEncoding::gbk).decode(png));
}

TEST(TextEncodingStrict, AnUntouchedSaveOfAnyDetectedTwoByteFileKeepsEveryByte)
{
    // Covers the choice between readings too: whatever detection picks must
    // write the file back unchanged, or refuse to write it at all.
    int repaired = 0;
    for (int a = 0x80; a < 256; ++a) {
        for (int b = 0; b < 256; ++b) {
            const QByteArray in = bytes({a, b});
            const auto d = TextEncoding::detect(in);
            if (d.repaired) {
                ++repaired;
                EXPECT_FALSE(d.encoding.encode(d.text)) << in.toHex().constData();
                continue;
            }
            const auto out = d.encoding.encode(d.text);
            ASSERT_TRUE(out) << in.toHex().constData();
            ASSERT_EQ(*out, expectedSave(d.encoding, in))
                << in.toHex().constData() << " as " << d.encoding.rawValue().toStdString();
        }
    }
    EXPECT_GT(repaired, 0);
}
