#include "views/icons/Icons.h"
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <gtest/gtest.h>

TEST(Icons, MappedSymbolsRenderAndUnknownOnesAreNull)
{
    for (const char* s : {"magnifyingglass", "xmark", "plus", "eye", "gearshape", "chevron.down", "rectangle.split.2x1",
                          "exclamationmark.triangle", "arrow.left.arrow.right", "text.word.spacing",
                          "text.line.last.and.arrowtriangle.forward"}) {
        QIcon i = Icons::icon(QString::fromLatin1(s));
        ASSERT_FALSE(i.isNull()) << s;
        QImage img = i.pixmap(13, 13).toImage();
        int inked = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                inked += qAlpha(img.pixel(x, y)) > 0;
        EXPECT_GT(inked, 4) << s << " rendered blank";
    }
    EXPECT_TRUE(Icons::icon(QStringLiteral("no.such.symbol")).isNull());
}

// Every symbol of the map is embedded, so a moved or installed binary draws
// the same icons as the one in the build folder.
TEST(Icons, EveryMappedSymbolIsEmbedded)
{
    QFile map(QStringLiteral(LORVANE_ICON_MAP));
    ASSERT_TRUE(map.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(map.readAll());
    const QRegularExpression row(QStringLiteral("^ICON\\(\"([^\"]+)\", *\"([^\"]+)\"\\)"),
                                 QRegularExpression::MultilineOption);
    int rows = 0;
    for (auto it = row.globalMatch(text); it.hasNext(); ++rows) {
        const auto m = it.next();
        EXPECT_EQ(Icons::lucideName(m.captured(1)), m.captured(2));
        EXPECT_FALSE(Icons::icon(m.captured(1)).isNull()) << m.captured(1).toStdString();
    }
    EXPECT_GT(rows, 10);
}
