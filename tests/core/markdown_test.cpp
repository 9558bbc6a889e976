#include "../oracle/ScriptOracle.h"
#include "plugins/AnalysisBudget.h"
#include "plugins/HTMLSanitizer.h"
#include "plugins/Markdown.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <gtest/gtest.h>

namespace {

QString u8(const char* s) { return QString::fromUtf8(s); }
QString md(const char* text) { return Markdown::html(u8(text)); }

// One paragraph's inline content.
QString in(const char* text)
{
    QString out = md(text);
    if (out.startsWith(QLatin1String("<p>")) && out.endsWith(QLatin1String("</p>\n")))
        out = out.mid(3, out.size() - 8);
    return out;
}

}

// Plain CommonMark is the conformance suite's (every example, through the
// same writer), and the golden corpus holds every input and the rendering it
// must give (fences, HTML blocks, task lists, links and images among them);
// these are what neither can say.
TEST(MarkdownBlocks, TablesTurnOffPastTheirWidestRow)
{
    // The table parser takes time quadratic in a row's cells: a line of more
    // bars than any table has columns turns tables off.
    const QString table = QStringLiteral("a|b\n-|-\n");
    EXPECT_TRUE(Markdown::html(table + QString(500, u'|')).startsWith(QLatin1String("<table>")));
    EXPECT_TRUE(Markdown::html(table + QString(513, u'|')).startsWith(QLatin1String("<p>a|b")));
    EXPECT_TRUE(
        Markdown::html(table + QString(300, u'|') + u'\n' + QString(300, u'|')).startsWith(QLatin1String("<table>")));
}

TEST(MarkdownBlocks, DeepNestingRendersWithoutExhaustingTheStack)
{
    const QString quotes = QString(100000, u'>') + QStringLiteral(" deep");
    const QString out = Markdown::html(quotes);
    EXPECT_TRUE(out.startsWith(QStringLiteral("<blockquote>")));
    EXPECT_TRUE(out.contains(QStringLiteral("deep")));
    EXPECT_EQ(out.count(QStringLiteral("<blockquote>")), Markdown::maxDepth);
    EXPECT_EQ(out.count(QStringLiteral("</blockquote>")), Markdown::maxDepth);

    QString lists;
    for (int i = 0; i < 1000; ++i)
        lists += QString(i * 2, u' ') + QStringLiteral("- x\n");
    const QString nested = Markdown::html(lists);
    EXPECT_LE(nested.count(QStringLiteral("<ul>")), Markdown::maxDepth);
    EXPECT_EQ(nested.count(QStringLiteral("<ul>")), nested.count(QStringLiteral("</ul>")));
    EXPECT_TRUE(nested.endsWith(QStringLiteral("</ul>\n")));
}

TEST(MarkdownBlocks, RenderingStopsWhenItsTimeIsUp)
{
    QString doc;
    for (int i = 0; i < 2000; ++i)
        doc += QStringLiteral("- item %1\n  - nested\n\npara\n").arg(i);
    {
        AnalysisBudget::Scope budget(std::chrono::milliseconds(-1), nullptr);
        EXPECT_THROW(Markdown::html(doc), AnalysisBudget::Expired);
    }
    // Nothing of the stopped run is left behind: nesting still renders in full.
    EXPECT_TRUE(Markdown::html(QStringLiteral("- a\n  - b")).contains(QStringLiteral("<li>a<ul><li>b</li></ul>")));
}

TEST(MarkdownLinks, GeneratedAttributesCannotBeBrokenOutOf)
{
    const char* hostile[] = {
        "![<a title=\"/src=x /onerror=alert(1)//\">](y)",
        "![x](/http://z/onerror=alert(1)//)",
        "[x](a<b title=\" onmouseover=alert(1) x=\">)",
        "![<b title='\" onclick=alert(1) '>](p)",
        "[x](http://a.b<i title=\"x\" onfocus=alert(1)>)",
        "https://a.b/<b title=\"q\" onmouseover=alert(1)>",
        "[![i](p\")](u\")",
        "![`\"`\" onload=alert(1)](p)",
        "[x](a![y onmouseover=alert(1) z](p)b)",
        "![a[b](c \" onerror=alert(1))](d)",
    };
    for (const char* input : hostile) {
        const QString out = in(input);
        for (const ScriptOracle::StartTag& tag : ScriptOracle::startTags(out)) {
            QStringList names;
            for (const ScriptOracle::Attribute& a : tag.attributes)
                names << a.name;
            for (const QString& name : names)
                EXPECT_FALSE(name.startsWith(u8("on"))) << input << "\n  -> " << out.toStdString();
            // Generated images keep exactly the attributes they were written with.
            if (tag.name == u8("img")) {
                EXPECT_EQ(names, QStringList({u8("alt"), u8("src")})) << input << "\n  -> " << out.toStdString();
            }
        }
    }
}

// Raw HTML image paths reach the preview as written, so the page resolves
// them against the document's folder; script and non-image data stay out.
TEST(MarkdownImages, RawImagesKeepLocalPathsAndLoseScript)
{
    EXPECT_EQ(HTMLSanitizer::clean(QStringLiteral("<img src=\"./pic.png\" alt=x>")),
              QStringLiteral("<img src=\"./pic.png\" alt=\"x\">"));
    EXPECT_EQ(HTMLSanitizer::clean(QStringLiteral("<img src=file:///tmp/p.png>")),
              QStringLiteral("<img src=\"file:///tmp/p.png\">"));
    EXPECT_EQ(HTMLSanitizer::clean(QStringLiteral("<img src=\"data:image/png;base64,AAAA\">")),
              QStringLiteral("<img src=\"data:image/png;base64,AAAA\">"));
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

// A line broken inside a paragraph is no space between Chinese or Japanese
// characters, and stays one between words of other scripts: the cases are
// the golden corpus's; the preview (and the PDF printed from it) writes the
// same text.
TEST(MarkdownSoftBreaks, ThePreviewJoinsLinesAsTheHTMLDoes)
{
    const auto paragraph = [](const QString& html) {
        const qsizetype from = html.indexOf(u'>', html.indexOf(QStringLiteral("<p"))) + 1;
        return html.mid(from, html.indexOf(QStringLiteral("</p>"), from) - from);
    };
    EXPECT_EQ(paragraph(Markdown::preview(u8("日本語の\n文章です"))), u8("日本語の文章です"));
    EXPECT_EQ(paragraph(Markdown::preview(u8("中文\nEnglish"))), u8("中文\nEnglish"));
}

// Every input of the corpus (test tables, fuzz seeds, generated documents)
// renders exactly as recorded. To record the current rendering after an
// intended change, run this suite with LORVANE_MARKDOWN_GOLDEN set to the
// path of tests/core/golden/markdown.json.
TEST(MarkdownGolden, CorpusRendersAsRecorded)
{
    QFile file(QStringLiteral(":/golden/markdown.json"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QJsonArray cases = QJsonDocument::fromJson(file.readAll()).array();
    ASSERT_GT(cases.size(), 500);
    const QByteArray record = qgetenv("LORVANE_MARKDOWN_GOLDEN");
    int mismatches = 0;
    for (qsizetype k = 0; k < cases.size(); ++k) {
        QJsonObject c = cases[k].toObject();
        const QString out = Markdown::html(c[QStringLiteral("in")].toString());
        if (!record.isEmpty()) {
            c[QStringLiteral("out")] = out;
            cases[k] = c;
            continue;
        }
        if (out != c[QStringLiteral("out")].toString() && ++mismatches <= 10)
            ADD_FAILURE() << "case " << k << "\n  input:    " << c[QStringLiteral("in")].toString().toStdString()
                          << "\n  expected: " << c[QStringLiteral("out")].toString().toStdString()
                          << "\n  actual:   " << out.toStdString();
    }
    if (!record.isEmpty()) {
        QFile target(QString::fromLocal8Bit(record));
        ASSERT_TRUE(target.open(QIODevice::WriteOnly | QIODevice::Truncate));
        // One case per line keeps the diffs of a re-recording readable.
        QByteArray data = "[\n";
        for (qsizetype k = 0; k < cases.size(); ++k)
            data += QJsonDocument(cases[k].toObject()).toJson(QJsonDocument::Compact)
                + (k + 1 < cases.size() ? ",\n" : "\n");
        target.write(data + "]\n");
    }
    EXPECT_EQ(mismatches, 0);
}
