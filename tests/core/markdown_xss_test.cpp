#include "plugins/Markdown.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

// Character references decoded independently of the sanitiser, blanks dropped.
QString plainTag(QString tag)
{
    static const QRegularExpression dec(QStringLiteral("&#0*(\\d+);?"));
    static const QRegularExpression hex(QStringLiteral("&#[xX]0*([0-9a-fA-F]+);?"));
    for (const auto* re : {&hex, &dec}) {
        QString out;
        qsizetype last = 0;
        for (auto it = re->globalMatch(tag); it.hasNext();) {
            const auto m = it.next();
            out += tag.mid(last, m.capturedStart() - last);
            const uint code = m.captured(1).toUInt(nullptr, re == &hex ? 16 : 10);
            out += QChar(char16_t(code < 0x10000 ? code : u'?'));
            last = m.capturedEnd();
        }
        tag = out + tag.mid(last);
    }
    tag.replace(QStringLiteral("&colon;"), QStringLiteral(":"), Qt::CaseInsensitive);
    tag.replace(QStringLiteral("&tab;"), QString(), Qt::CaseInsensitive);
    tag.replace(QStringLiteral("&newline;"), QString(), Qt::CaseInsensitive);
    QString compact;
    for (QChar c : tag)
        if (c.unicode() > 0x20)
            compact += c.toLower();
    return compact;
}

// Empty when the HTML holds nothing that runs; otherwise what was found.
QString executable(const QString& html)
{
    if (html.contains(QStringLiteral("<script"), Qt::CaseInsensitive))
        return QStringLiteral("<script");
    static const QRegularExpression tagRE(QStringLiteral("<[A-Za-z][^>]*>?"));
    static const QRegularExpression handler(QStringLiteral("[\\s/\"']on[a-z]+\\s*="),
                                            QRegularExpression::CaseInsensitiveOption);
    for (auto it = tagRE.globalMatch(html); it.hasNext();) {
        const QString tag = it.next().captured(0);
        if (handler.match(tag).hasMatch())
            return QStringLiteral("handler in ") + tag;
        const QString plain = plainTag(tag);
        for (const char* bad :
             {"javascript:", "vbscript:", "data:text/html", "<meta", "<base", "<iframe", "<object", "<embed", "<form"})
            if (plain.contains(QLatin1String(bad)))
                return QString::fromLatin1(bad) + QStringLiteral(" in ") + tag;
    }
    return {};
}

}

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
    };
    int count = 0;
    for (const char* input : hostile) {
        ++count;
        const QString out = Markdown::html(QString::fromUtf8(input));
        EXPECT_EQ(executable(out), QString()) << input << "\n  -> " << out.toStdString();
    }
    EXPECT_GE(count, 40);
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
    // A link whose text merely mentions the word is fine.
    EXPECT_EQ(Markdown::html(QStringLiteral("javascript: 是一种语言")),
              QStringLiteral("<p>javascript: 是一种语言</p>\n"));
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
