#include "views/icons/Icons.h"
#include <QDir>
#include <QImage>
#include <gtest/gtest.h>

TEST(Icons, MappedSymbolsRenderAndUnknownOnesAreNull)
{
    if (!QDir(Icons::iconDir()).exists())
        GTEST_SKIP() << "icons not fetched; run resources/fetch-icons.sh";
    for (const char* s : {"magnifyingglass", "xmark", "plus", "eye", "gearshape", "chevron.down",
                          "rectangle.split.2x1", "exclamationmark.triangle", "arrow.left.arrow.right",
                          "text.word.spacing", "text.line.last.and.arrowtriangle.forward"}) {
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
