// Image paths in Markdown reach the preview as written, so the page resolves
// them against the document's folder; script and non-image data stay out.
#include "plugins/HTMLSanitizer.h"
#include "plugins/Markdown.h"

#include <gtest/gtest.h>

TEST(MarkdownImages, RelativeAndLocalPathsPassAsWritten)
{
    EXPECT_EQ(Markdown::html(QStringLiteral("![a](pic.png)")),
              QStringLiteral("<p><img alt=\"a\" src=\"pic.png\"></p>\n"));
    EXPECT_TRUE(Markdown::html(QStringLiteral("![a](img/sub%20dir/p.png)"))
                    .contains(QLatin1String("src=\"img/sub%20dir/p.png\"")));
    EXPECT_TRUE(Markdown::html(QStringLiteral("![a](../up.jpg)")).contains(QLatin1String("src=\"../up.jpg\"")));
    EXPECT_TRUE(Markdown::html(QStringLiteral("![a](file:///home/u/p.png)"))
                    .contains(QLatin1String("src=\"file:///home/u/p.png\"")));
    EXPECT_TRUE(Markdown::html(QStringLiteral("![a](https://example.org/p.png)"))
                    .contains(QLatin1String("src=\"https://example.org/p.png\"")));
    // Raw HTML images keep their relative and local sources too.
    EXPECT_EQ(HTMLSanitizer::clean(QStringLiteral("<img src=\"./pic.png\" alt=x>")),
              QStringLiteral("<img src=\"./pic.png\" alt=\"x\">"));
    EXPECT_EQ(HTMLSanitizer::clean(QStringLiteral("<img src=file:///tmp/p.png>")),
              QStringLiteral("<img src=\"file:///tmp/p.png\">"));
    EXPECT_EQ(HTMLSanitizer::clean(QStringLiteral("<img src=\"data:image/png;base64,AAAA\">")),
              QStringLiteral("<img src=\"data:image/png;base64,AAAA\">"));
}

TEST(MarkdownImages, ScriptAndNonImageDataAreRefused)
{
    EXPECT_TRUE(Markdown::html(QStringLiteral("![a](javascript:alert(1))")).contains(QLatin1String("src=\"#\"")));
    EXPECT_TRUE(Markdown::html(QStringLiteral("![a](data:text/html,x)")).contains(QLatin1String("src=\"#\"")));
    EXPECT_EQ(HTMLSanitizer::clean(QStringLiteral("<img src=\"data:text/html;base64,PHNjcmlwdD4=\">")),
              QStringLiteral("<img src=\"#\">"));
    EXPECT_EQ(HTMLSanitizer::clean(QStringLiteral("<img src=\"data:image/svg+xml,<svg onload=x>\">")),
              QStringLiteral("<img src=\"#\">"));
    // Local style sheets, frames and scripts never get into the page at all.
    EXPECT_EQ(HTMLSanitizer::clean(QStringLiteral("<link rel=stylesheet href=local.css>a")), QStringLiteral("a"));
    EXPECT_EQ(HTMLSanitizer::clean(QStringLiteral("<iframe src=\"file:///etc/passwd\"></iframe>b")),
              QStringLiteral("b"));
    EXPECT_EQ(HTMLSanitizer::clean(QStringLiteral("<script src=s.js></script>c")), QStringLiteral("c"));
}
