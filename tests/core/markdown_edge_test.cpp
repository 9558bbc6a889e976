#include "plugins/Markdown.h"
#include "plugins/MarkdownPlugin.h"
#include "plugins/Regex.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

QString u8(const char* s) { return QString::fromUtf8(s); }
QString md(const char* text) { return Markdown::html(u8(text)); }

// Constructs a browser would run, searched for in the lower-cased page with
// the usual encodings of the scheme undone.
QString executable(const QString& html)
{
    const QString h = html.toLower();
    for (const char* el : {"<script", "<iframe", "<object", "<embed", "<meta", "<base", "<link", "<form"})
        if (h.contains(u8(el)))
            return u8(el);
    // Handlers are attributes: quoted values (escaped markup in a title) are not looked into.
    QString unquoted = h;
    static const QRegularExpression quoted(u8(R"((=\s*)("[^"]*"|'[^']*'))"));
    unquoted.replace(quoted, u8("\\1\"\""));
    if (const auto m = Regex::firstMatch(unquoted, u8(R"(<[a-z][^>]*[\s/"'](on[a-z]+)\s*=)")))
        return (*m)[0];
    QString flat = h;
    flat.replace(u8("&#x61;"), u8("a"))
        .replace(u8("&#97;"), u8("a"))
        .replace(u8("&colon;"), u8(":"))
        .replace(u8("&#58;"), u8(":"))
        .replace(u8("&#x3a;"), u8(":"))
        .replace(u8("&tab;"), QString())
        .replace(u8("&#x09;"), QString())
        .replace(u8("&#9;"), QString())
        .replace(u8("&newline;"), QString());
    flat.remove(u'\t');
    flat.remove(u'\n');
    for (const char* scheme : {"javascript:", "vbscript:", "data:text/html"})
        if (const auto m = Regex::firstMatch(flat, u8(R"(<[a-z][^>]*=\s*["']?\s*)") + QString::fromLatin1(scheme)))
            return (*m)[0];
    return {};
}

}

// Attacks that rely on the browser tokenising differently from a simple
// scan: raw-text elements, tags spliced together once another is removed,
// attribute quotes left open across blocks, and placeholders typed by hand.
TEST(MarkdownHostileEdges, TokeniserTricksRenderNothingExecutable)
{
    const char* hostile[] = {
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
        "<!--><img src=x onerror=alert(1)>-->",
        "<!----!><img src=x onerror=alert(1)>-->",
        "\x02"
        "0\x02 <img src=x onerror=alert(1)> \x02"
        "0\x02",
    };
    for (const char* input : hostile) {
        const QString out = MarkdownPlugin::previewHTML(u8(input));
        EXPECT_EQ(executable(out), QString()) << input << "\n  -> " << out.toStdString();
    }
}

TEST(MarkdownHostileEdges, TabIndentedChildKeepsItsText)
{
    // A tab counts to the next multiple of four columns; cutting two characters would eat the text.
    EXPECT_EQ(md("- a\n\tb"), u8("<ul><li>a\nb</li></ul>\n"));
    EXPECT_EQ(md("- a\n\t- b"), u8("<ul><li>a<ul><li>b</li></ul>\n</li></ul>\n"));
}

TEST(MarkdownHostileEdges, DeepNestingStopsAtTheBound)
{
    const QString quotes = QString(100000, u'>') + u8(" deep");
    const QString h = Markdown::html(quotes);
    EXPECT_LE(h.count(u8("<blockquote>")), Markdown::maxDepth + 1);
    EXPECT_TRUE(h.contains(u8("deep")));
    QString items;
    for (int k = 0; k < 300; ++k)
        items += QString(k * 2, u' ') + u8("- x\n");
    EXPECT_LE(Markdown::html(items).count(u8("<ul>")), Markdown::maxDepth + 1);
}
