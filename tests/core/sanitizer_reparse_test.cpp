// Markup that a hand-written tokenizer reads differently from a browser:
// raw-text and escapable raw-text elements, template and noscript content,
// foreign content breaking out into HTML, comment and CDATA quirks, NUL and
// CR inside tags, and the named references of the HTML5 table. The output
// of the sanitiser is parsed again by an HTML5 tree builder, as the page
// that shows it would, and judged by its tree.
#include "plugins/HTMLSanitizer.h"
#include "plugins/HTMLTree.h"
#include "plugins/Markdown.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <vector>

namespace {

// Everything a re-parse of `html` holds that could run script or is not allowed; empty when harmless.
QStringList problems(const QString& html)
{
    static const QStringList scriptCapable = {
        "script", "style",   "iframe",   "object",    "embed", "svg",   "math",   "template", "noscript", "textarea",
        "title",  "xmp",     "base",     "link",      "meta",  "form",  "button", "frame",    "frameset", "applet",
        "select", "noembed", "noframes", "plaintext", "audio", "video", "source", "image",    "portal"};
    QStringList found;
    const HTMLTree tree(html);
    std::vector<const GumboNode*> todo{tree.root()};
    while (!todo.empty()) {
        const GumboNode* n = todo.back();
        todo.pop_back();
        if (n->type == GUMBO_NODE_TEMPLATE)
            found << QStringLiteral("template");
        if (n->type != GUMBO_NODE_ELEMENT && n->type != GUMBO_NODE_TEMPLATE)
            continue;
        const GumboElement& e = n->v.element;
        for (unsigned i = 0; i < e.children.length; ++i)
            todo.push_back(static_cast<const GumboNode*>(e.children.data[i]));
        if (n == tree.root())
            continue;
        const QString name = HTMLTree::name(n);
        if (e.tag_namespace != GUMBO_NAMESPACE_HTML)
            found << QStringLiteral("foreign element ") + name;
        if (scriptCapable.contains(name) || !HTMLSanitizer::allowedElement(name))
            found << QStringLiteral("element ") + name;
        for (unsigned i = 0; i < e.attributes.length; ++i) {
            const auto* a = static_cast<const GumboAttribute*>(e.attributes.data[i]);
            const QString attribute = HTMLTree::attributeName(a);
            if (attribute.startsWith(QLatin1String("on")))
                found << QStringLiteral("handler ") + attribute;
            // The URL as the browser resolves it: blanks and controls dropped, any case.
            QString url;
            for (QChar c : QString::fromUtf8(a->value))
                if (c.unicode() > 0x20)
                    url += c.toLower();
            if (url.startsWith(QLatin1String("javascript:")) || url.startsWith(QLatin1String("vbscript:"))
                || url.startsWith(QLatin1String("data:text")))
                found << QStringLiteral("URL in ") + attribute;
        }
    }
    return found;
}

const char* const vectors[] = {
    // noscript is raw text to a browser running script; its content goes either way.
    "<noscript><p title=\"</noscript><img src=x onerror=alert(1)>\"></noscript>",
    "<noscript><style></noscript><img src=x onerror=alert(1)></style></noscript>",
    // template content is inert but parsed: it must not come out live.
    "<template><img src=x onerror=alert(1)></template>",
    "<template><script>alert(1)</script></template><b>x</b>",
    "<div><template><style></template><img src=x onerror=alert(1)></style></div>",
    // Foreign content: the namespace confusions that re-parse differently.
    "<math><mtext><table><mglyph><style><img src=x onerror=alert(1)>",
    "<math><mtext><table><mglyph><style><!--</style><img title=\"--&gt;&lt;/mglyph&gt;&lt;img src=1 "
    "onerror=alert(1)&gt;\">",
    "<svg><p><style><img src=x onerror=alert(1)>",
    "<svg></p><style><a id=\"</style><img src=1 onerror=alert(1)>\">",
    "<math><mi><b>x</b></mi><annotation-xml encoding=\"text/html\"><img src=x onerror=alert(1)>",
    "<form><math><mtext></form><form><mglyph><style></math><img src onerror=alert(1)>",
    // Escapable raw text left open: everything after it is its text.
    "<textarea><img src=x onerror=alert(1)>",
    "<title><img src=x onerror=alert(1)>",
    "<textarea></textarea ><img src=x onerror=alert(1)>",
    "<xmp><img src=x onerror=alert(1)>",
    // End tags carry no attributes, and a lone </p> makes an empty paragraph.
    "</p onclick=alert(1) style=\"x\">a",
    "<p>a</p title=\"<img src=x onerror=alert(1)>\">",
    "</br onmouseover=alert(1)>",
    // NUL and CR inside tag and attribute names.
    "<scr\x01ipt>alert(1)</scr\x01ipt>",
    "<script\r>alert(1)</script\r>",
    "<img\rsrc=x\ronerror=alert(1)>",
    "<a\rhref=javascript:alert(1)>x</a>",
    "<img src=x on\rerror=alert(1)>",
    // Comment and CDATA quirks.
    "<!--><img src=x onerror=alert(1)>-->",
    "<!---><img src=x onerror=alert(1)>-->",
    "<!-- --!><img src=x onerror=alert(1)>-->",
    "<!--a--!><img src=x onerror=alert(1)>-->",
    "<![CDATA[><img src=x onerror=alert(1)>]]>",
    "<svg><![CDATA[><img src=x onerror=alert(1)>]]></svg>",
    "<math><![CDATA[</math><img src=x onerror=alert(1)>]]>",
    "<? ><img src=x onerror=alert(1)> ?>",
    "<!x><img src=x onerror=alert(1)>",
    // Decoded text and values that spell markup.
    "<p>&lt;img src=x onerror=alert(1)&gt;</p>",
    "<p title=\"&quot; onmouseover=alert(1) x=&quot;\">t</p>",
    // Named references from the whole table, with and without ";".
    "<a href=\"javascript&colon;alert(1)\">x</a>",
    "<a href=\"java&NewLine;script&colon;alert(1)\">x</a>",
    "<a href=\"&NotNestedLessLess;javascript:alert(1)\">x</a>",
    "<a href=\"javas&Tab;cript:alert(1)\" title=\"&amp\">x</a>",
    "<a href=\"&#x6A&#x61&#x76&#x61&#x73&#x63&#x72&#x69&#x70&#x74&colon;alert(1)\">x</a>",
    "<p title=\"&amp=\" class=&ampx>&amp &NotNestedLessLess; &notit;</p>",
};

}

TEST(HTMLSanitizerReparse, TokenizerTricksComeOutHarmless)
{
    for (const char* vector : vectors) {
        const QString in = QString::fromUtf8(vector).replace(QChar(1), QChar(0));
        SCOPED_TRACE(vector);
        const QString out = HTMLSanitizer::clean(in);
        EXPECT_EQ(problems(out), QStringList()) << out.toStdString();
        // Written as it parses: cleaning again changes nothing.
        EXPECT_EQ(HTMLSanitizer::clean(out), out);
        // The Markdown renderer cleans piece by piece; the page it makes is judged whole.
        const QString page = Markdown::html(in);
        EXPECT_EQ(problems(page), QStringList()) << page.toStdString();
    }
}

// The judge itself: each kind of finding is seen on raw markup.
TEST(HTMLSanitizerReparse, TheTreeCheckSeesEachKindOfProblem)
{
    EXPECT_EQ(problems(QStringLiteral("<b>x</b><a href=\"https://x.org/\">y</a>")), QStringList());
    EXPECT_EQ(problems(QStringLiteral("<template><p>x</p></template>")).value(0), QStringLiteral("template"));
    EXPECT_TRUE(problems(QStringLiteral("<svg></svg>")).contains(QStringLiteral("foreign element svg")));
    EXPECT_TRUE(problems(QStringLiteral("<font>x</font>")).contains(QStringLiteral("element font")));
    EXPECT_TRUE(problems(QStringLiteral("<b\ronclick=x>")).contains(QStringLiteral("handler onclick")));
    EXPECT_TRUE(
        problems(QStringLiteral("<a href=\" java&#x09;script&colon;x\">")).contains(QStringLiteral("URL in href")));
}

// What a browser keeps of the same tricks is kept: text stays text, allowed
// markup after a dropped element stays markup.
TEST(HTMLSanitizerReparse, WhatABrowserShowsSurvives)
{
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"<textarea><b>x</b></textarea><i>y</i>", "<i>y</i>"},
        {"<noscript>a</noscript><b>b</b>", "<b>b</b>"},
        {"<template><b>a</b></template>b", "b"},
        {"<svg><p>a</p></svg>", "<p>a</p>"},
        {"</p class=x>a", "<p></p>a"},
        {"<p title=\"&amp=\" class=&ampx>&amp &NotNestedLessLess; &notit;</p>",
         "<p title=\"&amp;amp=\" class=\"&amp;ampx\">&amp; \u2AA1\u0338 \u00ACit;</p>"},
        {"<table><tr><td>1</td></tr></table>", "<table><tr><td>1</td></tr></table>"},
        {"<pre>\n\nx</pre>", "<pre>\n\nx</pre>"},
        {"<b>open <i>and", "<b>open <i>and"},
        {"<b>a<p>b</b>c", "<b>a</b><p><b>b</b>c"},
        {"<scr\x01ipt>x", "x"},
        {"<a href=\"x\" title=\"a&quot;b<c>\">l</a>", "<a href=\"x\" title=\"a&quot;b&lt;c&gt;\">l</a>"},
    };
    for (const auto& c : cases) {
        const QString in = QString::fromUtf8(c.in).replace(QChar(1), QChar(0));
        EXPECT_EQ(HTMLSanitizer::clean(in), QString::fromUtf8(c.out)) << c.in;
    }
}

// Markup nested deeper than browsers nest shows as text, all of it.
TEST(HTMLSanitizerReparse, DeepNestingShowsAsText)
{
    for (const int depth : {900, 5000}) {
        const QString html = QStringLiteral("<div>").repeated(depth) + QStringLiteral("深处");
        const QString out = HTMLSanitizer::clean(html);
        SCOPED_TRACE(depth);
        EXPECT_TRUE(out.endsWith(QStringLiteral("深处")));
        EXPECT_EQ(out.count(QStringLiteral("<div>")), depth > 1000 ? 0 : depth);
        EXPECT_EQ(out.count(QStringLiteral("&lt;div>")), depth > 1000 ? depth : 0);
    }
}
