// Formulas and coloured code in the window's own preview: drawn with
// KaTeX's fonts loaded from the page itself, the token colours following the
// appearance, and a formula typed in the editor drawn on the next render.
#include "PreviewWindow.h"

namespace {

struct RenderingsWindow : PreviewWindow {
    QString colourOf(const char* selector)
    {
        return evaluate(
                   *preview(),
                   QStringLiteral("getComputedStyle(document.querySelector('%1')).color").arg(QLatin1String(selector)))
            .toString();
    }
};

}

TEST_F(RenderingsWindow, FormulasAndCodeAreDrawnAndATypedFormulaFollows)
{
    Palette::setAppearance(false);
    window->openFiles({write(QStringLiteral("m.md"),
                             "# 公式\n\n质能 $E=mc^2$，价格 $5 和 $6。\n\n"
                             "```cpp\nint main() { return 0; }\n```\n")});
    ASSERT_TRUE(previewMade());
    ASSERT_TRUE(showing(QStringLiteral("document.querySelectorAll('#c .katex').length===1")));
    // KaTeX's own font, from the page's embedded faces, draws the formula.
    ASSERT_TRUE(showing(QStringLiteral("document.fonts.check('20px KaTeX_Math')&&document.fonts.status==='loaded'")));
    EXPECT_TRUE(showing(QStringLiteral(
        "getComputedStyle(document.querySelector('#c .katex .mathnormal')).fontFamily.indexOf('KaTeX_Math')"
        ">=0")));
    EXPECT_TRUE(showing(QStringLiteral("document.getElementById('c').textContent.indexOf('价格 $5 和 $6')>=0")));
    const QString light = colourOf("#c .hljs-keyword");
    EXPECT_EQ(light, QStringLiteral("rgb(111, 66, 193)"));
    Palette::setAppearance(true);
    ASSERT_TRUE(showing(
        QStringLiteral("getComputedStyle(document.querySelector('#c .hljs-keyword')).color!=='%1'").arg(light)));
    EXPECT_EQ(colourOf("#c .hljs-keyword"), QStringLiteral("rgb(210, 168, 255)"));

    // Typed at the end of the text, a formula is drawn by the next render.
    QWidget* editor = focused();
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_End, Qt::ControlModifier);
    key(Qt::Key_Return);
    key(Qt::Key_Return);
    type(QStringLiteral("$\\alpha^2$"));
    EXPECT_TRUE(showing(QStringLiteral("document.querySelectorAll('#c .katex').length===2")));
    EXPECT_TRUE(showing(QStringLiteral("document.getElementById('c').textContent.indexOf('α')>=0")));
}
