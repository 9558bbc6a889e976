#include "editor/AppFonts.h"
#include "editor/EditorScheme.h"
#include "editor/Palette.h"
#include "render/WebFonts.h"

#include <QFontInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
struct AppearanceGuard {
    ~AppearanceGuard() { Palette::setAppearance(std::nullopt); }
};
}

TEST(EditorScheme, FindIsExactAndFallsBackToGraphite)
{
    EXPECT_EQ(EditorScheme::find(QStringLiteral("paper")).id, QStringLiteral("paper"));
    EXPECT_EQ(EditorScheme::find(QStringLiteral("night")).id, QStringLiteral("night"));
    EXPECT_EQ(EditorScheme::find(QStringLiteral("Paper")).id, QStringLiteral("graphite"));
    EXPECT_EQ(EditorScheme::find(QString()).id, QStringLiteral("graphite"));
}

// Only graphite turns with the window's appearance; paper stays light, night dark.
TEST(EditorScheme, GraphiteFollowsTheAppearancePaperAndNightDoNot)
{
    AppearanceGuard guard;
    QSignalSpy spy(&AppearanceNotifier::shared(), &AppearanceNotifier::appearanceChanged);
    for (bool dark : {true, false}) {
        Palette::setAppearance(dark);
        EXPECT_EQ(EditorScheme::graphite().isDark(), dark);
        EXPECT_FALSE(EditorScheme::paper().isDark());
        EXPECT_TRUE(EditorScheme::night().isDark());
    }
    EXPECT_EQ(spy.count(), 2);
}

TEST(AppFonts, PlexFacesAreEmbeddedAndResolve)
{
    EXPECT_EQ(WebFonts::fontsDirectory(), QStringLiteral(":/Fonts"));
    EXPECT_EQ(WebFonts::fontFiles().size(), 5);
    EXPECT_EQ(QFontInfo(AppFonts::mono(13)).family(), QStringLiteral("IBM Plex Mono"));
    // There is no mono face heavier than Medium.
    EXPECT_EQ(AppFonts::mono(13, AppFonts::Weight::semibold).weight(), QFont::Medium);
    EXPECT_EQ(AppFonts::sans(13, AppFonts::Weight::bold).weight(), QFont::DemiBold);
    EXPECT_EQ(QFontInfo(AppFonts::sans(13, AppFonts::Weight::bold)).family(), QStringLiteral("IBM Plex Sans"));
    EXPECT_EQ(AppFonts::mono(13).pixelSize(), 13);
    const QStringList faces = AppFonts::webFontFaces().split(QLatin1Char('\n'));
    ASSERT_EQ(faces.size(), 3);
    EXPECT_TRUE(faces[0].startsWith(
        QStringLiteral("@font-face{font-family:\"IBM Plex Sans\";font-weight:400;src:url(data:font/ttf;base64,")));
    EXPECT_TRUE(faces[1].startsWith(QStringLiteral("@font-face{font-family:\"IBM Plex Sans\";font-weight:600;")));
    EXPECT_TRUE(faces[2].startsWith(QStringLiteral("@font-face{font-family:\"IBM Plex Mono\";font-weight:400;")));
    EXPECT_TRUE(faces[2].endsWith(QStringLiteral(") format(\"truetype\")}")));
}

TEST(AppFonts, MissingFamilyFallsBackToSystemFonts)
{
    // Only the family test decides; a name that is not installed must
    // give a usable fixed-pitch system font rather than a random face.
    EXPECT_FALSE(AppFonts::hasFace(QStringLiteral("No Such Family 42"), QFont::Normal));
    QTemporaryDir empty;
    EXPECT_TRUE(WebFonts::webFontFacesIn(empty.path()).isEmpty());
}
