// A line broken inside a paragraph is no space between Chinese or Japanese
// characters, and stays one between words of other scripts.
#include "plugins/Markdown.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* source;
    const char* paragraph;  // what the paragraph holds in the HTML
};

QString inParagraph(const QString& html)
{
    const qsizetype open = html.indexOf(QStringLiteral("<p"));
    const qsizetype from = html.indexOf(u'>', open) + 1;
    return open < 0 ? QString() : html.mid(from, html.indexOf(QStringLiteral("</p>"), from) - from);
}

}

TEST(MarkdownSoftBreaks, JoinWideCharactersAndKeepOtherBreaks)
{
    const Case cases[] = {
        {"这是第一行中文\n这是第二行中文。", "这是第一行中文这是第二行中文。"},
        {"日本語の\n文章です", "日本語の文章です"},
        {"第一句，\n「第二句」", "第一句，「第二句」"},
        {"*强调*\n继续", "<em>强调</em>继续"},
        {"前文\n**加粗**", "前文<strong>加粗</strong>"},
        {"见 [链接](http://a.b/)\n之后", "见 <a href=\"http://a.b/\">链接</a>之后"},
        {"`代码`\n说明", "<code>代码</code>说明"},
        {"English line\nnext line", "English line\nnext line"},
        {"中文\nEnglish", "中文\nEnglish"},
        {"Latin\n中文", "Latin\n中文"},
        {"数字 42\n个", "数字 42\n个"},
        {"한국어\n문장", "한국어\n문장"},
        {"第一行  \n第二行", "第一行<br>\n第二行"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        const QString source = QString::fromUtf8(c.source);
        EXPECT_EQ(inParagraph(Markdown::html(source)), QString::fromUtf8(c.paragraph));
        // The preview (and the PDF printed from it) writes the same text.
        EXPECT_EQ(inParagraph(Markdown::preview(source)), QString::fromUtf8(c.paragraph));
    }
}

TEST(MarkdownSoftBreaks, ImageDescriptionsJoinTheSameWay)
{
    const Case cases[] = {
        {"![北京\n天安门](a.png)", "alt=\"北京天安门\""},
        {"![Beijing\nsquare](a.png)", "alt=\"Beijing square\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        EXPECT_TRUE(Markdown::html(QString::fromUtf8(c.source)).contains(QString::fromUtf8(c.paragraph)))
            << Markdown::html(QString::fromUtf8(c.source)).toStdString();
    }
}
