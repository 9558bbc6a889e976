// Diagrams and formulas drawn for the preview: sanitised, themed, and walled off.
#include "../oracle/LoopbackServer.h"
#include "../oracle/MermaidVectors.h"
#include "PageScript.h"
#include "PreviewWindow.h"
#include "WaitUntil.h"
#include "WindowFixture.h"
#include "editor/Palette.h"
#include "plugins/MermaidBlocks.h"
#include "views/webengine/MermaidRenderer.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <gtest/gtest.h>

namespace {

const QString flowchart = QStringLiteral("graph TD\n  A[开始] --> B{判断}\n  B -->|是| C[完成]");
const QString sequence = QStringLiteral("sequenceDiagram\n  Alice->>Bob: 你好\n  Bob-->>Alice: 好的");

class Mermaid : public ::testing::Test {
protected:
    void SetUp() override
    {
        MermaidBlocks::clear();
        MermaidBlocks::setTheme(MermaidBlocks::Theme::light);
    }
    void TearDown() override { MermaidBlocks::clear(); }

    // The block's HTML once the renderer has drawn it.
    static QString drawn(MermaidRenderer& renderer, const QString& source)
    {
        MermaidBlocks::html(source);
        renderer.settle();
        return MermaidBlocks::html(source);
    }
};

}

TEST_F(Mermaid, DiagramsArriveAsSanitisedSVGErrorsAsTextAndEachThemeItsOwn)
{
    MermaidRenderer renderer;
    EXPECT_TRUE(MermaidBlocks::html(flowchart).contains(QStringLiteral("正在渲染…")));
    const QString html = drawn(renderer, flowchart);
    ASSERT_TRUE(html.startsWith(QLatin1String("<svg"))) << html.left(300).toStdString();
    const MermaidBlocks::Request request{MermaidBlocks::Theme::light, flowchart};
    EXPECT_TRUE(html.contains(QStringLiteral("id=\"") + MermaidBlocks::diagramId(request) + u'"'));
    // Labels are SVG text: no HTML inside the drawing.
    EXPECT_TRUE(html.contains(QStringLiteral("开始")));
    EXPECT_TRUE(html.contains(QStringLiteral("完成")));
    EXPECT_FALSE(html.contains(QLatin1String("foreignObject")));
    EXPECT_FALSE(html.contains(QLatin1String("<script")));
    // The diagram's look stays, scoped to it.
    EXPECT_TRUE(html.contains(QStringLiteral("<style>#") + MermaidBlocks::diagramId(request)));
    EXPECT_FALSE(html.contains(QLatin1String("@keyframes")));

    const QString seq = drawn(renderer, sequence);
    EXPECT_TRUE(seq.startsWith(QLatin1String("<svg")));
    EXPECT_TRUE(seq.contains(QStringLiteral("你好")));
    EXPECT_TRUE(seq.contains(QLatin1String("marker-end=\"url(#")));
    // A journey wraps its task text in HTML with an SVG fallback: the fallback is what stays.
    const QString journey = drawn(renderer, QStringLiteral("journey\n  title 一天\n  section 上午\n    喝咖啡: 5: 我"));
    EXPECT_TRUE(journey.startsWith(QLatin1String("<svg")));
    EXPECT_FALSE(journey.contains(QLatin1String("foreignObject")));
    EXPECT_FALSE(journey.contains(QLatin1String("<div")));
    EXPECT_TRUE(journey.contains(QStringLiteral("喝咖啡</tspan>")) || journey.contains(QStringLiteral("喝咖啡</text>")))
        << journey.toStdString();
    EXPECT_EQ(renderer.scriptDialogs(), 0);

    // Errors are text, never the renderer's markup, and the page stays good.
    const QString error = drawn(renderer, QStringLiteral("graph TD\n  A[ -->\n"));
    EXPECT_TRUE(error.startsWith(QStringLiteral("<div class=\"err\">Mermaid 图表错误："))) << error.toStdString();
    EXPECT_FALSE(error.contains(QLatin1String("<svg")));
    EXPECT_FALSE(error.contains(QLatin1String("Syntax error in text")));
    const QString unknown = drawn(renderer, QStringLiteral("notADiagram <b>x</b>"));
    EXPECT_TRUE(unknown.startsWith(QStringLiteral("<div class=\"err\">Mermaid 图表错误：")));
    EXPECT_FALSE(unknown.contains(QLatin1String("<b>")));
    // The page is still good for the next diagram.
    EXPECT_TRUE(drawn(renderer, flowchart).startsWith(QLatin1String("<svg")));

    // The dark theme is a diagram of its own.
    MermaidBlocks::setTheme(MermaidBlocks::Theme::dark);
    EXPECT_TRUE(MermaidBlocks::html(flowchart).contains(QStringLiteral("正在渲染…")));
    const QString dark = drawn(renderer, flowchart);
    ASSERT_TRUE(dark.startsWith(QLatin1String("<svg")));
    EXPECT_NE(html, dark);
    // Mermaid's dark theme fills nodes with its dark blue-grey; the default one with lavender.
    EXPECT_TRUE(html.contains(QLatin1String("#ECECFF"), Qt::CaseInsensitive));
    EXPECT_FALSE(dark.contains(QLatin1String("#ECECFF"), Qt::CaseInsensitive));
}

// A diagram past its budget, or whose page's process dies, fails with a
// reason; the next diagram gets a fresh page and does not wait.
TEST_F(Mermaid, AnOverrunOrADeadPageFailsItsDiagramAndTheNextGetsAFreshPage)
{
    MermaidRenderer renderer;
    // Warm, so the budget below is spent inside the diagram itself.
    ASSERT_TRUE(drawn(renderer, flowchart).startsWith(QLatin1String("<svg")));
    // Within the library's limits on text and edges, but far beyond the budget below.
    const auto heavy = [](char node, int step) {
        QString out = QStringLiteral("graph TD\n");
        for (int i = 0; i < 450; ++i)
            out += QStringLiteral("  %1%2[节点 %2] --> %1%3\n").arg(QLatin1Char(node)).arg(i).arg((i * step + 1) % 450);
        return out;
    };
    renderer.setBudget(300);
    QElapsedTimer clock;
    clock.start();
    const QString late = drawn(renderer, heavy('N', 7));
    EXPECT_TRUE(late.contains(QStringLiteral("Mermaid 图表错误：渲染超时（1 秒内没有完成）")))
        << late.left(300).toStdString();
    EXPECT_LT(clock.elapsed(), 3000);
    EXPECT_EQ(renderer.pagesOpened(), 1);
    renderer.setBudget(MermaidRenderer::budgetMSecs);
    EXPECT_TRUE(drawn(renderer, sequence).startsWith(QLatin1String("<svg")));
    EXPECT_EQ(renderer.pagesOpened(), 2);

    const qint64 pid = renderer.renderProcessPid();
    ASSERT_GT(pid, 0);
    const QString doomed = heavy('M', 11);
    MermaidBlocks::html(doomed);
    renderer.drain();
    ASSERT_TRUE(renderer.busy());
    clock.restart();
    ::kill(pid_t(pid), SIGKILL);
    renderer.settle();
    EXPECT_LT(clock.elapsed(), MermaidRenderer::budgetMSecs / 2);
    EXPECT_TRUE(MermaidBlocks::html(doomed).contains(QStringLiteral("Mermaid 图表错误：")))
        << MermaidBlocks::html(doomed).left(200).toStdString();
    EXPECT_TRUE(drawn(renderer, flowchart + u'\n').startsWith(QLatin1String("<svg")));
}

namespace {

struct Attempts {
    int requests = 0;
    int dialogs = 0;
    int refused = 0;
    QStringList drawnWithoutError;
};

// Draws every hostile diagram in a renderer with the given walls.
Attempts attack(MermaidWalls walls)
{
    LoopbackServer loopback;
    MermaidRenderer renderer(nullptr, walls);
    renderer.setBudget(4000);
    Attempts a;
    for (const char* text : MermaidVectors::diagrams) {
        const QString source = loopback.place(text);
        MermaidBlocks::html(source);
        renderer.settle();
        if (MermaidBlocks::html(source).startsWith(QLatin1String("<svg")))
            a.drawnWithoutError << source;
    }
    // Late loads of the last diagrams get their turn. Without walls the first
    // request is awaited, not hoped for within the pause: a loaded machine
    // makes it late. The caller checks that it came.
    if (!walls.refuseRequests && !walls.pagePolicy)
        (void)waitUntil([&] { return loopback.requests > 0; }, 15000);
    QEventLoop loop;
    QTimer::singleShot(500, &loop, &QEventLoop::quit);
    loop.exec();
    a.requests = loopback.requests;
    a.dialogs = renderer.scriptDialogs();
    a.refused = renderer.refusedRequests();
    return a;
}

}

// Each wall alone keeps the hostile diagrams offline and scriptless; without
// either the vectors do reach out, so the rows with a wall can fail.
TEST_F(Mermaid, EachWallAloneKeepsTheHostileDiagramsOffline)
{
    const Attempts open = attack({.refuseRequests = false, .pagePolicy = false});
    EXPECT_GE(open.requests, 1);
    std::printf("both walls down: %d requests, %d script runs\n", open.requests, open.dialogs);
    const Attempts refusing = attack({.refuseRequests = true, .pagePolicy = false});
    const Attempts policed = attack({.refuseRequests = false, .pagePolicy = true});
    for (const Attempts* a : {&refusing, &policed}) {
        SCOPED_TRACE(a == &refusing ? "refusing requests" : "page policy");
        EXPECT_EQ(a->requests, 0);
        EXPECT_EQ(a->dialogs, 0);
    }
    // They did try: the refusals were the interceptor's; most are still
    // ordinary diagrams once their tricks are ignored.
    EXPECT_GE(refusing.refused, 1);
    EXPECT_GE(refusing.drawnWithoutError.size(), 8);
}

namespace {

using MermaidWindow = PreviewWindow;

const QString drawnInPage = QStringLiteral(
    "(function(){var d=document.querySelector('#c .mermaid');"
    "return !!d&&!!d.querySelector('svg')&&d.textContent.indexOf('正在渲染')<0;})()");

}

// The window's own preview: the diagram replaces its placeholder, typing
// elsewhere draws nothing again, and the appearance picks the diagram's theme.
TEST_F(MermaidWindow, ThePreviewShowsTheDiagramKeepsItWhileTypingAndFollowsTheTheme)
{
    MermaidBlocks::clear();
    Palette::setAppearance(false);
    window->openFiles(
        {write(QStringLiteral("a.md"), QByteArray("# 标题\n\n```mermaid\n") + flowchart.toUtf8() + "\n```\n\n正文\n")});
    ASSERT_TRUE(previewMade());
    ASSERT_TRUE(showing(drawnInPage));
    const QString lightId = MermaidBlocks::diagramId({MermaidBlocks::Theme::light, flowchart + u'\n'});
    EXPECT_TRUE(showing(QStringLiteral("!!document.getElementById('%1')").arg(lightId)));

    // A keystroke at the end of the text (the caret's place on opening is not assumed).
    QWidget* editor = focused();
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_End, Qt::ControlModifier);
    type(QStringLiteral("zq"));
    ASSERT_TRUE(showing(QStringLiteral("document.getElementById('c').textContent.indexOf('zq')>=0")));
    EXPECT_FALSE(MermaidBlocks::hasRequests());
    EXPECT_TRUE(showing(drawnInPage));

    Palette::setAppearance(true);
    const QString darkId = MermaidBlocks::diagramId({MermaidBlocks::Theme::dark, flowchart + u'\n'});
    EXPECT_TRUE(showing(QStringLiteral("!!document.getElementById('%1')").arg(darkId)));
    EXPECT_TRUE(showing(drawnInPage));
}

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
