#include "text/LineEnding.h"
#include "text/TextEncoding.h"

#include <QDir>
#include <QFile>
#include <cstdio>
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

// What encode gives back for a clean decode of `in`: the same bytes, with the
// mark in front when the encoding has one and `in` lacked it.
QByteArray expectedSave(TextEncoding e, const QByteArray& in)
{
    const QByteArray mark = e.byteOrderMark();
    return mark.isEmpty() || in.startsWith(mark) ? in : mark + in;
}

struct Sample {
    QString name;
    QString text;
};

QList<Sample> corpus(const QString& language)
{
    QDir dir(QStringLiteral(LORVANE_CODEC_CORPUS "/") + language);
    QList<Sample> out;
    for (const QString& f : dir.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name)) {
        QFile file(dir.filePath(f));
        if (file.open(QIODevice::ReadOnly))
            out.append({language + '/' + f, QString::fromUtf8(file.readAll())});
    }
    return out;
}

struct Tally {
    int total = 0;
    int detected = 0;  // opened with the right text
    int offered = 0;   // opened repaired, the right encoding offered
    QStringList wrong;
};

Tally run(const QString& language, TextEncoding encoding, bool dropMark = false)
{
    Tally t;
    for (const Sample& s : corpus(language)) {
        auto data = encoding.encode(s.text);
        EXPECT_TRUE(data) << s.name.toStdString() << " cannot be written as " << encoding.rawValue().toStdString();
        if (!data)
            continue;
        if (dropMark)
            data = data->mid(encoding.byteOrderMark().size());
        ++t.total;
        const auto d = TextEncoding::detect(*data);
        // Whatever was chosen, an untouched save writes the same bytes.
        if (!d.repaired) {
            EXPECT_EQ(d.encoding.encode(d.text), data) << s.name.toStdString();
        }
        if (d.text == s.text)
            ++t.detected;
        else if (d.likely && d.likely->decode(*data) == s.text)
            ++t.offered;
        else
            t.wrong << s.name + QStringLiteral(" as ") + d.encoding.rawValue();
    }
    std::printf("  %-18s %-8s %2d/%2d detected, %2d offered\n", qPrintable(encoding.rawValue()), qPrintable(language),
                t.detected, t.total, t.offered);
    return t;
}

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
    // One- and two-byte sequences are the exhaustive test's below.
    EXPECT_FALSE(TextEncoding(TextEncoding::utf8).decode(bytes({0xED, 0xA0, 0x80})));  // surrogate
    EXPECT_FALSE(TextEncoding(TextEncoding::utf8).decode(bytes({0xF4, 0x90, 0x80, 0x80})));
    EXPECT_FALSE(TextEncoding(TextEncoding::utf16LE).decode(bytes({0x00, 0xD8, 0x41, 0x00})));  // lone high
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

TEST(TextEncodingDetection, RealTextInEachLegacyEncodingIsReadAsWritten)
{
    struct Case {
        const char* language;
        TextEncoding encoding;
    };
    const Case cases[] = {
        {"zh-hans", TextEncoding::gb18030},
        {"zh-hans", TextEncoding::gbk},  // read as GB18030, its superset
        {"zh-hant", TextEncoding::big5},
        {"ja", TextEncoding::shiftJIS},
    };
    for (const Case& c : cases) {
        const Tally t = run(QString::fromLatin1(c.language), c.encoding);
        EXPECT_GE(t.total, 20);
        EXPECT_EQ(t.detected, t.total) << t.wrong.join(", ").toStdString();
    }
}

TEST(TextEncodingDetection, LatinTextIsReadOrOfferedAsLatin1)
{
    for (const char* language : {"fr", "de"}) {
        const Tally t = run(QString::fromLatin1(language), TextEncoding::latin1);
        EXPECT_GE(t.total, 20);
        // Short texts that a CJK encoding also reads are told apart by the
        // detector; the others open repaired with Latin-1 offered.
        EXPECT_EQ(t.detected + t.offered, t.total) << t.wrong.join(", ").toStdString();
        EXPECT_GT(t.detected, 0);
    }
}

TEST(TextEncodingDetection, UTF16WithoutAMarkIsOffered)
{
    for (TextEncoding e : {TextEncoding(TextEncoding::utf16LE), TextEncoding(TextEncoding::utf16BE)}) {
        for (const char* language : {"zh-hans", "ja", "fr"}) {
            const Tally t = run(QString::fromLatin1(language), e, true);
            EXPECT_EQ(t.offered, t.total) << t.wrong.join(", ").toStdString();
        }
    }
    // Plain ASCII in UTF-16 is valid UTF-8 full of NULs.
    const QByteArray ascii("h\0e\0l\0l\0o\0\n\0", 12);
    const auto d = TextEncoding::detect(ascii);
    EXPECT_EQ(d.encoding, TextEncoding::utf8);
    EXPECT_FALSE(d.repaired);
    EXPECT_EQ(d.likely, TextEncoding(TextEncoding::utf16LE));
    EXPECT_FALSE(TextEncoding::detect(QByteArray("plain text\n")).likely);
}

TEST(TextEncodingDetection, TiesGoToGb18030AndCleanReadingsKeepTheirOrder)
{
    // Bytes that GB18030, Big5 and Shift_JIS all read; the detector has no
    // opinion on four bytes, so GB18030 keeps them as before.
    const QByteArray both("\xB0\xA1\xB0\xA2", 4);
    ASSERT_TRUE(TextEncoding(TextEncoding::big5).decode(both));
    const auto d = TextEncoding::detect(both);
    EXPECT_EQ(d.encoding, TextEncoding::gb18030);
    EXPECT_EQ(d.text, QStringLiteral("啊阿"));

    // Shift_JIS with a duplicate code is no longer read as Shift_JIS (it
    // would be saved differently) and is not passed off as another encoding.
    const QByteArray sjis = *TextEncoding(TextEncoding::shiftJIS).encode(QStringLiteral("ひらがなとカタカナ"))
        + QByteArray("\x87\x90", 2);
    const auto s = TextEncoding::detect(sjis);
    EXPECT_NE(s.encoding, TextEncoding::shiftJIS);
    if (!s.repaired) {
        EXPECT_EQ(s.encoding.encode(s.text), sjis);
    }
}
