#include "text/TextEncoding.h"

#include <QDir>
#include <QFile>
#include <cstdio>
#include <gtest/gtest.h>

namespace {

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

    // UTF-8 and the marks come first whatever the detector would say.
    const QString text = QStringLiteral("中文 abc");
    EXPECT_EQ(TextEncoding::detect(text.toUtf8()).encoding, TextEncoding::utf8);
    EXPECT_EQ(TextEncoding::detect(*TextEncoding(TextEncoding::utf16BE).encode(text)).encoding, TextEncoding::utf16BE);

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
