#include "../oracle/ScriptOracle.h"
#include "plugins/HTMLSanitizer.h"
#include "plugins/Markdown.h"
#include "plugins/MarkdownPlugin.h"

#include <gtest/gtest.h>

namespace {
QString html(const char* text) { return Markdown::html(QString::fromUtf8(text)); }
}

// Judged by the browser-like oracle, through the sanitiser alone, the
// renderer and the preview's whole pipeline. Many rely on the browser
// tokenising differently from a simple scan: raw-text elements, tags spliced
// together once another is removed, attribute quotes left open across
// blocks, and placeholders typed by hand.
TEST(MarkdownSanitizing, HostileInputsRenderNothingExecutable)
{
    const char* hostile[] = {
        "<script>alert(1)</script>",
        "<SCRIPT SRC=//x.js></SCRIPT>",
        "<scr<script>ipt>alert(1)</script>",
        "<script>alert(1)",
        "a <script>alert(1)</script> b",
        "<img src=x onerror=alert(1)>",
        "<img/src=x/onerror=alert(1)>",
        "<img src=x\tonerror=alert(1)>",
        "<img src=x onerror\n=alert(1)>",
        "<img src=\"x\"onerror=\"alert(1)\">",
        "<svg/onload=alert(1)>",
        "<svg><a xlink:href=\"javascript:alert(1)\"><text>x</text></a></svg>",
        "<a href=\"jav&#x61;script:alert(1)\">x</a>",
        "<a href=\"jav&#97;script:alert(1)\">x</a>",
        "<a href=\"javascript&colon;alert(1)\">x</a>",
        "<a href=\"java&Tab;script:alert(1)\">x</a>",
        "<a href=\" javascript:alert(1)\">x</a>",
        "<a href=JaVaScRiPt:alert(1)>x</a>",
        "<a href='vbscript:msgbox(1)'>x</a>",
        "<a href=\"data:text/html;base64,PHNjcmlwdD5hbGVydCgxKTwvc2NyaXB0Pg==\">x</a>",
        "<iframe src=\"javascript:alert(1)\"></iframe>",
        "<iframe srcdoc=\"<script>alert(1)</script>\">",
        "<object data=\"javascript:alert(1)\"></object>",
        "<embed src=\"javascript:alert(1)\">",
        "<form action=\"javascript:alert(1)\"><button>go</button></form>",
        "<button formaction=\"javascript:alert(1)\">go</button>",
        "<meta http-equiv=\"refresh\" content=\"0;url=javascript:alert(1)\">",
        "<base href=\"javascript:alert(1)//\">",
        "<link rel=import href=\"data:text/html,<script>alert(1)</script>\">",
        "<body onload=alert(1)>",
        "<div style=\"background:url(javascript:alert(1))\">x</div>",
        "<svg><animate attributeName=href to=javascript:alert(1) /></svg>",
        "<svg><set attributeName=onmouseover to=alert(1) /></svg>",
        "<math><a xlink:href=javascript:alert(1)>x</a></math>",
        "<details open ontoggle=alert(1)>",
        "<video><source onerror=\"alert(1)\"></video>",
        "<input autofocus onfocus=alert(1)>",
        "<a href=\"#\" onclick=\"alert(1)\" >x</a>",
        "<a href=\"&#106;&#97;&#118;&#97;&#115;&#99;&#114;&#105;&#112;&#116;&#58;alert(1)\">x</a>",
        "<a href=\"&#x6A;&#x61;&#x76;&#x61;&#x73;&#x63;&#x72;&#x69;&#x70;&#x74;&#x3A;alert(1)\">x</a>",
        "<!--><script>alert(1)</script>-->",
        "<style>@import 'javascript:alert(1)';</style>",
        "<p title=\"</p><script>alert(1)</script>\">x</p>",
        "[点我](javascript:alert(1))",
        "[点我](JAVASCRIPT:alert(1))",
        "[x](jav&#x61;script:alert(1))",
        "![图](javascript:alert(1))",
        "[x](data:text/html;base64,PHNjcmlwdD4=)",
        "text <img src=x onerror=alert(1)> inline",
        "- <img src=x onerror=alert(1)>",
        "> <a href=\"javascript:alert(1)\">q</a>",
        "| a |\n|---|\n| <img src=x onerror=alert(1)> |",
        "# <svg onload=alert(1)>",
        "`code` <img src=x onerror=alert(1)>",
        "<xmp><!--</xmp><img src=x onerror=alert(1)>-->",
        "<noscript><p title=\"</noscript><img src=x onerror=alert(1)>\"></noscript>",
        "<textarea><!--</textarea><img src=x onerror=alert(1)>-->",
        "<noembed><!--</noembed><img src=x onerror=alert(1)>-->",
        "<<meta>script>alert(1)<</meta>/script>",
        "<div><<iframe>script src=//x.js></script></div>",
        "<scr<script>ipt>alert(1)</scr</script>ipt>",
        "<p title=\"\n\n<b title='\" onmouseover=alert(1) x='>",
        "<div title=\"a\">\n<p title=\"\n\n<b x='\" onclick=alert(1) y='>q</b>",
        "![<b title=\"x\" onclick=\"y\">](z)",
        "[<b title=\"\" onclick=alert(1) \">x</b>](y)",
        "<a href=\"java\tscript:alert(1)\">x</a>",
        "<a href=\"jav&#97script:alert(1)\">x</a>",
        "<svg><animate attributeName=href values=javascript:alert(1) /></svg>",
        "<!----!><img src=x onerror=alert(1)>-->",
        "\x02\x30\x02 <img src=x onerror=alert(1)> \x02\x30\x02",
        "<svg><script>alert(1)</script></svg>",
        "<x =onclick=alert(1)>",
        "<embed src=data:text/html,x>",
        "<math><maction actiontype=statusline xlink:href=javascript:alert(1)>x</maction></math>",
        "<p style=\"x:expression(alert(1))\">",
        "<a x/= y=\"z onclick=alert(1)//\">x</a>",
        "<a&a hre/= href=\"<1>--><iframe srcdoc=\"x\">",
        "<a x/='y onclick=alert(1)//'>",
        "<a \"=x onclick=alert(1)//>",
        "<p style=\"x:expression\x1e(1)\">",
        "<p style=\"x:expression\t(1)\">",
        "<p style=\"background:u\\72l(x)\">",
        "<<img src=x onerror=alert(1)>>",
        "<img src=\"x\" alt=\"\"onerror=alert(1)>",
        "<img src=x onerror\t=\talert(1)>",
        "<noscript><img src=x onerror=alert(1)></noscript>",
        "<img srcset=\"javascript:alert(1) 1x\">",
        "<video poster=javascript:alert(1)>",
    };
    for (const char* input : hostile)
        for (const QString& out : {html(input), MarkdownPlugin::previewHTML(QString::fromUtf8(input)),
                                   HTMLSanitizer::clean(QString::fromUtf8(input))}) {
            EXPECT_EQ(ScriptOracle::finding(out), QString()) << input << "\n  -> " << out.toStdString();
            EXPECT_FALSE(out.contains(QLatin1String("<form"), Qt::CaseInsensitive)) << input;
        }
}

TEST(MarkdownSanitizing, HarmlessMarkupSurvives)
{
    EXPECT_EQ(Markdown::sanitize(QStringLiteral("<a href=\"https://例子.cn/?a=1&amp;b=2\" title='说明'>x</a>")),
              QStringLiteral("<a href=\"https://例子.cn/?a=1&amp;b=2\" title=\"说明\">x</a>"));
    EXPECT_EQ(Markdown::sanitize(QStringLiteral("<img src=\"data:image/png;base64,AAAA\" alt=\"\">")),
              QStringLiteral("<img src=\"data:image/png;base64,AAAA\" alt=\"\">"));
    EXPECT_EQ(Markdown::sanitize(QStringLiteral("<div class=note>a < b</div>")),
              QStringLiteral("<div class=\"note\">a &lt; b</div>"));
    EXPECT_EQ(Markdown::sanitize(QStringLiteral("<input type=\"checkbox\" disabled checked>")),
              QStringLiteral("<input type=\"checkbox\" disabled checked>"));
    EXPECT_EQ(Markdown::sanitize(QStringLiteral("<br/>")), QStringLiteral("<br />"));
}

TEST(MarkdownSanitizing, LeadingCommentsAndDeclarationsPassOnlyWhenInert)
{
    const auto s = [](const char* in) { return Markdown::sanitize(QString::fromUtf8(in)); };
    // As written, where a browser reads them as a comment or a declaration up to their end.
    EXPECT_EQ(s("<!-- 注释 -->\n<b>x</b>"), QStringLiteral("<!-- 注释 -->\n<b>x</b>"));
    EXPECT_EQ(s("  <!DOCTYPE html>"), QStringLiteral("  <!DOCTYPE html>"));
    EXPECT_EQ(s("<?php echo '>';\n?>"), QStringLiteral("<?php echo '>';\n?>"));
    EXPECT_EQ(s("<![CDATA[ a < b ]]>"), QStringLiteral("<![CDATA[ a < b ]]>"));
    // A browser ends these earlier than the eye does: what follows is cleaned.
    EXPECT_EQ(s("<!--><img src=x onerror=alert(1)>"), QStringLiteral("<!--><img src=\"x\">"));
    EXPECT_EQ(s("<!-- a --!><img src=x onerror=alert(1)>-->"), QStringLiteral("<!-- a --!><img src=\"x\">-->"));
    EXPECT_EQ(s("<?x ><img src=x onerror=alert(1)>"), QStringLiteral("<?x ><img src=\"x\">"));
    // Anything holding markup goes to the sanitiser whole, and an unclosed one too.
    EXPECT_FALSE(s("<!-- <img src=x onerror=alert(1)> -->").contains(QLatin1String("onerror")));
    EXPECT_FALSE(s("<!-- open <b>").startsWith(QLatin1String("<!--")));
    EXPECT_FALSE(s("<!-- never closed").startsWith(QLatin1String("<!--")));
}
