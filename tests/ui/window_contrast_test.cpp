// Contrast of the window's own text against what it is drawn on, in light and
// dark and in every editor scheme: 4.5:1, or 3:1 for text of 18 px and more.
#include "Contrast.h"
#include "editor/EditorScheme.h"
#include "editor/Palette.h"
#include "views/controls/ControlColors.h"

#include <gtest/gtest.h>

namespace {

// A translucent colour as it shows over an opaque one.
QColor over(const QColor& top, const QColor& below)
{
    const double a = top.alphaF();
    return QColor::fromRgbF(float(top.redF() * a + below.redF() * (1 - a)),
                            float(top.greenF() * a + below.greenF() * (1 - a)),
                            float(top.blueF() * a + below.blueF() * (1 - a)));
}

QColor tinted(const DynamicColor& c, double alpha, const QColor& below, bool dark)
{
    QColor t = c.resolve(dark);
    t.setAlphaF(float(alpha));
    return over(t, below);
}

struct Pair {
    std::string where;
    QColor text;
    QColor background;
    double px;  // text size
};

// Every text colour of the window chrome on every background it is drawn on.
std::vector<Pair> windowPairs(bool dark)
{
    const auto r = [dark](const DynamicColor& c) { return c.resolve(dark); };
    const QColor window = r(Palette::window()), sidebar = r(Palette::sidebar()), hover = r(Palette::hover()),
                 selection = r(Palette::selection()), accent = r(Palette::accent());
    std::vector<Pair> out;
    const struct {
        const char* name;
        const DynamicColor& color;
    } texts[] = {{"fg", Palette::fg()}, {"fg2", Palette::fg2()}, {"fg3", Palette::fg3()}};
    // Labels, captions, badges, menu rows, placeholders and disabled text: on the pane,
    // the sidebar, a hovered row, the active row.
    for (const auto& t : texts)
        for (const auto& [bg, colour] :
             {std::pair{"window", window}, {"sidebar", sidebar}, {"hover", hover}, {"selection", selection}})
            out.push_back({std::string(t.name) + " on " + bg, r(t.color), colour, 11});
    // "● 校验通过", switched-on text buttons and find toggles (accent at 13 % over the pane),
    // a selected tile's detail line (accent at 12 %).
    out.push_back({"accent on window", accent, window, 11.5});
    out.push_back({"accent on sidebar", accent, sidebar, 11.5});
    out.push_back({"accent on accent tint", accent, tinted(Palette::accent(), 0.13, window, dark), 11});
    out.push_back({"fg3 on selected tile", r(Palette::fg3()), tinted(Palette::accent(), 0.12, window, dark), 11.5});
    out.push_back({"fg on selected tile", r(Palette::fg()), tinted(Palette::accent(), 0.12, window, dark), 13});
    // "● N 个问题", the find bar's error, destructive dialog buttons.
    out.push_back({"danger on window", r(Palette::danger()), window, 11.5});
    out.push_back({"danger on sidebar", r(Palette::danger()), sidebar, 11.5});
    // The primary button, plain and hovered, and the caret-count badge with its dimmed hint.
    out.push_back({"accentFg on accent", r(Palette::accentFg()), accent, 13});
    out.push_back({"accentFg on hovered accent", r(Palette::accentFg()), accent.darker(110), 13});
    out.push_back({"badge hint on accent", over(r(Palette::accentFg().withAlpha(0.9)), accent), accent, 11.5});
    return out;
}

}

TEST(WindowContrast, EveryTextRoleOnEveryBackgroundItIsDrawnOn)
{
    for (bool dark : {false, true})
        for (const Pair& p : windowPairs(dark)) {
            const double need = p.px >= 18 ? 3.0 : 4.5;
            EXPECT_GE(contrast(p.text, p.background), need)
                << (dark ? "dark " : "light ") << p.where << ": " << p.text.name().toStdString() << " on "
                << p.background.name().toStdString();
        }
}

TEST(WindowContrast, ControlColorsFollowTheAppearance)
{
    // The small controls paint with ControlColors: the same roles, resolved now.
    for (bool dark : {false, true}) {
        Palette::setAppearance(dark);
        const ControlColors c;
        EXPECT_GE(contrast(c.fg2, c.hover), 4.5);
        EXPECT_GE(contrast(c.fg3, c.window), 4.5);
        EXPECT_GE(
            contrast(c.accent,
                     over(QColor::fromRgbF(c.accent.redF(), c.accent.greenF(), c.accent.blueF(), 0.13f), c.window)),
            4.5);
        EXPECT_GE(contrast(c.danger, c.window), 4.5);
    }
    Palette::setAppearance(std::nullopt);
}

TEST(WindowContrast, LineNumbersInEverySchemeAndAppearance)
{
    for (const EditorScheme& s : EditorScheme::all())
        for (bool dark : {false, true}) {
            const bool shownDark = s.appearance.value_or(dark);
            const QColor bg = s.background.resolve(shownDark);
            EXPECT_GE(contrast(s.gutter.resolve(shownDark), bg), 4.5)
                << s.id.toStdString() << (dark ? " dark" : " light");
            // Error lines' numbers are in the danger colour.
            EXPECT_GE(contrast(Palette::danger().resolve(shownDark), bg), 4.5)
                << s.id.toStdString() << " error line number";
        }
}
