#include "core/Doc.h"
#include "core/TextBaseline.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(TextBaseline, MatchesExactAndCanonicallyEqualTextsOnly)
{
    const QString composed = QStringLiteral("caf\u00e9\n");
    const QString decomposed = QStringLiteral("cafe\u0301\n");
    const TextBaseline b = TextBaseline::of(composed);
    EXPECT_EQ(b.length(), composed.toUtf8().size());  // in UTF-8 bytes
    EXPECT_TRUE(b.matches(composed));
    EXPECT_TRUE(b.matches(decomposed));
    EXPECT_FALSE(b.matches(QStringLiteral("cafe\n")));
    EXPECT_FALSE(b.matches(QStringLiteral("cafè\n")));  // same length, other text
    const TextBaseline d = TextBaseline::of(decomposed);
    EXPECT_TRUE(d.matches(composed));
    EXPECT_TRUE(d.matches(decomposed));
    EXPECT_FALSE(d.matches(QStringLiteral("cafe\u0300\n")));
    // Equal means the same code units, not only equivalent ones.
    EXPECT_FALSE(b == d);
    EXPECT_TRUE(b == TextBaseline::of(composed));
    EXPECT_TRUE(TextBaseline().matches(QString()));
    EXPECT_FALSE(TextBaseline().matches(QStringLiteral(" ")));
    EXPECT_FALSE(TextBaseline::of(QString(QChar(u'\0'))).matches(QString()));
}

TEST(TextBaseline, LongTextsAreDigestedAsideAndKeepNoCopy)
{
    QString text = QStringLiteral("第一行 line\n").repeated(20000);
    const TextBaseline b = TextBaseline::of(text);
    EXPECT_TRUE(b.matches(text));
    QString edited = text;
    edited[text.size() / 2] = u'x';
    EXPECT_FALSE(b.matches(edited));
    EXPECT_FALSE(b.matches(text + u'x'));
    EXPECT_FALSE(text.data_ptr().isShared());
}

TEST(TextBaseline, AnOpenedDocumentHoldsItsTextOnce)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.txt"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("some line of text\n").repeated(10000));
    }
    Doc::setAnalysisEnabled(false);
    auto opened = Doc::open(path);
    Doc::setAnalysisEnabled(true);
    ASSERT_TRUE(opened);
    DocPtr d = opened.value();
    EXPECT_FALSE(d->isDirty());
    d->baseline().fingerprint();  // waits for the digests, which let their copy go
    EXPECT_FALSE(d->text().data_ptr().isShared());
    d->setText(d->text() + QStringLiteral("x"));
    EXPECT_TRUE(d->isDirty());
    d->setText(d->text().chopped(1));
    EXPECT_FALSE(d->isDirty());
}
