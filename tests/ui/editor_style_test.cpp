#include "core/WebFonts.h"
#include "editor/AppFonts.h"
#include "editor/EditorScheme.h"
#include "editor/Palette.h"

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
    EXPECT_EQ(EditorScheme::find(QStringLiteral("paper")).name, QStringLiteral("纸张"));
    EXPECT_EQ(EditorScheme::find(QStringLiteral("night")).name, QStringLiteral("夜航"));
    EXPECT_EQ(EditorScheme::find(QStringLiteral("Paper")).id, QStringLiteral("graphite"));
    EXPECT_EQ(EditorScheme::find(QString()).id, QStringLiteral("graphite"));
    QStringList ids;
    for (const EditorScheme& s : EditorScheme::all())
        ids << s.id;
    EXPECT_EQ(ids, QStringList({"graphite", "paper", "night"}));
}

TEST(EditorScheme, GraphiteFollowsTheAppearancePaperAndNightDoNot)
{
    AppearanceGuard guard;
    QSignalSpy spy(&AppearanceNotifier::shared(), &AppearanceNotifier::appearanceChanged);
    Palette::setAppearance(true);
    EXPECT_EQ(spy.count(), 1);
    const EditorScheme& g = EditorScheme::graphite();
    EXPECT_EQ(g.background.resolve(g.isDark()), QColor(0x1b1e22));
    const EditorScheme& p = EditorScheme::paper();
    EXPECT_EQ(p.background.resolve(p.isDark()), QColor(0xf6f2e9));
    Palette::setAppearance(false);
    EXPECT_EQ(g.background.resolve(g.isDark()), QColor(0xfbfbfa));
    const EditorScheme& n = EditorScheme::night();
    EXPECT_TRUE(n.isDark());
    EXPECT_EQ(Palette::accent().resolve(n.isDark()), QColor(0x6fb2a7));
}

TEST(Palette, ErrorLineIsDangerAtTwelvePercent)
{
    const QColor dark = Palette::errorLine().resolve(true);
    EXPECT_EQ(dark.rgb(), QColor(0xe07b70).rgb());
    EXPECT_NEAR(dark.alphaF(), 0.12, 0.005);
    EXPECT_EQ(Palette::errorLine().resolve(false).rgb(), QColor(0xa34a43).rgb());
    ASSERT_EQ(Palette::tagColors().size(), 8);
    EXPECT_EQ(Palette::tagColors().first(), QColor(0x6f8fb0));
    EXPECT_EQ(Palette::tagColors().last(), QColor(0x9a7d6a));
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
