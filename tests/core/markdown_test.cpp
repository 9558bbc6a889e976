#include "plugins/Markdown.h"
#include "plugins/MarkdownPlugin.h"
#include "plugins/Regex.h"

#include <gtest/gtest.h>

namespace {

QString md(const char* text) { return Markdown::html(QString::fromUtf8(text)); }
QString inl(const char* text) { return Markdown::inlineHTML(QString::fromUtf8(text)); }
QString u8(const char* s) { return QString::fromUtf8(s); }

const char* kSample = "# T\n\n- [x] done\n- b\n  - c\n\n| a | b |\n|---|--:|\n| 1 | 2 |\n\n```js\n<x>\n```\n**b** `c`";

}

TEST(MarkdownBlocks, SampleDocumentRendersEveryBlockKind)
{
    const QString h = md(kSample);
    EXPECT_TRUE(h.contains(u8("<h1>T</h1>\n"))) << h.toStdString();
    EXPECT_TRUE(h.contains(u8("<li class=\"task\"><input type=\"checkbox\" disabled checked> done</li>")));
    EXPECT_TRUE(h.contains(u8("<li>b<ul><li>c</li></ul>\n</li></ul>\n")));
    EXPECT_TRUE(h.contains(u8("<table><thead><tr><th>a</th><th style=\"text-align:right\">b</th></tr></thead>"
                              "<tbody><tr><td>1</td><td style=\"text-align:right\">2</td></tr></tbody></table>\n")));
    EXPECT_TRUE(h.contains(u8("<pre><code class=\"lang-js\">&lt;x&gt;</code></pre>\n")));
    EXPECT_TRUE(h.endsWith(u8("<p><strong>b</strong> <code>c</code></p>\n")));
    EXPECT_EQ(MarkdownPlugin::previewHTML(QString()), u8("<div class=\"md\"></div>"));
}

TEST(MarkdownBlocks, HeadingsRulesAndParagraphs)
{
    EXPECT_EQ(md("### Title ##"), u8("<h3>Title</h3>\n"));
    EXPECT_EQ(md("####### seven"), u8("<p>####### seven</p>\n"));
    EXPECT_EQ(md("#tag"), u8("<p>#tag</p>\n"));
    for (const char* rule : {"***", "- - -", "___", " * * * * "})
        EXPECT_EQ(md(rule), u8("<hr>\n")) << rule;
    EXPECT_EQ(md("--"), u8("<p>--</p>\n"));
    EXPECT_EQ(md("-*-"), u8("<p>-*-</p>\n"));
    EXPECT_EQ(md("a  \nb  \nc  "), u8("<p>a<br>\nb<br>\nc</p>\n"));
    EXPECT_EQ(md("a\n# h\nb\n- i"), u8("<p>a</p>\n<h1>h</h1>\n<p>b</p>\n<ul><li>i</li></ul>\n"));
    EXPECT_EQ(md("x\r\ny\rz"), u8("<p>x\ny\nz</p>\n"));
}

TEST(MarkdownBlocks, FencesKeepContentLiteral)
{
    EXPECT_EQ(md("~~~\n# no\n**x**\n~~~\nafter"), u8("<pre><code># no\n**x**</code></pre>\n<p>after</p>\n"));
    EXPECT_EQ(md("```\nopen\n\n- still code"), u8("<pre><code>open\n\n- still code</code></pre>\n"));
    EXPECT_EQ(md("``` a\"b\n```"), u8("<pre><code class=\"lang-a&quot;b\"></code></pre>\n"));
    // A tilde fence is not closed by backticks.
    EXPECT_EQ(md("~~~\n```\n~~~"), u8("<pre><code>```</code></pre>\n"));
}

TEST(MarkdownBlocks, BlockquotesNestAndEndWithoutMarker)
{
    EXPECT_EQ(md("> a\n>> b\nc"), u8("<blockquote><p>a</p>\n<blockquote><p>b</p>\n</blockquote>\n</blockquote>\n<p>c</p>\n"));
    EXPECT_EQ(md(">\n> # h"), u8("<blockquote><h1>h</h1>\n</blockquote>\n"));
}

TEST(MarkdownBlocks, ListsNestTasksAndContinuations)
{
    EXPECT_EQ(md("1. a\n- b"), u8("<ol><li>a</li><li>b</li></ol>\n"));
    EXPECT_EQ(md("- [ ] todo\n- [X] done"),
              u8("<ul><li class=\"task\"><input type=\"checkbox\" disabled> todo</li>"
                 "<li class=\"task\"><input type=\"checkbox\" disabled checked> done</li></ul>\n"));
    EXPECT_EQ(md("- a\nlazy\n- b"), u8("<ul><li>a lazy</li><li>b</li></ul>\n"));
    EXPECT_EQ(md("- a\n\n  more\n- b"), u8("<ul><li>a<p>more</p>\n</li><li>b</li></ul>\n"));
    EXPECT_EQ(md("- a\n\n- b"), u8("<ul><li>a</li></ul>\n<ul><li>b</li></ul>\n"));
    EXPECT_EQ(md("  - a\n- b"), u8("<ul><li>a</li></ul>\n<ul><li>b</li></ul>\n"));
    EXPECT_EQ(md("- a\n# h"), u8("<ul><li>a</li></ul>\n<h1>h</h1>\n"));
    EXPECT_EQ(md("3) x"), u8("<ol><li>x</li></ol>\n"));
    EXPECT_EQ(md("1234567890. x"), u8("<p>1234567890. x</p>\n"));
}

TEST(MarkdownBlocks, TabIndentedChildKeepsItsText)
{
    // A tab is four columns wide; dropping two characters would eat the text.
    EXPECT_EQ(md("- a\n\tb"), u8("<ul><li>a<p>b</p>\n</li></ul>\n"));
    EXPECT_EQ(md("- a\n\t- b"), u8("<ul><li>a<ul><li>b</li></ul>\n</li></ul>\n"));
}

TEST(MarkdownBlocks, ListHelpers)
{
    EXPECT_EQ(Markdown::indent(u8(" \t x")), 6);
    EXPECT_EQ(Markdown::indent(u8("x  ")), 0);
    const auto m = Markdown::listMarker(u8("   12. twelve"));
    ASSERT_TRUE(m);
    EXPECT_EQ(m->indent, 3);
    EXPECT_TRUE(m->ordered);
    EXPECT_EQ(m->text, u8("twelve"));
    EXPECT_FALSE(Markdown::listMarker(u8("-no space")));
    EXPECT_FALSE(Markdown::listMarker(u8("1.5 x")));
}

TEST(MarkdownBlocks, TablesAlignAndKeepRowWidths)
{
    EXPECT_EQ(Markdown::cells(u8(" | a |  b | ")), (QStringList{u8("a"), u8("b")}));
    EXPECT_EQ(Markdown::cells(u8("a|b|c")), (QStringList{u8("a"), u8("b"), u8("c")}));
    EXPECT_EQ(md("a|b|c\n:-|:-:|-\n1|2|3|4\n5"),
              u8("<table><thead><tr><th style=\"text-align:left\">a</th><th style=\"text-align:center\">b</th><th>c</th>"
                 "</tr></thead><tbody><tr><td style=\"text-align:left\">1</td><td style=\"text-align:center\">2</td>"
                 "<td>3</td><td>4</td></tr></tbody></table>\n<p>5</p>\n"));
    // No dash in the second line: not a table.
    EXPECT_EQ(md("a|b\n|:|"), u8("<p>a|b\n|:|</p>\n"));
}

TEST(MarkdownBlocks, HtmlBlocksPassThroughSanitised)
{
    const char* details = "<details><summary>memo</summary><ol><li>a &gt; b</li></ol></details>";
    EXPECT_EQ(md((std::string(details) + "\n\n# x").c_str()), u8(details) + u8("\n<h1>x</h1>\n"));
    EXPECT_EQ(md("<div>\n**not md**\n</div>"), u8("<div>\n**not md**\n</div>\n"));
    EXPECT_EQ(md("<!-- c -->\ntext"), u8("<!-- c -->\ntext\n"));
    EXPECT_EQ(md("<script>alert(1)</script>\n<p>ok</p>"), u8("\n<p>ok</p>\n"));
    EXPECT_EQ(md("<div onclick=\"x()\" id=a>t</div>"), u8("<div id=a>t</div>\n"));
}

TEST(MarkdownBlocks, DeepNestingIsBoundedNotRecursedWithoutLimit)
{
    const QString quotes = QString(100000, u'>') + u8(" deep");
    const QString h = Markdown::html(quotes);
    EXPECT_EQ(h.count(u8("<blockquote>")), Markdown::maxDepth);
    EXPECT_TRUE(h.contains(u8("&gt;&gt;&gt; deep")));
    QString items;
    for (int k = 0; k < 300; ++k)
        items += QString(k * 2, u' ') + u8("- x\n");
    const QString l = Markdown::html(items);
    EXPECT_EQ(l.count(u8("<ul>")), Markdown::maxDepth);
}

TEST(MarkdownInline, CodeSpansProtectTheirContent)
{
    EXPECT_EQ(inl("**b** `c`"), u8("<strong>b</strong> <code>c</code>"));
    EXPECT_EQ(inl("`<b>`"), u8("<code>&lt;b&gt;</code>"));
    EXPECT_EQ(inl("`**x** [a](b)` *y*"), u8("<code>**x** [a](b)</code> <em>y</em>"));
    EXPECT_EQ(inl("`unclosed"), u8("`unclosed"));
}

TEST(MarkdownInline, RawHtmlEntitiesAndEscaping)
{
    EXPECT_EQ(inl("文本 <b>粗</b> &amp; <span onclick=\"x()\">s</span>"), u8("文本 <b>粗</b> &amp; <span>s</span>"));
    EXPECT_EQ(inl("a < b & c"), u8("a &lt; b &amp; c"));
    EXPECT_EQ(inl("&#x4e2d; &#20013; &nope"), u8("&#x4e2d; &#20013; &amp;nope"));
    EXPECT_EQ(inl("<a href=\"javascript:alert(1)\">x</a>"), u8("<a href=\"#\">x</a>"));
    EXPECT_EQ(inl("<!-- note --> x"), u8("<!-- note --> x"));
    EXPECT_EQ(inl("say \"hi\""), u8("say &quot;hi&quot;"));
}

TEST(MarkdownInline, ImagesAndLinksDropTitles)
{
    EXPECT_EQ(inl("![猫](c.png \"t\")"), u8("<img alt=\"猫\" src=\"c.png\">"));
    EXPECT_EQ(inl("[doc](a/b.md \"title\") and [x](y)"), u8("<a href=\"a/b.md\">doc</a> and <a href=\"y\">x</a>"));
    EXPECT_EQ(inl("[a](has space)"), u8("[a](has space)"));
}

TEST(MarkdownInline, BareUrlsStopBeforePunctuation)
{
    EXPECT_EQ(inl("see https://x.org/a."), u8("see <a href=\"https://x.org/a\">https://x.org/a</a>."));
    EXPECT_EQ(inl("(http://x.org)"), u8("(<a href=\"http://x.org\">http://x.org</a>)"));
    EXPECT_EQ(inl("u=https://x.org"), u8("u=https://x.org"));
    EXPECT_EQ(inl("xhttps://x.org"), u8("xhttps://x.org"));
    EXPECT_EQ(inl("[x](https://x.org)"), u8("<a href=\"https://x.org\">x</a>"));
}

TEST(MarkdownInline, EmphasisStrikeAndSnakeCase)
{
    EXPECT_EQ(inl("snake_case_name"), u8("snake_case_name"));
    EXPECT_EQ(inl("_it_ and __bold__"), u8("<em>it</em> and <strong>bold</strong>"));
    EXPECT_EQ(inl("a * b * c"), u8("a * b * c"));
    EXPECT_EQ(inl("2*3*4"), u8("2*3*4"));
    EXPECT_EQ(inl("~~gone~~ ~~ x~~"), u8("<del>gone</del> ~~ x~~"));
    // Bold runs first, so a triple star leaves a star on each side for italic.
    EXPECT_EQ(inl("***both***"), u8("<strong><em>both</strong></em>"));
}

TEST(MarkdownInline, StrayPlaceholderMarksCannotPullStoredPieces)
{
    const QString text = QChar(2) + u8("0") + QChar(2) + u8(" <b>x</b> ") + QChar(1) + u8("5") + QChar(1);
    EXPECT_EQ(Markdown::inlineHTML(text), u8("0 <b>x</b> 5"));
}

TEST(MarkdownInline, BadPatternLeavesTextUnchanged)
{
    EXPECT_EQ(Regex::reReplace(u8("a(b"), u8("(unclosed"), [](const QStringList&) { return u8("X"); }), u8("a(b"));
}

namespace {

// Executable constructs a browser would act on, looked for by plain text
// search in the lower-cased output.
QString executable(const QString& html)
{
    const QString h = html.toLower();
    if (h.contains(u8("<script")))
        return u8("<script");
    for (const char* el : {"<iframe", "<object", "<embed", "<meta", "<base", "<link", "<form", "<xmp", "<noscript",
                           "<style", "<textarea", "<animate", "<set "})
        if (h.contains(u8(el)))
            return u8(el);
    if (const auto m = Regex::firstMatch(h, u8(R"(<[a-z][^>]*[\s/"'](on[a-z]+)\s*=)")))
        return (*m)[0];
    for (const char* scheme : {"javascript:", "vbscript:", "data:text/html"}) {
        // Inside any tag, after entities and controls are taken out.
        const auto tags = Regex::firstMatch(h, u8(R"(<[a-z][^>]*>)"));
        QString flat = h;
        flat.replace(u8("&#x61;"), u8("a")).replace(u8("&#97;"), u8("a")).replace(u8("&colon;"), u8(":"))
            .replace(u8("&#58;"), u8(":")).replace(u8("&#x3a;"), u8(":")).replace(u8("&tab;"), QString())
            .replace(u8("&#x09;"), QString()).replace(u8("&#9;"), QString()).replace(u8("&newline;"), QString());
        flat.remove(u'\t');
        flat.remove(u'\n');
        if (tags && Regex::reMatches(flat, u8(R"(<[a-z][^>]*=\s*["']?\s*)") + QString::fromLatin1(scheme)))
            return QString::fromLatin1(scheme);
    }
    return {};
}

}

TEST(MarkdownSanitize, HostileInputsRenderNothingExecutable)
{
    const char* hostile[] = {
        "<script>alert(1)</script>",
        "x <script>alert(1)</script> y",
        "<SCRIPT SRC=//x.js></SCRIPT>",
        "<scr<script>ipt>alert(1)</scr</script>ipt>",
        "<script\n>alert(1)</script>",
        "<img src=x onerror=alert(1)>",
        "<img/src=x/onerror=alert(1)>",
        "<svg/onload=alert(1)>",
        "<img src=\"x\"onerror=\"alert(1)\">",
        "<body onload=alert(1)>",
        "<div\tonmouseover='alert(1)'>x</div>",
        "<a href=\"javascript:alert(1)\">x</a>",
        "<a href=javascript:alert(1)>x</a>",
        "<a href=\"JaVaScRiPt:alert(1)\">x</a>",
        "<a href=\" javascript:alert(1)\">x</a>",
        "<a href=\"jav&#x61;script:alert(1)\">x</a>",
        "<a href=\"jav&#97script:alert(1)\">x</a>",
        "<a href=\"javascript&colon;alert(1)\">x</a>",
        "<a href=\"java&Tab;script:alert(1)\">x</a>",
        "<a href=\"java\tscript:alert(1)\">x</a>",
        "<a href=\"vbscript:msgbox(1)\">x</a>",
        "<a href=\"data:text/html,<script>alert(1)</script>\">x</a>",
        "<iframe src=\"data:text/html;base64,PHNjcmlwdD4=\"></iframe>",
        "<svg><a xlink:href=\"javascript:alert(1)\"><text>x</text></a></svg>",
        "<svg><a xlink:href=javascript:alert(1)>x</a></svg>",
        "<form action=\"javascript:alert(1)\"><button>go</button></form>",
        "<button formaction=javascript:alert(1)>go</button>",
        "<meta http-equiv=\"refresh\" content=\"0;url=javascript:alert(1)\">",
        "<base href=\"javascript:alert(1)//\">",
        "<link rel=import href=\"x.html\">",
        "<object data=\"x.swf\"></object>",
        "<embed src=\"x.swf\">",
        "<style>@import 'x.css';</style>",
        "<xmp><!--</xmp><img src=x onerror=alert(1)>-->",
        "<noscript><p title=\"</noscript><img src=x onerror=alert(1)>\"></noscript>",
        "<textarea><!--</textarea><img src=x onerror=alert(1)>-->",
        "<svg><animate attributeName=href to=javascript:alert(1) /><set attributeName=href to=javascript:alert(1) /></svg>",
        "[click](javascript:alert(1))",
        "[click](jav&#x61;script:alert(1))",
        "![x](javascript:alert(1))",
        "[x](data:text/html,hi)",
        "![<b title=\"x\" onclick=\"y\">](z)",
        "<p title=\"\n\n<b title='\" onmouseover=alert(1) x='>",
        "<div title=\"a\">\n<p title=\"\n\n<b x='\" onclick=alert(1) y='>q</b>",
        "- <img src=x onerror=alert(1)>",
        "# <svg onload=alert(1)>",
        "> <a href=javascript:alert(1)>q</a>",
        "| <img src=x onerror=alert(1)> |\n|---|\n| <a href=\"javascript:x\">c</a> |",
        "<details open ontoggle=alert(1)>",
        "<math><a href=\"javascript:alert(1)\">x</a></math>",
        "<input type=image src=x onerror=alert(1)>",
        "<a href=\"&#106;&#97;&#118;&#97;&#115;&#99;&#114;&#105;&#112;&#116;&#58;alert(1)\">x</a>",
        "<a href=\"&#x6A;&#x61;&#x76;&#x61;&#x73;&#x63;&#x72;&#x69;&#x70;&#x74;&#x3A;alert(1)\">x</a>",
        "<!--><img src=x onerror=alert(1)>-->",
        "<<meta>script>alert(1)<</meta>/script>",
        "<div><<iframe>script src=//x.js></script></div>",
    };
    int n = 0;
    for (const char* input : hostile) {
        ++n;
        const QString out = MarkdownPlugin::previewHTML(u8(input));
        const QString found = executable(out);
        EXPECT_TRUE(found.isEmpty()) << "input: " << input << "\noutput: " << out.toStdString() << "\nfound: "
                                     << found.toStdString();
    }
    EXPECT_GE(n, 40);
}

TEST(MarkdownSanitize, SchemeCheckDecodesButKeepsSafeUrls)
{
    EXPECT_TRUE(Markdown::isScriptURL(u8("&#x6a;avascript:x")));
    EXPECT_TRUE(Markdown::isScriptURL(u8("\x01java\nscript:x")));
    EXPECT_TRUE(Markdown::isScriptURL(u8("data:image/svg+xml,<svg>")));
    EXPECT_FALSE(Markdown::isScriptURL(u8("data:image/png;base64,AAAA")));
    EXPECT_FALSE(Markdown::isScriptURL(u8("https://x.org/?q=javascript:")));
    EXPECT_FALSE(Markdown::isScriptURL(u8("notes/javascript.md")));
    // Benign markup goes through the hardening untouched.
    const QString benign = u8("<a href=\"https://x.org/a?b=c&amp;d\" title='t'>x</a><img src=p.png alt=\"\"><br/>");
    EXPECT_EQ(Markdown::harden(benign), benign);
    EXPECT_EQ(Markdown::harden(u8("a <b title=\"open")), u8("a &lt;b title=&quot;open"));
    EXPECT_EQ(Markdown::harden(u8("<p>1 < 2</p>")), u8("<p>1 &lt; 2</p>"));
}
