// The CommonMark 0.31.2 examples and the GFM extension examples, rendered in
// this process and compared as the conformance harness compares them. The
// examples that differ on purpose are listed; any other difference, and any
// listed example that starts to pass, fails the suite.
#include "HTMLNormalize.h"
#include "plugins/MarkdownPlugin.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <algorithm>
#include <gtest/gtest.h>
#include <iterator>
#include <set>

namespace {

QJsonArray examples(const char* name)
{
    QFile file(QStringLiteral(":/conformance/") + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).array();
}

// The preview's fragment without its wrapper, as the harness reads an exported page.
QString rendered(const QString& markdown)
{
    QString html = MarkdownPlugin::previewHTML(markdown);
    const QLatin1String open("<div class=\"md\">"), close("</div>");
    if (html.startsWith(open) && html.endsWith(close))
        html = html.mid(open.size(), html.size() - open.size() - close.size());
    // Colouring is presentation: the code's text is what the examples fix.
    static const QRegularExpression block(QStringLiteral("<code class=\"lang-[^\"]*\">[\\s\\S]*?</code>"));
    static const QRegularExpression span(QStringLiteral("</?span[^>]*>"));
    for (qsizetype at = 0;;) {
        const QRegularExpressionMatch m = block.match(html, at);
        if (!m.hasMatch())
            break;
        const QString plain = m.captured().remove(span);
        html.replace(m.capturedStart(), m.capturedLength(), plain);
        at = m.capturedStart() + plain.size();
    }
    return html;
}

struct Score {
    int passed = 0;
    std::set<int> failed;
    std::string report;
};

Score run(const QJsonArray& cases, const std::set<int>& skipped = {})
{
    Score s;
    for (const auto& v : cases) {
        const QJsonObject e = v.toObject();
        if (skipped.count(e[QStringLiteral("example")].toInt()))
            continue;
        const QString md = e[QStringLiteral("markdown")].toString();
        const QString want = HTMLNormalize::normalize(e[QStringLiteral("html")].toString());
        const QString got = HTMLNormalize::normalize(rendered(md));
        const int id = e[QStringLiteral("example")].toInt();
        if (got == want) {
            ++s.passed;
            continue;
        }
        s.failed.insert(id);
        s.report += "example " + std::to_string(id) + "\n  markdown: " + md.toStdString()
            + "\n  expected: " + want.toStdString() + "\n  actual:   " + got.toStdString() + "\n";
    }
    return s;
}

}

TEST(MarkdownConformance, NormaliserAgreesWithTheSuiteScript)
{
    using HTMLNormalize::normalizeHTML;
    // The examples of the script's own documentation.
    EXPECT_EQ(normalizeHTML(QStringLiteral("<p>a  \t b</p>")), QStringLiteral("<p>a b</p>"));
    EXPECT_EQ(normalizeHTML(QStringLiteral("<p>a  \t\nb</p>")), QStringLiteral("<p>a b</p>"));
    EXPECT_EQ(normalizeHTML(QStringLiteral(" <p>a  b</p>")), QStringLiteral("<p>a b</p>"));
    EXPECT_EQ(normalizeHTML(QStringLiteral("\n\t<p>\n\t\ta  b\t\t</p>\n\t")), QStringLiteral("<p>a b</p>"));
    EXPECT_EQ(normalizeHTML(QStringLiteral("<i>a  b</i> ")), QStringLiteral("<i>a b</i> "));
    EXPECT_EQ(normalizeHTML(QStringLiteral("<br />")), QStringLiteral("<br>"));
    EXPECT_EQ(normalizeHTML(QStringLiteral("<a title=\"bar\" HREF=\"foo\">x</a>")),
              QStringLiteral("<a href=\"foo\" title=\"bar\">x</a>"));
    EXPECT_EQ(normalizeHTML(QStringLiteral("&forall;&amp;&gt;&lt;&quot;")),
              QStringLiteral("\u2200&amp;&gt;&lt;&quot;"));
    // Code keeps its blanks; a line feed after <br> goes.
    EXPECT_EQ(normalizeHTML(QStringLiteral("<pre><code>a\n  b\n</code></pre>")),
              QStringLiteral("<pre><code>a\n  b\n</code></pre>"));
    EXPECT_EQ(normalizeHTML(QStringLiteral("<p>a<br />\nb</p>")), QStringLiteral("<p>a<br>b</p>"));
    // Attribute values are read and written back; character references decoded.
    EXPECT_EQ(normalizeHTML(QStringLiteral("<a href=\"&ouml;&#x27;\">")), QStringLiteral("<a href=\"\u00f6&#x27;\">"));
    EXPECT_EQ(HTMLNormalize::normalize(QStringLiteral(
                  "<li class=\"task\" data-line=\"3\"><input type=\"checkbox\" disabled checked> x</li>")),
              QStringLiteral("<li><input checked disabled type=\"checkbox\"> x</li>"));
    EXPECT_EQ(
        HTMLNormalize::normalize(QStringLiteral("<th style=\"text-align:right\">a</th><pre><code class=\"lang-c\">")),
        QStringLiteral("<th align=\"right\">a</th><pre><code class=\"language-c\">"));
    // Different text stays different.
    EXPECT_NE(normalizeHTML(QStringLiteral("<p>a&quot;</p>")), normalizeHTML(QStringLiteral("<p>a\"</p>")));
    EXPECT_NE(normalizeHTML(QStringLiteral("<pre><code>a\n</code></pre>")),
              normalizeHTML(QStringLiteral("<pre><code>a</code></pre>")));
}

TEST(MarkdownConformance, CommonMarkExamples)
{
    const QJsonArray cases = examples("commonmark.json");
    ASSERT_EQ(cases.size(), 655);
    // The differences on purpose. The preview renders GitHub's dialect, so
    // bare addresses are links (604, 608, 610, 613, 614) and script, style
    // and textarea show as text (172-175, 178, 180). A tag left open at the
    // end of an HTML block would take the next block into its attributes, so
    // its "<" shows as text (156-158); so does the "<" that follows the end
    // of a CDATA section as a browser reads it (631). cmark-gfm 0.29 reads
    // an older CommonMark for long numeric references (28), punctuation
    // among symbols (356) and comments (627, 628).
    // Raw HTML keeps only allowed elements and attributes: unknown tags such
    // as <bar>, <foo>, <Warning> or <responsive-image>, and attributes such as
    // <pre language>, lose their tags (150, 164, 171, 203, 493, 526, 538,
    // 615-617, 619, 625).
    std::set<int> different = {28,  156, 157, 158, 172, 173, 174, 175, 178, 180,
                               356, 604, 608, 610, 613, 614, 627, 628, 631};
    different.insert({150, 164, 171, 203, 493, 526, 538, 615, 616, 617, 619, 625});
    // The suite's script cuts the expected HTML of 618 at a ">" inside a
    // quoted attribute, which nothing can match; the harness counts it as a difference.
    const std::set<int> misread = {618};
    const Score s = run(cases, misread);
    std::set<int> unexpected, nowPassing;
    std::set_difference(s.failed.begin(), s.failed.end(), different.begin(), different.end(),
                        std::inserter(unexpected, unexpected.end()));
    std::set_difference(different.begin(), different.end(), s.failed.begin(), s.failed.end(),
                        std::inserter(nowPassing, nowPassing.end()));
    EXPECT_TRUE(unexpected.empty()) << s.report;
    for (int id : nowPassing)
        ADD_FAILURE() << "example " << id << " passes now: take it off the list";
    EXPECT_EQ(s.passed, 655 - int(different.size() + misread.size()));
}

TEST(MarkdownConformance, GFMExtensionExamples)
{
    const QJsonArray cases = examples("gfm.json");
    ASSERT_EQ(cases.size(), 24);
    const Score s = run(cases);
    EXPECT_EQ(s.passed, 24) << s.report;
}
