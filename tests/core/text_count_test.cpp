// 字数 counted as Word and Typora count it, on samples counted by hand.
#include "text/TextCount.h"
#include "text/UnitCounts.h"

#include <QString>
#include <gtest/gtest.h>

namespace {

TextCount::Counts count(const char* text) { return TextCount::of(QByteArrayView(text)); }

}

TEST(TextCount, HandCountedSamples)
{
    struct Case {
        const char* text;
        qsizetype words;       // counted by hand
        qsizetype characters;  // line breaks left out
    };
    const Case cases[] = {
        {"", 0, 0},
        {"中文", 2, 2},
        // 11 characters and two marks of full-width punctuation.
        {"今天天气很好，我们去公园。", 13, 13},
        {"Hello world", 2, 11},
        {"Hello, world!", 2, 13},
        {"我用Qt 6写了3个程序", 10, 12},  // 我 用 Qt 6 写 了 3 个 程 序
        {"don't stop e-mail 3.14", 4, 22},
        {"get_user_name()", 1, 15},
        {"他说：“你好。”", 8, 8},       // quotes count as characters here
        {"He said “hi” twice", 4, 18},  // and are no words here
        {"第一行\n第二行\r\n", 6, 6},
        {"  \t\n", 0, 3},
        {"ひらがなとカタカナ", 9, 9},
        {"한국어 문장", 2, 6},
        {"😀 emoji", 1, 8},
        {"Ｑｔ５", 1, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const TextCount::Counts n = count(c.text);
        EXPECT_EQ(n.words, c.words);
        EXPECT_EQ(n.characters, c.characters);
    }
}

TEST(TextCount, PiecesAddUpAtBlanks)
{
    // Counting a text in parts split at blanks gives the same sum: a worker
    // may count a huge text in slices.
    const QByteArray text =
        QStringLiteral("北京欢迎你。Lorvane 是一个编辑器，supports UTF-8 and 中文 text.\n").repeated(50).toUtf8();
    const TextCount::Counts whole = TextCount::of(text);
    TextCount::Counts parts;
    qsizetype from = 0;
    for (qsizetype at = text.indexOf(' ', 1000); from < text.size(); at = text.indexOf(' ', at + 1000)) {
        const qsizetype end = at < 0 ? text.size() : at;
        const TextCount::Counts n = TextCount::of(QByteArrayView(text).sliced(from, end - from));
        parts.words += n.words;
        parts.characters += n.characters;
        from = end;
    }
    EXPECT_EQ(parts, whole);
    // 北京欢迎你。 Lorvane 是一个编辑器， supports UTF-8 and 中文 text.
    EXPECT_EQ(whole.words, 50 * (6 + 1 + 7 + 1 + 1 + 1 + 2 + 1));
}

// Lengths across the encodings, checked against Qt's own conversions.
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
