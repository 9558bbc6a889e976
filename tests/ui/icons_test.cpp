#include "views/icons/Icons.h"
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <gtest/gtest.h>

// Every symbol of the map is embedded and draws, so a moved or installed
// binary shows the same icons as the one in the build folder.
TEST(Icons, EveryMappedSymbolIsEmbeddedAndDrawnAndUnknownOnesAreNull)
{
    QFile map(QStringLiteral(LORVANE_ICON_MAP));
    ASSERT_TRUE(map.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(map.readAll());
    const QRegularExpression row(QStringLiteral("^ICON\\(\"([^\"]+)\", *\"([^\"]+)\"\\)"),
                                 QRegularExpression::MultilineOption);
    int rows = 0;
    for (auto it = row.globalMatch(text); it.hasNext(); ++rows) {
        const auto m = it.next();
        SCOPED_TRACE(m.captured(1).toStdString());
        EXPECT_EQ(Icons::lucideName(m.captured(1)), m.captured(2));
        const QIcon icon = Icons::icon(m.captured(1));
        ASSERT_FALSE(icon.isNull());
        const QImage img = icon.pixmap(13, 13).toImage();
        int inked = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                inked += qAlpha(img.pixel(x, y)) > 0;
        EXPECT_GT(inked, 4) << "rendered blank";
    }
    EXPECT_GT(rows, 10);
    EXPECT_TRUE(Icons::icon(QStringLiteral("no.such.symbol")).isNull());
}
