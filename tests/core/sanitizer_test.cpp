#include "../oracle/RemoteVectors.h"
#include "../oracle/ScriptOracle.h"
#include "plugins/FormatPlugin.h"
#include "plugins/HTMLSanitizer.h"
#include "plugins/PluginRegistry.h"
#include "plugins/SVGSanitizer.h"

#include <gtest/gtest.h>

namespace {

const QString svgOpen = QStringLiteral(
    "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\">");

QString svgError(const QString& text)
{
    try {
        SVGSanitizer::clean(text);
    } catch (const PluginError& e) {
        return e.message;
    }
    return {};
}

}

// The oracle must see what browsers see, or every "zero findings" below is empty.
TEST(ScriptOracle, FindsWhatBrowsersRun)
{
    // Quoted ">" and "<" do not end a tag.
    for (const char* run : {"<img src=x onerror=alert(1)>", "<a href=\"jav&#x09;ascript:alert(1)\">x</a>",
                            "<a href=\"&#00000000106;avascript:alert(1)\">x</a>", "<a href=\" JaVaScRiPt&colon;x\">",
                            "<!--><img src onerror=1>-->", "<img alt=\"<x\" src=x onerror=1>", "<svg/onload=1>",
                            "<iframe srcdoc=x>", "<object data=\"data:text/html,x\">",
                            "<a href=data:text/html;base64,PHNjcmlwdD4=>", "<img title=\"a>b\" onload=1>"})
        EXPECT_NE(ScriptOracle::finding(QString::fromUtf8(run)), QString()) << run;
    // Comments and text hide nothing harmful.
    EXPECT_EQ(ScriptOracle::finding(
                  QStringLiteral("<!-- <img src=x onerror=1> --><p title=\"onerror=1\">a &lt;img onerror=1&gt;</p>")),
              QString());
    EXPECT_EQ(ScriptOracle::finding(
                  QStringLiteral("<a href=\"https://x.org/javascript:y\">x</a><img src=\"data:image/png;base64,AA\">")),
              QString());
    // A tag cut off by the end of the text is dropped by browsers.
    EXPECT_EQ(ScriptOracle::finding(QStringLiteral("<img src=x onerror=\"1")), QString());
}

TEST(HTMLSanitizer, CharacterReferencesOfAnyLengthAreDecodedBeforeJudging)
{
    for (const char* attack :
         {"<a href=\"&#00000000106;avascript:alert(1)\">x</a>",
          "<a href=\"&#0000000000000000000000106avascript:alert(1)\">x</a>",
          "<a href=\"&#x00000000006A;avascript:alert(1)\">x</a>", "<a href=\"&#X6a&#X61vascript:alert(1)\">x</a>",
          "<a href=\"&#106&#97&#118&#97&#115&#99&#114&#105&#112&#116&#58alert(1)\">x</a>",
          "<a href=\"java&#0000009;script:alert(1)\">x</a>", "<a href=\"java&Tab;script&colon;alert(1)\">x</a>",
          "<img src=\"&#x0000000000064;ata:text/html,x\">"}) {
        const QString html = HTMLSanitizer::clean(QString::fromUtf8(attack));
        EXPECT_EQ(ScriptOracle::finding(html), QString()) << attack << " -> " << html.toStdString();
        EXPECT_TRUE(html.contains(QStringLiteral("=\"#\""))) << html.toStdString();
    }
    // Overlong and out-of-range values become U+FFFD, as in browsers, and never wrap around.
    EXPECT_EQ(HTMLSanitizer::decodeReferences(QStringLiteral("&#99999999999999999999;&#x110000;&#0;")),
              QString(3, QChar(0xFFFD)));
    EXPECT_EQ(HTMLSanitizer::decodeReferences(QStringLiteral("&#4294967402;")), QString(QChar(0xFFFD)));
    EXPECT_EQ(HTMLSanitizer::decodeReferences(QStringLiteral("&#x1F600;")), QString::fromUcs4(U"\U0001F600", 1));
    EXPECT_EQ(HTMLSanitizer::decodeReferences(QStringLiteral("a&#;b&#xg;")), QStringLiteral("a&#;b&#xg;"));
    // Harmless URLs keep their exact spelling.
    EXPECT_EQ(HTMLSanitizer::safeURL(QStringLiteral("https://x.org/?a=1&amp;b=&#50;")),
              QStringLiteral("https://x.org/?a=1&amp;b=&#50;"));
}

TEST(SVGSanitizer, KeepsDrawingDropsScriptHandlersAndOutsideReferences)
{
    const QString svg = SVGSanitizer::clean(QStringLiteral(
        "<?xml version=\"1.0\"?><!DOCTYPE svg><svg xmlns=\"http://www.w3.org/2000/svg\" "
        "xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
        "contentScriptType=\"application/ecmascript\" onload=\"alert(1)\" viewBox=\"0 0 10 10\" width=\"10px\">"
        "<defs><filter id=\"f\"><feGaussianBlur stdDeviation=\"2.0\"/></filter></defs><!--x-->"
        "<g><a href=\"javascript:alert(1)\" xlink:href=\"javascript:alert(1)\" target=\"_top\"><rect fill=\"#FEFECE\" "
        "filter=\"url(#f)\" "
        "x=\"1\" onclick=\"alert(1)\" style=\"stroke: #A80036;\"/></a>"
        "<a href=\"https://x.org/?a=1&amp;b=2\" target=\"_top\"><text x=\"1\" y=\"2\">A &lt;b&gt; &amp; "
        "&#106;</text></a>"
        "<script>alert(1)</script><script xlink:href=\"http://e/x.js\"/>"
        "<foreignObject><div xmlns=\"http://www.w3.org/1999/xhtml\"><img src=\"x\" "
        "onerror=\"alert(1)\"/></div></foreignObject>"
        "<use href=\"http://e/s.svg#a\"/><use xlink:href=\"#f\"/><image href=\"data:image/svg+xml,&lt;svg "
        "onload=alert(1)&gt;\"/>"
        "<image xlink:href=\"data:image/png;base64,AAAA\"/><image href=\"file:///etc/passwd\"/>"
        "<rect style=\"fill:url(http://e/p.svg#x)\" fill=\"url( 'https://e/x#y')\"/>"
        "<animate attributeName=\"href\" to=\"javascript:alert(1)\"/><set attributeName=\"onclick\" to=\"alert(1)\"/>"
        "<style>@import url(http://e/x.css);</style></g></svg>"));
    EXPECT_EQ(ScriptOracle::finding(svg), QString()) << svg.toStdString();
    EXPECT_TRUE(svg.startsWith(
        QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
                       "viewBox=\"0 0 10 10\" width=\"10px\">")));
    EXPECT_TRUE(svg.contains(
        QStringLiteral("<filter id=\"f\"><feGaussianBlur stdDeviation=\"2.0\"></feGaussianBlur></filter>")));
    EXPECT_TRUE(svg.contains(QStringLiteral(
        "<a target=\"_top\"><rect fill=\"#FEFECE\" filter=\"url(#f)\" x=\"1\" style=\"stroke:#A80036\"></rect></a>")));
    EXPECT_TRUE(svg.contains(QStringLiteral("<a href=\"https://x.org/?a=1&amp;b=2\" target=\"_top\"><text x=\"1\" "
                                            "y=\"2\">A &lt;b&gt; &amp; j</text></a>")));
    EXPECT_TRUE(svg.contains(QStringLiteral("<use xlink:href=\"#f\"></use>")));
    EXPECT_TRUE(svg.contains(QStringLiteral("<image xlink:href=\"data:image/png;base64,AAAA\"></image>")));
    for (const char* gone : {"script", "foreignObject", "onerror", "http://e/", "svg+xml", "file:", "animate", "<set",
                             "style>", "@import", "alert"})
        EXPECT_FALSE(svg.contains(QLatin1String(gone))) << gone;
    EXPECT_TRUE(svg.endsWith(QStringLiteral("</g></svg>")));
}

TEST(SVGSanitizer, RejectsWhatIsNotOneWellFormedSVG)
{
    EXPECT_EQ(svgError(svgOpen + QStringLiteral("<g></svg>")).left(21),
              QStringLiteral("PlantUML 输出不是有效的 SVG："));
    EXPECT_EQ(svgError(QStringLiteral("<html><script>alert(1)</script></html>")),
              QStringLiteral("PlantUML 输出不是 SVG"));
    EXPECT_EQ(svgError(QStringLiteral("<svg><g/></svg>")),
              QStringLiteral("PlantUML 输出不是 SVG"));  // no SVG namespace
    EXPECT_FALSE(svgError(QString()).isEmpty());
    // Entity tricks: nested expansion is bounded, external entities never load.
    const QString laughs =
        QStringLiteral("<!DOCTYPE svg [<!ENTITY a \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\">"
                       "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
                       "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
                       "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">]>")
        + svgOpen + QStringLiteral("<text>&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;</text></svg>");
    EXPECT_FALSE(svgError(laughs).isEmpty());
    const QString external = QStringLiteral("<!DOCTYPE svg [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>") + svgOpen
        + QStringLiteral("<text>&x;</text></svg>");
    try {
        EXPECT_FALSE(SVGSanitizer::clean(external).contains(QLatin1String("root:")));
    } catch (const PluginError&) {
    }
}

namespace {

QString withHost(const char* text)
{
    return QString::fromUtf8(text).replace(QLatin1String("HOST"), QLatin1String("127.0.0.1:9"));
}

}

// Nothing but <img src> and link targets may point outside the page.
TEST(HTMLSanitizer, NoCSSOrSVGConstructLoadsFromElsewhere)
{
    const FormatPlugin& markdown = PluginRegistry::plugin(QStringLiteral("a.md"));
    for (const char* vector : RemoteVectors::markdown) {
        const QString html = markdown.previewHTML(withHost(vector));
        EXPECT_EQ(ScriptOracle::remoteLoad(html), QString()) << vector << " -> " << html.toStdString();
        EXPECT_EQ(ScriptOracle::finding(html), QString()) << vector << " -> " << html.toStdString();
    }
    // The oracle sees what it must: one sample of each kind before cleaning.
    EXPECT_NE(ScriptOracle::remoteLoad(withHost(RemoteVectors::markdown[0])), QString());
    EXPECT_NE(ScriptOracle::remoteLoad(withHost(RemoteVectors::markdown[29])), QString());
    EXPECT_NE(ScriptOracle::remoteLoad(withHost(RemoteVectors::markdown[41])), QString());
    EXPECT_EQ(ScriptOracle::remoteLoad(QStringLiteral("<img src=\"http://x/a.png\"><a href=\"http://x/\">x</a>")),
              QString());
    // CSS is read only where a browser reads CSS: not in a title or an alt.
    EXPECT_EQ(
        ScriptOracle::remoteLoad(QStringLiteral("<p title=\"url(http://x/)\">a</p><img alt=\"a\\b\" src=\"y.png\">")),
        QString());
    EXPECT_NE(ScriptOracle::remoteLoad(QStringLiteral("<rect fill=\"url(http://x/#a)\"/>")), QString());
    EXPECT_NE(ScriptOracle::remoteLoad(QStringLiteral("<p style=\"background:u\\rl(http://x/)\">a</p>")), QString());
}

TEST(SVGSanitizer, NoAttributeStyleOrElementLoadsFromElsewhere)
{
    for (const char* vector : RemoteVectors::svg) {
        const QString svg = SVGSanitizer::clean(svgOpen + withHost(vector) + QStringLiteral("</svg>"));
        EXPECT_EQ(ScriptOracle::remoteLoad(svg), QString()) << vector << " -> " << svg.toStdString();
        EXPECT_EQ(ScriptOracle::finding(svg), QString()) << vector << " -> " << svg.toStdString();
    }
}

// The allow-list still lets ordinary documents look the way they were written.
TEST(HTMLSanitizer, KeepsOrdinaryMarkupAndStyles)
{
    EXPECT_EQ(HTMLSanitizer::clean(
                  QStringLiteral("<p align=center style=\"color: #c00; text-align:center;background:#eee\">a</p>")),
              QStringLiteral("<p align=\"center\" style=\"color:#c00;text-align:center;background:#eee\">a</p>"));
    EXPECT_EQ(HTMLSanitizer::clean(
                  QStringLiteral("<span style=\"color:rgb(1, 2, 3);font-family:'Noto Sans', serif\">a</span>")),
              QStringLiteral("<span style=\"color:rgb(1, 2, 3);font-family:'Noto Sans', serif\">a</span>"));
    // Only the declarations that name a resource go.
    EXPECT_EQ(HTMLSanitizer::clean(QStringLiteral("<p style=\"color:red;background:url(x.png);cursor:pointer\">a</p>")),
              QStringLiteral("<p style=\"color:red\">a</p>"));
    EXPECT_EQ(
        HTMLSanitizer::clean(QStringLiteral("<table><tr><td align=right colspan=2 onclick=x>1</td></tr></table>")),
        QStringLiteral("<table><tr><td align=\"right\" colspan=\"2\">1</td></tr></table>"));
    EXPECT_EQ(HTMLSanitizer::clean(QStringLiteral("<details open><summary>s</summary><kbd>K</kbd></details>")),
              QStringLiteral("<details open><summary>s</summary><kbd>K</kbd></details>"));
    EXPECT_EQ(HTMLSanitizer::clean(QStringLiteral("<ol start=3 data-x=1 aria-label=l><li>a</li></ol>")),
              QStringLiteral("<ol start=\"3\" data-x=\"1\" aria-label=\"l\"><li>a</li></ol>"));
    // Unknown elements lose their tags and keep their text; foreign markup goes whole.
    EXPECT_EQ(
        HTMLSanitizer::clean(QStringLiteral("<font color=red>a</font><center>b</center><svg><text>c</text></svg>d")),
        QStringLiteral("abd"));
    EXPECT_EQ(HTMLSanitizer::clean(QStringLiteral("<input type=text value=x><input type=checkbox checked disabled>")),
              QStringLiteral("<input type=\"checkbox\" checked disabled>"));
    // Schemes are an allow-list too.
    for (const char* bad :
         {"ftp://x/", "intent://x", "vbscript:x", "blob:x", "filesystem:x", "ms-its:x", "data:image/svg+xml,x"})
        EXPECT_EQ(HTMLSanitizer::safeURL(QString::fromLatin1(bad)), QStringLiteral("#")) << bad;
    for (const char* good : {"http://x/", "HTTPS://x/", "mailto:a@b", "file:///tmp/a.png", "a/b:c", "#x", "?q=1:2",
                             "data:image/png;base64,AA"})
        EXPECT_EQ(HTMLSanitizer::safeURL(QString::fromLatin1(good)), QString::fromLatin1(good)) << good;
}
