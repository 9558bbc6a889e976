#include "text/TextCount.h"

#include <QString>
#include <gtest/gtest.h>

// Every three-byte sequence with a three-byte lead: a well-formed one is
// one character, an overlong form or an encoded surrogate none, as Qt's
// own decoder tells them apart.
TEST(TextCountBytes, ThreeByteSequencesCountOnlyWhenWellFormed)
{
    int wellFormed = 0;
    for (int lead = 0xE0; lead <= 0xEF; ++lead)
        for (int b1 = 0x80; b1 <= 0xBF; ++b1)
            for (int b2 = 0x80; b2 <= 0xBF; ++b2) {
                const char bytes[] = {char(lead), char(b1), char(b2)};
                const QByteArrayView seq(bytes, 3);
                // After a letter: a leading byte order mark would be dropped.
                const QString decoded = QString::fromUtf8(QByteArray("a").append(seq)).mid(1);
                const bool valid = decoded.size() == 1
                    && (decoded[0] != QChar::ReplacementCharacter || seq == "\xEF\xBF\xBD");
                wellFormed += valid;
                const TextCount::Counts n = TextCount::of(seq);
                ASSERT_EQ(n.characters, valid ? 1 : 0) << std::hex << lead << ' ' << b1 << ' ' << b2;
                // Before a letter, the sequence never swallows it.
                const char withLetter[] = {char(lead), char(b1), char(b2), 'x'};
                ASSERT_EQ(TextCount::of(QByteArrayView(withLetter, 4)).characters, n.characters + 1);
            }
    EXPECT_EQ(wellFormed, 16 * 64 * 64 - 32 * 64 - 32 * 64);  // less overlongs (E0 80..9F) and surrogates (ED A0..BF)
}

// Decoded to the right character: each ideograph and kana is a word of its own.
TEST(TextCountBytes, EveryIdeographAndKanaIsOneWord)
{
    for (const auto& [first, last] :
         {std::pair{0x4E00, 0x9FFF}, std::pair{0x3041, 0x3096}, std::pair{0x30A1, 0x30FA}}) {
        QString text;
        for (char32_t c = char32_t(first); c <= char32_t(last); ++c)
            text += QChar(char16_t(c));
        const TextCount::Counts n = TextCount::of(text.toUtf8());
        EXPECT_EQ(n.words, last - first + 1) << std::hex << first;
        EXPECT_EQ(n.characters, last - first + 1) << std::hex << first;
    }
}
