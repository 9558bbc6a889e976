#include "plugins/Markdown.h"

#include "plugins/HTMLSanitizer.h"
#include "plugins/MarkdownChars.h"
#include "plugins/MarkdownFinder.h"

#include <array>
#include <cstring>

// Three substitutions over raw HTML, each a single forward scan (no
// backtracking, so long runs of blanks or unclosed elements cost linear time):
// script-like elements with their content, event-handler attributes, and
// href/src values that are "javascript:" URLs.
namespace Markdown {

namespace {

using namespace MarkdownChars;

bool blank(QStringView s, qsizetype i) { return isSpace(s[i].unicode()); }

qsizetype skipBlanks(QStringView s, qsizetype i)
{
    while (i < s.size() && blank(s, i))
        ++i;
    return i;
}

// \b right after an element name (the name ends in a word character).
bool endsWord(QStringView s, qsizetype i)
{
    if (i >= s.size())
        return true;
    const char32_t c = at(s, i);
    return !joinsWord(c) && !isWord(c);
}

// Drops <script …>…</script> and the like, or a lone opening tag of one.
QString dropScripts(const QString& text)
{
    const QStringView s(text);
    static const char* names[] = {"script", "iframe", "object", "embed", "style"};
    const qsizetype n = s.size();
    // Where each name's closing tag "</name\s*>" next starts.
    auto closer = [&](const char* name) {
        return markdownFinder(s, [s, name, n](qsizetype j) {
            if (s[j] != u'<' || j + 1 >= n || s[j + 1] != u'/' || !startsFolded(s, j + 2, name))
                return false;
            const qsizetype k = skipBlanks(s, j + 2 + qsizetype(std::strlen(name)));
            return k < n && s[k] == u'>';
        });
    };
    auto closers = std::array{closer(names[0]), closer(names[1]), closer(names[2]), closer(names[3]), closer(names[4])};
    auto gt = markdownFinder(s, [s](qsizetype j) { return s[j] == u'>'; });
    QString out;
    qsizetype copied = 0;
    for (qsizetype i = s.indexOf(u'<'); i >= 0 && i < n; i = s.indexOf(u'<', i)) {
        qsizetype end = -1;
        for (int k = 0; k < 5 && end < 0; ++k) {
            const qsizetype len = qsizetype(std::strlen(names[k]));
            if (!startsFolded(s, i + 1, names[k]) || !endsWord(s, i + 1 + len))
                continue;
            const qsizetype close = closers[k](i + 1 + len);
            if (close < n)
                end = skipBlanks(s, close + 2 + len) + 1;
            else if (const qsizetype g = gt(i + 1 + len); g < n)
                end = g + 1;
            else
                break;
        }
        if (end < 0) {
            ++i;
            continue;
        }
        out += s.mid(copied, i - copied);
        copied = i = end;
    }
    if (copied == 0)
        return text;
    out += s.mid(copied);
    return out;
}

// Drops every blank-led on…=value attribute (the blanks before it included).
QString dropHandlers(const QString& text)
{
    const QStringView s(text);
    const qsizetype n = s.size();
    auto nextBlank = markdownFinder(s, [s](qsizetype j) { return blank(s, j); });
    auto nextQuote = markdownFinder(s, [s](qsizetype j) { return s[j] == u'"'; });
    auto nextApostrophe = markdownFinder(s, [s](qsizetype j) { return s[j] == u'\''; });
    auto valueEnd = markdownFinder(s, [s](qsizetype j) { return s[j] == u'>' || blank(s, j); });
    QString out;
    qsizetype copied = 0, i = 0;
    while (i < n) {
        const qsizetype p = nextBlank(i);
        if (p >= n)
            break;
        const qsizetype w = skipBlanks(s, p);
        i = w;
        if (w + 2 >= n || foldedLetter(s[w]) != u'o' || foldedLetter(s[w + 1]) != u'n' || !foldedLetter(s[w + 2]))
            continue;
        qsizetype l = w + 2;
        while (l < n && foldedLetter(s[l]))
            ++l;
        const qsizetype x = skipBlanks(s, l);
        if (x >= n || s[x] != u'=')
            continue;
        const qsizetype y = skipBlanks(s, x + 1);
        if (y >= n)
            continue;
        qsizetype end = -1;
        if (s[y] == u'"' || s[y] == u'\'') {
            const qsizetype q = s[y] == u'"' ? nextQuote(y + 1) : nextApostrophe(y + 1);
            if (q < n)
                end = q + 1;
        }
        if (end < 0) {
            const qsizetype r = valueEnd(y);
            if (r > y)
                end = r;
        }
        if (end < 0)
            continue;
        out += s.mid(copied, p - copied);
        copied = i = end;
    }
    if (copied == 0)
        return text;
    out += s.mid(copied);
    return out;
}

// href/src = "javascript:…" (any quoting) becomes name="#".
QString neutraliseScriptURLs(const QString& text)
{
    const QStringView s(text);
    const qsizetype n = s.size();
    auto valueEnd = markdownFinder(s, [s](qsizetype j) {
        const QChar c = s[j];
        return c == u'"' || c == u'\'' || c == u'>' || blank(s, j);
    });
    QString out;
    qsizetype copied = 0;
    for (qsizetype p = 0; p < n; ++p) {
        const char16_t f = foldedLetter(s[p]);
        qsizetype len = 0;
        if (f == u'h' && startsFolded(s, p, "href"))
            len = 4;
        else if (f == u's' && startsFolded(s, p, "src"))
            len = 3;
        else
            continue;
        qsizetype j = skipBlanks(s, p + len);
        if (j >= n || s[j] != u'=')
            continue;
        j = skipBlanks(s, j + 1);
        QChar quote;
        if (j < n && (s[j] == u'"' || s[j] == u'\''))
            quote = s[j++];
        j = skipBlanks(s, j);
        if (!startsFolded(s, j, "javascript:"))
            continue;
        qsizetype end = valueEnd(j + 11);
        if (!quote.isNull()) {
            if (end >= n || s[end] != quote)
                continue;
            ++end;
        }
        out += s.mid(copied, p + len - copied);
        out += QLatin1String("=\"#\"");
        copied = end;
        p = end - 1;
    }
    if (copied == 0)
        return text;
    out += s.mid(copied);
    return out;
}

}

QString sanitize(const QString& html)
{
    // Each substitution needs a "<", a blank or an "=" to match at all.
    QString out = html.contains(u'<') ? dropScripts(html) : html;
    for (QChar c : out)
        if (isSpace(c.unicode())) {
            out = dropHandlers(out);
            break;
        }
    if (out.contains(u'='))
        out = neutraliseScriptURLs(out);
    // The substitutions above miss handlers after "/", encoded script URLs
    // and elements like <meta> or <form>; the parser-based pass catches them.
    return HTMLSanitizer::clean(out);
}

}
