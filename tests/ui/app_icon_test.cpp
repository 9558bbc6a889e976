// The window icon comes from the SVG compiled into the program; without it
// panels and Alt+Tab show a generic icon.
#include "views/window/AppIcon.h"

#include <QImage>
#include <gtest/gtest.h>

TEST(AppIcon, IsDrawnAtEverySizeAPanelAsksFor)
{
    const QIcon icon = AppIcon::icon();
    ASSERT_FALSE(icon.isNull());
    for (int size : {16, 32, 48, 256}) {
        EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size))) << size;
        const QImage image = icon.pixmap(size, size).toImage();
        ASSERT_EQ(image.size(), QSize(size, size));
        int opaque = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                opaque += qAlpha(image.pixel(x, y)) > 200;
        // A drawn icon, not a blank square.
        EXPECT_GT(opaque, size * size / 4) << size;
    }
}
