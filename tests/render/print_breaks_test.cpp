#include "render/PrintBreaks.h"

#include <gtest/gtest.h>

namespace {
QString code(int lines)
{
    QString out = QStringLiteral("<pre data-line=\"9\"><code>");
    for (int i = 0; i < lines; ++i)
        out += QStringLiteral("x = &lt;div&gt;%1\n").arg(i);
    return out + QStringLiteral("</code></pre>");
}
}

// What paper may not cut goes into one box: a heading with what it
// introduces, a code block that fits on a page.
TEST(PrintBreaks, HeadingsAndShortCodeGoIntoBoxesPaperKeepsWhole)
{
    const QString shortCode = code(PrintBreaks::shortCodeLines);
    const QString longCode = code(PrintBreaks::shortCodeLines + 1);
    const QString keep = QStringLiteral("<div class=\"keep\">");
    struct Case {
        const char* what;
        QString html;
        QString kept;
    };
    const Case cases[] = {
        {"heading and diagram",
         QStringLiteral(
             "<h2 data-line=\"3\">二</h2>\n<div class=\"mermaid\"><svg><g><div>a</div></g></svg></div>\n<p>z</p>"),
         keep
             + QStringLiteral("<h2 data-line=\"3\">二</h2>\n<div "
                              "class=\"mermaid\"><svg><g><div>a</div></g></svg></div></div>\n<p>z</p>")},
        {"nested elements of the same name",
         QStringLiteral("<h3>x</h3><div><div>a</div><div>b</div></div><div>c</div>"),
         keep + QStringLiteral("<h3>x</h3><div><div>a</div><div>b</div></div></div><div>c</div>")},
        {"a run of headings goes with the element after the last",
         QStringLiteral("<h1>章</h1>\n<h2>节</h2>\n") + shortCode + QStringLiteral("\n"),
         keep + QStringLiteral("<h1>章</h1>\n<h2>节</h2>\n") + shortCode + QStringLiteral("</div>\n")},
        {"each heading its own box",
         QStringLiteral("<h2>a</h2><p>1</p><p>2</p><h2>b</h2><table><tr><td>3</td></tr></table>"),
         keep + QStringLiteral("<h2>a</h2><p>1</p></div><p>2</p>") + keep
             + QStringLiteral("<h2>b</h2><table><tr><td>3</td></tr></table></div>")},
        {"short code alone", QStringLiteral("<p>a</p>") + shortCode,
         QStringLiteral("<p>a</p>") + keep + shortCode + QStringLiteral("</div>")},
        {"long code breaks between its lines", QStringLiteral("<p>a</p>") + longCode,
         QStringLiteral("<p>a</p>") + longCode},
        {"long code under a heading: a box taller than the page would leave the heading alone",
         QStringLiteral("<h2>a</h2>") + longCode, QStringLiteral("<h2>a</h2>") + longCode},
        {"an element without end tag", QStringLiteral("<h4>a</h4><hr><p>b</p>"),
         keep + QStringLiteral("<h4>a</h4><hr></div><p>b</p>")},
        {"a quoted '>' is no tag's end", QStringLiteral("<h2>a</h2><p title=\"x>y\">b</p>"),
         keep + QStringLiteral("<h2>a</h2><p title=\"x>y\">b</p></div>")},
        {"last in its container: nothing to keep with", QStringLiteral("<div class=\"md\"><p>a</p><h2>b</h2></div>"),
         QStringLiteral("<div class=\"md\"><p>a</p><h2>b</h2></div>")},
        {"no heading", QStringLiteral("<table><tr><th>h1</th></tr></table><header>x</header><h7>y</h7><p>z</p>"),
         QStringLiteral("<table><tr><th>h1</th></tr></table><header>x</header><h7>y</h7><p>z</p>")},
        {"unclosed heading left as it is", QStringLiteral("<h2>a<p>b</p>"), QStringLiteral("<h2>a<p>b</p>")},
        {"unclosed element after it left as it is", QStringLiteral("<h2>a</h2><div>b"),
         QStringLiteral("<h2>a</h2><div>b")},
        {"closing tag cut off at the end", QStringLiteral("<h2>a</h2><p>b</p"), QStringLiteral("<h2>a</h2><p>b</p")},
        {"upper-case tags, the last level", QStringLiteral("<H6>a</H6><DIV>b</DIV>"),
         keep + QStringLiteral("<H6>a</H6><DIV>b</DIV></div>")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(PrintBreaks::mark(c.html).toStdString(), c.kept.toStdString());
    }
}
