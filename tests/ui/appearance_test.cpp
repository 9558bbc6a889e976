#include "WindowFixture.h"
#include "editor/Palette.h"
#include "views/controls/Controls.h"
#include "views/pane/FindBar.h"
#include "views/window/Appearance.h"

namespace {

// Every case leaves the application light again, as the other suites expect.
struct AppearanceTest : WindowFixture {
    QPalette saved = QApplication::palette();
    void TearDown() override
    {
        WindowFixture::TearDown();
        QApplication::setPalette(saved);
        Palette::setAppearance(std::nullopt);
    }
    static bool windowIsDark(const QWidget& w) { return w.palette().color(QPalette::Window).lightnessF() < 0.5; }
};

}

TEST_F(AppearanceTest, PortalAnswerDecidesFollowTheSystemAndFollowsItsChanges)
{
    EXPECT_EQ(Appearance::fromColorScheme(1), std::optional<bool>(true));
    EXPECT_EQ(Appearance::fromColorScheme(2), std::optional<bool>(false));
    EXPECT_EQ(Appearance::fromColorScheme(0), std::nullopt);

    std::optional<bool> desktop = true;
    Appearance a(nullptr, [&] { return desktop; });
    a.apply(0);
    EXPECT_TRUE(a.isDark());
    EXPECT_TRUE(Palette::isDark());
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), Palette::window().resolve(true));
    EXPECT_EQ(QApplication::palette().color(QPalette::WindowText), Palette::fg().resolve(true));

    desktop = false;
    a.desktopChanged();
    EXPECT_FALSE(a.isDark());
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), Palette::window().resolve(false));

    // The stored choice wins over the desktop.
    desktop = true;
    a.apply(1);
    a.desktopChanged();
    EXPECT_FALSE(a.isDark());
    a.apply(2);
    EXPECT_TRUE(a.isDark());
    // No preference from the desktop: the palette it started with decides (light here).
    desktop = std::nullopt;
    a.apply(0);
    a.desktopChanged();
    EXPECT_FALSE(a.isDark());
}

TEST_F(AppearanceTest, DarkSettingTurnsTheWholeWindowDarkAlsoAfterARestart)
{
    EXPECT_FALSE(windowIsDark(*window));
    const DocPtr doc = open(QStringLiteral("a.txt"), "");
    ASSERT_TRUE(doc);
    Settings s = model->settings();
    s.appearance = 2;
    model->setSettings(s);
    EXPECT_TRUE(windowIsDark(*window));
    EXPECT_TRUE(windowIsDark(*window->sidebar()));
    // Fields keep only their own background: their text turns light with the window.
    EXPECT_EQ(window->docPane()->findBar()->findField()->palette().color(QPalette::Text), Palette::fg().resolve(true));
    // The editor's scheme (graphite follows the appearance) turned dark too.
    EXPECT_LT(view(doc)->palette().color(QPalette::Base).lightnessF(), 0.5);
    s.appearance = 1;
    model->setSettings(s);
    EXPECT_FALSE(windowIsDark(*window));
    s.appearance = 2;
    model->setSettings(s);

    // Started again over the same preferences.
    WindowFixture::TearDown();
    QApplication::setPalette(saved);
    Palette::setAppearance(std::nullopt);
    WindowFixture::SetUp();
    window->start({});
    EXPECT_EQ(model->settings().appearance, 2);
    EXPECT_TRUE(windowIsDark(*window));
}
