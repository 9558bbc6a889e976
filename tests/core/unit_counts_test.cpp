// Lengths across the encodings, checked against Qt's own conversions.
#include "text/UnitCounts.h"

#include <QString>
#include <gtest/gtest.h>

// Every width class (one to four UTF-8 bytes, the edges of each), at lengths
// around the vector blocks and the points where the wide counters are flushed.
TEST(UnitCounts, BothDirectionsAgreeWithQtAcrossBlockBoundaries)
{
    const QString kinds[] = {QStringLiteral("a"),      QStringLiteral("é"),      QStringLiteral("中"),
                             QStringLiteral("😀"),      QStringLiteral("\uFFFF"), QStringLiteral("\u07FF"),
                             QStringLiteral("\u0800"), QStringLiteral("\u007F"), QStringLiteral("\u0080")};
    for (const qsizetype n : {0, 1, 7, 8, 9, 15, 16, 17, 2031, 2032, 2033, 65535, 65536, 65537, 200003}) {
        QString text;
        for (qsizetype i = 0; text.size() < n; ++i)
            text += kinds[(i * 5 + i / 3) % std::size(kinds)];
        SCOPED_TRACE(n);
        const QByteArray utf8 = text.toUtf8();
        EXPECT_EQ(UnitCounts::utf8Bytes(text), utf8.size());
        EXPECT_EQ(UnitCounts::utf16Units(utf8), text.size());
    }
    // Only wide characters, past every counter's flush.
    EXPECT_EQ(UnitCounts::utf8Bytes(QString(70000, QChar(0x4E2D))), 210000);
    EXPECT_EQ(UnitCounts::utf16Units(QString(70000, QChar(0x4E2D)).toUtf8()), 70000);
    const QString emoji = QStringLiteral("😀").repeated(40000);
    EXPECT_EQ(UnitCounts::utf16Units(emoji.toUtf8()), emoji.size());
    EXPECT_EQ(UnitCounts::utf8Bytes(emoji), 160000);
}
