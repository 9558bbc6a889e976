// Formulas in Markdown: which dollars open one (GitHub's rules), KaTeX's
// drawing through the narrow allow-list, errors shown with their source,
// hostile TeX that stays inert, and the cache by source.
#include "plugins/Markdown.h"
#include "plugins/MathRender.h"
#include "plugins/RenderedHTML.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

namespace {

int formulas(const QString& html) { return int(html.count(QStringLiteral("class=\"katex\""))); }

QString preview(const char* text) { return Markdown::preview(QString::fromUtf8(text)); }

// The markup alone: what is text (the source in an annotation, an error) may mention anything.
QString tagsOf(const QString& html)
{
    QString tags;
    QRegularExpressionMatchIterator it = QRegularExpression(QStringLiteral("<[^>]*>")).globalMatch(html);
    while (it.hasNext())
        tags += it.next().captured();
    return tags;
}

}

TEST(MathSyntax, DollarsOpenFormulasOnlyWhereGitHubReadsThem)
{
    const struct {
        const char* text;
        int formulas;
    } cases[] = {
        {"Einstein: $E=mc^2$.", 1},
        {"$a$ and $b$", 2},
        {"It costs $5 and $6 today.", 0},
        {"From $20,000 to $30,000", 0},
        {"$ x$ and $x $", 0},    // blank right inside a dollar
        {"$x$5", 0},             // digit right after the closing dollar
        {"\\$x$ and $y\\$", 0},  // escaped dollars
        {"`$x$` in code", 0},    // code spans come first
        {"$a*b*c$ and $x_1 + y_2$", 2},
        {"$\\{a\\}$", 1},
        {"| $x^2$ | b |\n|---|---|\n| 1 | $y$ |", 2},  // table cells
        {"# Title $\\alpha$", 1},
        {"- item $\\beta$\n- $$\\gamma$$", 2},
        {"$$$ no", 0},
        {"text $$ not closed", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(formulas(preview(c.text)), c.formulas) << c.text << "\n" << preview(c.text).toStdString();
    // Ordinary text around formulas keeps its Markdown.
    const QString mixed = preview("$a*b*c$ *emph* and **$x$**");
    EXPECT_TRUE(mixed.contains(QStringLiteral("<em>emph</em>")));
    EXPECT_TRUE(mixed.contains(QStringLiteral("<strong><span class=\"katex\"")));
    EXPECT_FALSE(mixed.contains(QStringLiteral("<em>b</em>")));
    const QString prices = preview("It costs $5 and $6 today.");
    EXPECT_TRUE(prices.contains(QStringLiteral("It costs $5 and $6 today."))) << prices.toStdString();
    // The plain HTML (goldens, the fragment export) reads dollars as text.
    EXPECT_FALSE(Markdown::html(QStringLiteral("$E=mc^2$")).contains(QStringLiteral("katex")));
}

TEST(MathSyntax, DisplayedFormulasAndMathBlocks)
{
    const QString display = preview("Before\n\n$$\n\\sum_{i=1}^n i = \\frac{n(n+1)}{2}\n$$\n\nAfter");
    EXPECT_TRUE(display.contains(QStringLiteral("class=\"katex-display\""))) << display.toStdString();
    EXPECT_TRUE(display.contains(QStringLiteral("<mfrac>")));
    const QString block = preview("# H\n\n```math\nx^2 + y^2 = z^2\n```\n");
    EXPECT_TRUE(block.contains(QStringLiteral("<div class=\"math-display\" data-line=\"2\">"))) << block.toStdString();
    EXPECT_TRUE(block.contains(QStringLiteral("class=\"katex-display\"")));
    EXPECT_FALSE(block.contains(QStringLiteral("<pre")));
    // The annotation keeps the source, escaped, for copying and assistive tools.
    EXPECT_TRUE(
        preview("$a<b$").contains(QStringLiteral("<annotation encoding=\"application/x-tex\">a&lt;b</annotation>")));
}

TEST(MathSyntax, APageOfPricesIsReadInOnePass)
{
    // Every dollar opens a formula that never closes; each must not rescan the rest.
    const QString prices = QStringLiteral("$5 ").repeated(200000);
    const QString html = Markdown::preview(prices);
    EXPECT_EQ(formulas(html), 0);
    EXPECT_EQ(html.count(u'$'), 200000);
}

TEST(MathRender, BrokenFormulasShowTheirSourceAndKaTeXsReason)
{
    const QString inlineError = preview("See $\\frac{1}{$ here");
    EXPECT_TRUE(inlineError.contains(QStringLiteral("<span class=\"math-err\"><code>\\frac{1}{</code>")))
        << inlineError.toStdString();
    EXPECT_TRUE(inlineError.contains(QStringLiteral("公式错误：")));
    EXPECT_TRUE(inlineError.contains(QStringLiteral("expected")));  // KaTeX's own words
    EXPECT_TRUE(inlineError.contains(QStringLiteral(" here")));
    const QString blockError = preview("```math\n\\undefinedcommand{x}\n```\n");
    EXPECT_TRUE(blockError.contains(QStringLiteral("math-err display"))) << blockError.toStdString();
    EXPECT_TRUE(blockError.contains(QStringLiteral("\\undefinedcommand")));
    // Markup in a broken formula's source is text.
    const QString markup = preview("$\\frac{<img src=x onerror=alert(1)>$");
    EXPECT_FALSE(markup.contains(QStringLiteral("<img"))) << markup.toStdString();
    EXPECT_TRUE(markup.contains(QStringLiteral("&lt;img")));
    // Too long for the script: an error, and the whole source is still there.
    const QString huge = QStringLiteral("x+").repeated(MathRender::maxSource) + u'y';
    const QString tooLong = MathRender::html(huge, false);
    EXPECT_TRUE(tooLong.contains(QStringLiteral("公式错误：")));
    EXPECT_TRUE(tooLong.contains(huge));
}

TEST(MathRender, HostileTeXStaysInert)
{
    const char* vectors[] = {
        "$\\href{javascript:alert(1)}{x}$",
        "$\\url{javascript:alert(1)}$",
        "$$\\href{http://example.com/}{x}$$",
        "$\\htmlClass{hljs-x}{y}\\htmlId{a}{b}$",
        "$\\htmlStyle{background:url(http://example.com/m.png)}{c}$",
        "$\\htmlData{onclick=alert(1)}{d}$",
        "$\\includegraphics{http://example.com/i.png}$",
        "$</annotation><script>alert(1)</script>$",
        "$\\text{<img src=x onerror=alert(1)>}$",
        "```math\n\\href{javascript:alert(1)}{x}\n```",
        "$\\def\\a{\\a\\a}\\a$",
        "$\\rule{100000em}{1em}\\raisebox{-1000em}{x}$",
    };
    for (const char* v : vectors) {
        const QString html = preview(v);
        const QString tags = tagsOf(html);
        EXPECT_GE(html.count(QStringLiteral("katex")) + html.count(QStringLiteral("math-err")), 1) << v;
        for (const char* gone : {"<a ", "<a>", "<script", "<img", "url(", "href", "onclick", "hljs-x", "100000em"})
            EXPECT_FALSE(tags.contains(QString::fromLatin1(gone))) << v << ": " << gone << "\n" << tags.toStdString();
    }
}

TEST(MathRender, TheAllowListKeepsKaTeXsMarkupAndNothingElse)
{
    const QString kept = RenderedHTML::cleanMath(QStringLiteral(
        "<span class=\"katex mathnormal nosuchclass\" style=\"height:1em;vertical-align:-0.2em;top:-3em;"
        "margin-right:0.05em;position:relative\"><svg xmlns=\"http://www.w3.org/2000/svg\" width=\"400em\" "
        "viewBox=\"0 0 400000 1000\" onload=\"alert(1)\"><path d=\"M0 0h1v1z\" fill=\"url(#x)\"/></svg>"
        "<math xmlns=\"http://www.w3.org/1998/Math/MathML\"><mi mathvariant=\"normal\" href=\"javascript:x\">x</mi>"
        "<mglyph src=\"http://example.com/g.png\"/></math></span>"));
    EXPECT_TRUE(kept.contains(QStringLiteral("class=\"katex mathnormal\""))) << kept.toStdString();
    EXPECT_TRUE(kept.contains(QStringLiteral("top:-3em")));
    EXPECT_TRUE(kept.contains(QStringLiteral("vertical-align:-0.2em")));
    EXPECT_TRUE(kept.contains(QStringLiteral("position:relative")));
    EXPECT_TRUE(kept.contains(QStringLiteral("viewbox=\"0 0 400000 1000\"")));
    EXPECT_TRUE(kept.contains(QStringLiteral("<path d=\"M0 0h1v1z\"")));
    EXPECT_TRUE(kept.contains(QStringLiteral("<mi mathvariant=\"normal\">x</mi>")));
    for (const char* gone : {"nosuchclass", "onload", "fill=", "href", "mglyph", "example.com"})
        EXPECT_FALSE(kept.contains(QString::fromLatin1(gone))) << gone << "\n" << kept.toStdString();
    const QString moved = RenderedHTML::cleanMath(
        QStringLiteral("<span style=\"position:fixed;top:0;background:url(http://example.com/x.png)\">x</span>"));
    EXPECT_EQ(moved, QStringLiteral("<span style=\"top:0\">x</span>"));
    // Raw HTML of documents keeps its own, wider list: no math scope there.
    EXPECT_EQ(
        RenderedHTML::selectorClasses(QStringLiteral(".a .b-c,.d>span{x:1}@font-face{src:url(f.woff2)}.e:hover{}")),
        (QSet<QString>{"a", "b-c", "d", "e"}));
}

TEST(MathRender, AFormulaSeenBeforeIsNotDrawnAgain)
{
    const QString doc = QStringLiteral("# t\n\n$\\alpha + \\beta$ and\n\n$$\\int_0^1 x\\,dx$$\n");
    const QString first = Markdown::preview(doc);
    const quint64 runs = MathRender::scriptRuns();
    const QString again = Markdown::preview(doc + QStringLiteral("\nmore text\n"));
    EXPECT_EQ(MathRender::scriptRuns(), runs);
    EXPECT_TRUE(again.startsWith(first.left(first.size() - 6)));
    Markdown::preview(QString(doc).replace(QStringLiteral("\\beta"), QStringLiteral("\\gamma")));
    EXPECT_EQ(MathRender::scriptRuns(), runs + 1);
    // Inline and displayed drawings of one source are different results.
    EXPECT_NE(MathRender::html(QStringLiteral("x"), false), MathRender::html(QStringLiteral("x"), true));
}

// A size the formula gives is capped on both sides: a huge negative kern or
// rule must not push the page's layout any further than a huge positive one.
TEST(MathRender, SizesAreBoundBelowAsAboveAndTheFormulaStillDraws)
{
    const char* sizes[] = {
        "\\rule{-1000000000em}{1em}",   "\\rule{1em}{-1000000000em}", "\\rule[-1000000000em]{1em}{1em}",
        "a\\kern-1000000000em b",       "a\\hspace{-1000000000em}b",  "a\\mkern-1000000000mu b",
        "\\raisebox{-1000000000em}{x}", "\\rule{1000000000em}{1em}",  "a\\kern1000000000em b",
    };
    static const QRegularExpression length(QStringLiteral(R"((-?\d+(?:\.\d+)?)em)"));
    for (const char* tex : sizes) {
        SCOPED_TRACE(tex);
        const QString html = MathRender::html(QString::fromLatin1(tex), false);
        EXPECT_TRUE(html.contains(QStringLiteral("class=\"katex\""))) << html.toStdString();
        double widest = 0;
        QRegularExpressionMatchIterator it = length.globalMatch(tagsOf(html));
        while (it.hasNext())
            widest = std::max(widest, std::abs(it.next().captured(1).toDouble()));
        // maxSize is 20em; a rule's height and depth or a raised box's add up a few of them.
        EXPECT_LE(widest, 100) << tagsOf(html).toStdString();
    }
}
