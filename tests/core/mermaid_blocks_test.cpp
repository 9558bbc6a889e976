// The preview's side of Mermaid diagrams: the cache and requests behind
// ```mermaid blocks, and the style sheets a diagram may keep.
#include "plugins/CSSSanitizer.h"
#include "plugins/Markdown.h"
#include "plugins/MermaidBlocks.h"
#include "plugins/SVGSanitizer.h"

#include <gtest/gtest.h>
#include <thread>

namespace {

const QString placeholder = QStringLiteral("<div class=\"cap\"><span>正在渲染…</span></div>");
const QString source = QStringLiteral("graph TD\n  A --> B\n");
const QString document = QStringLiteral("# 图\n\n```mermaid\n") + source + QStringLiteral("```\n");

class MermaidBlocksTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        MermaidBlocks::clear();
        MermaidBlocks::setTheme(MermaidBlocks::Theme::light);
    }
    void TearDown() override
    {
        MermaidBlocks::setWaker({});
        MermaidBlocks::clear();
        MermaidBlocks::setTheme(MermaidBlocks::Theme::light);
    }
};

}

TEST_F(MermaidBlocksTest, TheWriterHandsMermaidFencesToTheBlocksInThePreviewOnly)
{
    EXPECT_EQ(Markdown::preview(document),
              QStringLiteral("<div class=\"md\"><h1 data-line=\"0\">图</h1>\n<div class=\"mermaid\" data-line=\"2\">")
                  + placeholder + QStringLiteral("</div>\n</div>"));
    const auto asked = MermaidBlocks::takeRequests();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].source, source);
    EXPECT_EQ(asked[0].theme, MermaidBlocks::Theme::light);
    // Plain HTML (and other fence languages) stay code.
    EXPECT_TRUE(Markdown::html(document).contains(QLatin1String("<pre><code class=\"lang-mermaid\">graph TD")));
    EXPECT_TRUE(Markdown::preview(QStringLiteral("```mermaidx\na\n```\n")).contains(QLatin1String("<pre")));
    EXPECT_TRUE(MermaidBlocks::takeRequests().empty());
}

TEST_F(MermaidBlocksTest, ADocumentDrawsAtMostItsShareOfDiagrams)
{
    QString text;
    for (int i = 0; i <= MermaidBlocks::perDocument; ++i)
        text += QStringLiteral("```mermaid\ngraph TD\n  A%1 --> B\n```\n\n").arg(i);
    const QString html = Markdown::preview(text);
    EXPECT_EQ(html.count(QLatin1String("<div class=\"mermaid\"")), MermaidBlocks::perDocument);
    EXPECT_EQ(html.count(QLatin1String("<code class=\"lang-mermaid\">")), 1);
    EXPECT_TRUE(html.contains(QStringLiteral("A%1 --&gt; B").arg(MermaidBlocks::perDocument)));
    EXPECT_EQ(MermaidBlocks::takeRequests().size(), size_t(MermaidBlocks::perDocument));
}

TEST_F(MermaidBlocksTest, ABlockIsAskedForOnceAndServedFromTheCacheOnceStored)
{
    int wakes = 0;
    MermaidBlocks::setWaker([&wakes] { ++wakes; });
    MermaidBlocks::html(source);
    MermaidBlocks::html(source);
    EXPECT_EQ(wakes, 1);
    ASSERT_EQ(MermaidBlocks::takeRequests().size(), 1u);
    // Handed out but not yet drawn: still asked for, not handed out again.
    MermaidBlocks::html(source);
    EXPECT_TRUE(MermaidBlocks::hasRequests());
    EXPECT_TRUE(MermaidBlocks::takeRequests().empty());
    MermaidBlocks::storeDiagram({MermaidBlocks::Theme::light, source}, QStringLiteral("<svg>drawn</svg>"));
    EXPECT_FALSE(MermaidBlocks::hasRequests());
    EXPECT_TRUE(Markdown::preview(document).contains(QLatin1String("data-line=\"2\"><svg>drawn</svg></div>")));
    EXPECT_EQ(wakes, 1);
    // The other theme is another diagram.
    MermaidBlocks::setTheme(MermaidBlocks::Theme::dark);
    EXPECT_EQ(MermaidBlocks::html(source), placeholder);
    EXPECT_EQ(wakes, 2);
    EXPECT_NE(MermaidBlocks::diagramId({MermaidBlocks::Theme::dark, source}),
              MermaidBlocks::diagramId({MermaidBlocks::Theme::light, source}));
}

TEST_F(MermaidBlocksTest, ErrorsAreEscapedTextWithTheirPrefix)
{
    MermaidBlocks::html(source);
    MermaidBlocks::storeError({MermaidBlocks::Theme::light, source},
                              QStringLiteral("Parse error <img src=x onerror=alert(1)>"));
    EXPECT_EQ(
        MermaidBlocks::html(source),
        QStringLiteral("<div class=\"err\">Mermaid 图表错误：Parse error &lt;img src=x onerror=alert(1)&gt;</div>"));
    EXPECT_FALSE(MermaidBlocks::hasRequests());
}

TEST_F(MermaidBlocksTest, ExportsAskForTheLightThemeOnTheirOwnThreadOnly)
{
    MermaidBlocks::setTheme(MermaidBlocks::Theme::dark);
    {
        const MermaidBlocks::LightForExport light;
        EXPECT_EQ(MermaidBlocks::theme(), MermaidBlocks::Theme::light);
        MermaidBlocks::Theme elsewhere = MermaidBlocks::Theme::light;
        std::thread([&elsewhere] { elsewhere = MermaidBlocks::theme(); }).join();
        EXPECT_EQ(elsewhere, MermaidBlocks::Theme::dark);
        MermaidBlocks::html(source);
    }
    EXPECT_EQ(MermaidBlocks::theme(), MermaidBlocks::Theme::dark);
    const auto asked = MermaidBlocks::takeRequests();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].theme, MermaidBlocks::Theme::light);
}

TEST_F(MermaidBlocksTest, TheOldestDiagramsGoBeyondTheCapacity)
{
    auto request = [](int i) { return MermaidBlocks::Request{MermaidBlocks::Theme::light, QString::number(i)}; };
    for (int i = 0; i <= MermaidBlocks::capacity; ++i)
        MermaidBlocks::storeDiagram(request(i), QStringLiteral("<svg/>"));
    EXPECT_EQ(MermaidBlocks::html(QStringLiteral("0")), placeholder);
    EXPECT_EQ(MermaidBlocks::html(QStringLiteral("1")), QStringLiteral("<svg/>"));
    EXPECT_EQ(MermaidBlocks::html(QString::number(MermaidBlocks::capacity)), QStringLiteral("<svg/>"));
}

TEST(DiagramStyle, OnlyRulesScopedToTheDiagramSurvive)
{
    const QString scope = QStringLiteral("#mermaid-ab");
    EXPECT_EQ(
        CSSSanitizer::cleanSheet(QStringLiteral("#mermaid-ab{fill:#333;font-size:16px}"
                                                "#mermaid-ab .node rect,#mermaid-ab text.actor>tspan{stroke:red}"),
                                 scope),
        QStringLiteral("#mermaid-ab{fill:#333;font-size:16px}"
                       "#mermaid-ab .node rect,#mermaid-ab text.actor>tspan{stroke:red}"));
    // The page around the diagram, a longer id with the same start, and a list with one stray selector.
    EXPECT_EQ(CSSSanitizer::cleanSheet(QStringLiteral("body{fill:red}.md{stroke:red}#mermaid-abc .x{fill:red}"
                                                      "#mermaid-ab .a,main{fill:red}"),
                                       scope),
              QString());
    // At-rules, nested blocks and animations go; the rules after them stay.
    EXPECT_EQ(
        CSSSanitizer::cleanSheet(QStringLiteral("@import url(http://h/a.css);@keyframes dash{to{stroke-dashoffset:0}}"
                                                "@font-face{src:url(http://h/f.woff)}#mermaid-ab .e{animation:dash 5s;"
                                                "stroke-dasharray:9,5!important}"),
                                 scope),
        QStringLiteral("#mermaid-ab .e{stroke-dasharray:9,5!important}"));
}

TEST(DiagramStyle, NoValueNamesAResourceOutsideTheDocument)
{
    const QString scope = QStringLiteral("#m");
    EXPECT_EQ(CSSSanitizer::cleanSheet(QStringLiteral("#m .a{fill:url(http://h/1.png);stroke:blue}"), scope),
              QStringLiteral("#m .a{stroke:blue}"));
    EXPECT_EQ(CSSSanitizer::cleanSheet(QStringLiteral("#m .a{marker-end:url(#m_arrow);background:url(x.png)}"), scope),
              QStringLiteral("#m .a{marker-end:url(#m_arrow)}"));
    // Escapes could spell anything; comments could hide a function name.
    EXPECT_EQ(CSSSanitizer::cleanSheet(QStringLiteral("#m .a{fill:u\\72l(http://h/2.png)}"), scope), QString());
    EXPECT_EQ(CSSSanitizer::cleanSheet(QStringLiteral("#m .a{fill:ur/**/l(http://h/3.png);stroke:red}"), scope),
              QStringLiteral("#m .a{stroke:red}"));
    // A scope that is not a plain id keeps nothing.
    EXPECT_EQ(CSSSanitizer::cleanSheet(QStringLiteral("#m x .a{fill:red}"), QStringLiteral("#m x")), QString());
}

TEST(DiagramStyle, TheSVGKeepsItsScopedSheetAsTextOnlyForDiagrams)
{
    const QString svg = QStringLiteral(
        "<svg xmlns=\"http://www.w3.org/2000/svg\" id=\"mermaid-1\"><style>#mermaid-1 .n{fill:red}"
        "p{background:url(http://h/x.png)}#mermaid-1 .a&gt;b{stroke:blue}</style>"
        "<style><![CDATA[</style><script>alert(1)</script>]]></style>"
        "<defs><marker id=\"mermaid-1_end\"><path d=\"M0 0\"/></marker></defs>"
        "<path d=\"M0 0 9 9\" marker-end=\"url(#mermaid-1_end)\"/>"
        "<foreignObject><div xmlns=\"http://www.w3.org/1999/xhtml\">x</div></foreignObject></svg>");
    const QString diagram = SVGSanitizer::cleanDiagram(svg);
    EXPECT_TRUE(
        diagram.contains(QStringLiteral("<style>#mermaid-1 .n{fill:red}#mermaid-1 .a&gt;b{stroke:blue}</style>")))
        << diagram.toStdString();
    EXPECT_FALSE(diagram.contains(QLatin1String("http://h")));
    EXPECT_FALSE(diagram.contains(QLatin1String("<script")));
    EXPECT_FALSE(diagram.contains(QLatin1String("foreignObject")));
    EXPECT_TRUE(diagram.contains(QLatin1String("marker-end=\"url(#mermaid-1_end)\"")));
    // Other SVG (PlantUML's) keeps no sheet at all.
    EXPECT_FALSE(SVGSanitizer::clean(svg).contains(QLatin1String("<style")));
}
