#include "core/TextBaseline.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <unicode/normalizer2.h>

// Whether a text is in NFC, and its canonical equivalents, as ICU says, for
// texts mixing the characters the check skips (ASCII, CJK) with marks that
// compose with them or with each other, Hangul jamo, kana voicing marks and
// characters NFC replaces.
TEST(NFCRuns, TheBaselineAgreesWithICUOnMixedText)
{
    const char16_t pool[] = {u'a',   u'e',   u'A',   u' ',   u'\n',  u'中',  0x4E00, 0x9FFF, 0x4000,
                             0x3400, 0x0301, 0x0300, 0x0316, 0x0327, 0x3099, u'か',  0x1100, 0x1161,
                             0x11A8, 0xAC00, 0xFF0C, 0x00E9, 0x212B, 0x0958, 0x0F73, 0x302A, 0x0344};
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
    ASSERT_TRUE(U_SUCCESS(status));
    QRandomGenerator random(20261209);
    int notNFC = 0;
    for (int round = 0; round < 4000; ++round) {
        QString text;
        const int length = 1 + int(random.bounded(14));
        for (int i = 0; i < length; ++i)
            text += QChar(pool[random.bounded(int(std::size(pool)))]);
        const icu::UnicodeString u(reinterpret_cast<const UChar*>(text.utf16()), int32_t(text.size()));
        status = U_ZERO_ERROR;
        const bool expected = nfc->isNormalized(u, status);
        SCOPED_TRACE(text.toStdString());
        const TextBaseline b = TextBaseline::of(text);
        EXPECT_EQ(b.isNFC(), expected);
        EXPECT_TRUE(b.matches(text.normalized(QString::NormalizationForm_C)));
        EXPECT_TRUE(b.matches(text.normalized(QString::NormalizationForm_D)));
        notNFC += expected ? 0 : 1;
    }
    // The pool gives both kinds often.
    EXPECT_GT(notNFC, 400);
    EXPECT_LT(notNFC, 3600);
}
