// Exported pages name no folder of the author's: file: links become text.
#include "render/ExportLinks.h"

#include <gtest/gtest.h>

TEST(ExportLinks, AbsoluteLocalTargetsAreReadAsABrowserReadsThem)
{
    const struct {
        const char* href;
        bool local;
    } cases[] = {
        {"file:///etc/passwd", true},
        {"FILE:///home/a/x.md", true},
        {"&#102;ile:///etc/passwd", true},
        {"&#x66;ile:///etc/passwd", true},
        {"fi\tle:///etc/passwd", true},
        {" \x01"
         "file:/etc/passwd",
         true},
        // Written by the author as paths, not made absolute by the engine:
        // they stay, as a Markdown reader keeps them.
        {"/etc/hosts", false},
        {"//server/share/x", false},
        {"\\etc\\passwd", false},
        {"other.md", false},
        {"../up.md", false},
        {"sub/a%20b.md#h", false},
        {"#top", false},
        {"https://example.com/file:///x", false},
        {"mailto:a@b.c", false},
        {"files/x.md", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.href);
        EXPECT_EQ(ExportLinks::isLocalAbsolute(QString::fromUtf8(c.href)), c.local);
    }
}

TEST(ExportLinks, OnlyTheLocalLinksLoseTheirTargetAndKeepTheirText)
{
    const QString html = QStringLiteral(
        "<p><a href=\"other.md\">a</a> <a href=\"file:///etc/passwd\">b <em>c</em></a> "
        "<A HREF='FILE:///home/a/x.md' title=\"t\">d</A> <a name=\"x\">e</a> <a href=\"/url\">f</a></p>");
    EXPECT_EQ(ExportLinks::withoutLocalTargets(html),
              QStringLiteral("<p><a href=\"other.md\">a</a> <span>b <em>c</em></span> <span>d</span> "
                             "<a name=\"x\">e</a> <a href=\"/url\">f</a></p>"));
    // An unclosed link keeps its text to the end.
    EXPECT_EQ(ExportLinks::withoutLocalTargets(QStringLiteral("<a href=\"file:/x\">tail")),
              QStringLiteral("<span>tail</span>"));
    const QString clean = QStringLiteral("<p><a href=\"a.md\">a</a></p>");
    EXPECT_EQ(ExportLinks::withoutLocalTargets(clean), clean);
}
