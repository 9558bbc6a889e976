#include "plugins/Markdown.h"

#include "plugins/HTML.h"
#include "plugins/HTMLSanitizer.h"
#include "plugins/Regex.h"

namespace Markdown {

namespace {

const QString scriptsRE = QStringLiteral(
    R"((?is)<(script|iframe|object|embed|style)\b.*?</\1\s*>|<(script|iframe|object|embed|style)\b[^>]*>)");
const QString handlersRE = QStringLiteral(R"((?i)\s+on[a-z]+\s*=\s*("[^"]*"|'[^']*'|[^\s>]+))");
const QString scriptURLRE = QStringLiteral(R"((?i)(href|src)\s*=\s*(["']?)\s*javascript:[^"'\s>]*\2)");

const QString codeRE = QStringLiteral("`([^`]+)`");
const QString rawRE = QStringLiteral(
    R"(<!--[\s\S]*?-->|</?[A-Za-z][A-Za-z0-9-]*(?:\s[^<>]*)?/?>|&(?:[A-Za-z][A-Za-z0-9]*|#\d+|#x[0-9A-Fa-f]+);)");
const QString imageRE = QStringLiteral(R"(!\[([^\]]*)\]\(([^)\s]+)(?:\s+&quot;[^&]*&quot;)?\))");
const QString linkRE = QStringLiteral(R"(\[([^\]]+)\]\(([^)\s]+)(?:\s+&quot;[^&]*&quot;)?\))");
const QString bareURLRE = QStringLiteral(R"((?<![\w"=])(https?://[^\s<]+[^\s<.,;:!?)]))");
const QString boldStarsRE = QStringLiteral(R"(\*\*(?=\S)(.+?)(?<=\S)\*\*)");
const QString boldUnderscoresRE = QStringLiteral(R"(__(?=\S)(.+?)(?<=\S)__)");
const QString italicStarRE = QStringLiteral(R"((?<![*\w])\*(?=\S)(.+?)(?<=\S)\*(?![*\w]))");
const QString italicUnderscoreRE = QStringLiteral(R"((?<![_\w])_(?=\S)(.+?)(?<=\S)_(?![_\w]))");
const QString strikeRE = QStringLiteral(R"(~~(?=\S)(.+?)(?<=\S)~~)");
const QString htmlSlotRE = QStringLiteral("\u0002(\\d+)\u0002");
const QString codeSlotRE = QStringLiteral("\u0001(\\d+)\u0001");

QString wrap(const QString& open, const QString& body, const QString& close) { return open + body + close; }

QString slot(QChar mark, qsizetype index) { return mark + QString::number(index) + mark; }

QString restore(const QString& text, const QString& pattern, const QStringList& stored)
{
    return Regex::reReplace(text, pattern, [&](const QStringList& g) {
        bool ok = false;
        const int k = g[1].toInt(&ok);
        return ok && k >= 0 && k < stored.size() ? stored[k] : QString();
    });
}

}

QString sanitize(const QString& html)
{
    QString out = Regex::reReplace(html, scriptsRE, [](const QStringList&) { return QString(); });
    out = Regex::reReplace(out, handlersRE, [](const QStringList&) { return QString(); });
    out = Regex::reReplace(out, scriptURLRE, [](const QStringList& g) { return g[1] + QStringLiteral("=\"#\""); });
    // The substitutions above miss handlers after "/", encoded script URLs
    // and elements like <meta> or <form>; the parser-based pass catches them.
    return HTMLSanitizer::clean(out);
}

QString inlineHTML(const QString& text)
{
    QStringList code, raw;
    // The slot markers are invisible control characters; typed ones must not
    // pull stored pieces into the wrong place.
    QString s = text;
    s.remove(QChar(1));
    s.remove(QChar(2));
    // Each step is skipped when the text lacks the literal its pattern
    // needs; that leaves the result unchanged and saves most of the work.
    if (s.contains(u'`'))
        s = Regex::reReplace(s, codeRE, [&](const QStringList& g) {
            code << wrap(QStringLiteral("<code>"), HTML::esc(g[1]), QStringLiteral("</code>"));
            return slot(QChar(1), code.size() - 1);
        });
    if (s.contains(u'<') || s.contains(u'&'))
        s = Regex::reReplace(s, rawRE, [&](const QStringList& g) {
            raw << sanitize(g[0]);
            return slot(QChar(2), raw.size() - 1);
        });
    s = HTML::esc(s);
    // Judge a URL with its character references back in place: they were
    // set aside as raw HTML and would otherwise hide "javascript:".
    const auto url = [&](const QString& u) {
        return HTMLSanitizer::safeURL(restore(u, htmlSlotRE, raw)) == QLatin1String("#") ? QStringLiteral("#") : u;
    };
    const bool bracketed = s.contains(QLatin1String("]("));
    if (bracketed && s.contains(QLatin1String("![")))
        s = Regex::reReplace(s, imageRE, [&](const QStringList& g) {
            return QStringLiteral("<img alt=\"") + g[1] + QStringLiteral("\" src=\"") + url(g[2]) + QStringLiteral("\">");
        });
    if (bracketed)
        s = Regex::reReplace(s, linkRE, [&](const QStringList& g) {
            return QStringLiteral("<a href=\"") + url(g[2]) + QStringLiteral("\">") + g[1] + QStringLiteral("</a>");
        });
    if (s.contains(QLatin1String("://")))
        s = Regex::reReplace(s, bareURLRE, [](const QStringList& g) {
            return QStringLiteral("<a href=\"") + g[1] + QStringLiteral("\">") + g[1] + QStringLiteral("</a>");
        });
    const auto tag = [](const char* name) {
        return [name](const QStringList& g) {
            const QString n = QString::fromLatin1(name);
            return u'<' + n + u'>' + g[1] + QStringLiteral("</") + n + u'>';
        };
    };
    if (s.contains(QLatin1String("**")))
        s = Regex::reReplace(s, boldStarsRE, tag("strong"));
    if (s.contains(QLatin1String("__")))
        s = Regex::reReplace(s, boldUnderscoresRE, tag("strong"));
    if (s.contains(u'*'))
        s = Regex::reReplace(s, italicStarRE, tag("em"));
    if (s.contains(u'_'))
        s = Regex::reReplace(s, italicUnderscoreRE, tag("em"));
    if (s.contains(QLatin1String("~~")))
        s = Regex::reReplace(s, strikeRE, tag("del"));
    if (!raw.isEmpty())
        s = restore(s, htmlSlotRE, raw);
    return code.isEmpty() ? s : restore(s, codeSlotRE, code);
}

}
