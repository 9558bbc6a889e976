// The window's appearance and zoom.
#include "PreviewWindow.h"
#include "WindowFixture.h"
#include "core/Zoom.h"
#include "editor/LineNumberRuler.h"
#include "editor/Palette.h"
#include "views/controls/Controls.h"
#include "views/pane/FindBar.h"
#include "views/window/Appearance.h"

#include <cmath>

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
    TearDown();
    WindowFixture::SetUp();
    window->start({});
    EXPECT_EQ(model->settings().appearance, 2);
    EXPECT_TRUE(windowIsDark(*window));
}

namespace {

struct ZoomWindow : PreviewWindow {
    CodeTextView* view() const { return editors->controller(model->active()).textView(); }
};

}

TEST_F(ZoomWindow, KeysScaleTheEditorAndItsNumbersAndLeaveTheSettingAndText)
{
    ASSERT_TRUE(open(QStringLiteral("z.txt"), "abc\n"));
    const double setting = model->settings().fontSize;
    const int basePx = view()->font().pixelSize();
    ASSERT_GT(basePx, 0);
    struct Step {
        int key;
        Qt::KeyboardModifiers mods;
        int percent;
    };
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier, ctrlShift = Qt::ControlModifier | Qt::ShiftModifier;
    // Each key once; the steps and their ends are the zoom's own.
    const QList<Step> steps = {
        {Qt::Key_Equal, ctrl, 110}, {Qt::Key_Plus, ctrl, 125}, {Qt::Key_Plus, ctrlShift, 150},
        {Qt::Key_0, ctrl, 100},     {Qt::Key_Minus, ctrl, 90},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.percent);
        key(s.key, s.mods);
        EXPECT_EQ(model->zoom(), s.percent);
        EXPECT_EQ(model->toast(), QStringLiteral("缩放 %1%").arg(s.percent));
        EXPECT_NEAR(view()->font().pixelSize(), basePx * s.percent / 100.0, 1.0);
        EXPECT_EQ(view()->ruler()->numberFont().pixelSize(), view()->font().pixelSize());
        EXPECT_EQ(model->settings().fontSize, setting);
    }
    EXPECT_EQ(model->active()->text(), QStringLiteral("abc\n"));

    // A new font size in 设置 is zoomed like the old one.
    Settings bigger = model->settings();
    bigger.fontSize = Settings::maxFontSize;
    model->setSettings(bigger);
    EXPECT_NEAR(view()->font().pixelSize(), Settings::maxFontSize * 0.9, 1.0);
}

TEST_F(ZoomWindow, ThePreviewZoomsWithTheEditorAndKeepsItAcrossDocuments)
{
    ASSERT_TRUE(open(QStringLiteral("a.md"), "# 标题\n\n正文\n"));
    model->active()->setMode(ViewMode::split);
    ASSERT_TRUE(previewMade());
    ASSERT_TRUE(showing(QStringLiteral("document.getElementById('c').textContent.indexOf('正文')>=0")));
    // The page's width in CSS pixels shrinks as its zoom grows.
    const double width = evaluate(*preview(), QStringLiteral("window.innerWidth")).toDouble();
    ASSERT_GT(width, 100);
    key(Qt::Key_Equal, Qt::ControlModifier);
    key(Qt::Key_Equal, Qt::ControlModifier);
    key(Qt::Key_Equal, Qt::ControlModifier);
    ASSERT_EQ(model->zoom(), 150);
    EXPECT_DOUBLE_EQ(preview()->zoomFactor(), 1.5);
    // The page itself lays out at the larger scale.
    EXPECT_TRUE(showing(QStringLiteral("Math.abs(window.innerWidth - %1) <= 2").arg(width / 1.5)));

    // Another Markdown file shows at the same zoom.
    window->openFiles({write(QStringLiteral("b.md"), "# 第二\n")});
    model->active()->setMode(ViewMode::split);
    ASSERT_TRUE(showing(QStringLiteral("document.getElementById('c').textContent.indexOf('第二')>=0")));
    EXPECT_DOUBLE_EQ(preview()->zoomFactor(), 1.5);
    key(Qt::Key_0, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(preview()->zoomFactor(), 1.0);
    EXPECT_TRUE(showing(QStringLiteral("Math.abs(window.innerWidth - %1) <= 2").arg(width)));
}
