#include "plugins/Markdown.h"

#include "plugins/HTMLSanitizer.h"

namespace Markdown {

namespace {

// Elements GitHub never lets raw Markdown open: their "<" is shown as text,
// so an unclosed one cannot swallow the rest of the page.
bool filteredTag(QStringView s, qsizetype i)
{
    static const char* names[] = {"title",   "textarea", "style",  "xmp",      "iframe",
                                  "noembed", "noframes", "script", "plaintext"};
    qsizetype j = i + 1;
    if (j < s.size() && s[j] == u'/')
        ++j;
    for (const char* name : names) {
        qsizetype k = j;
        const char* c = name;
        while (*c && k < s.size() && s[k].toLower() == QLatin1Char(*c)) {
            ++k;
            ++c;
        }
        if (*c || k >= s.size())
            continue;
        const QChar after = s[k];
        if (after == u' ' || after == u'\t' || after == u'\n' || after == u'\r' || after == u'\f' || after == u'\v'
            || after == u'>' || (after == u'/' && k + 1 < s.size() && s[k + 1] == u'>'))
            return true;
    }
    return false;
}

QString filterTags(const QString& html)
{
    const QStringView s(html);
    QString out;
    qsizetype copied = 0;
    for (qsizetype i = s.indexOf(u'<'); i >= 0; i = s.indexOf(u'<', i + 1)) {
        if (!filteredTag(s, i))
            continue;
        out += s.mid(copied, i - copied);
        out += QLatin1String("&lt;");
        copied = i + 1;
    }
    if (copied == 0)
        return html;
    out += s.mid(copied);
    return out;
}

bool blank(QChar c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f'; }

// Where a comment, processing instruction, declaration or CDATA section at i
// ends as a browser reads it in text (so everything inside is inert), or -1.
qsizetype inertSpan(const QString& s, qsizetype i)
{
    if (s.mid(i, 4) == QLatin1String("<!--")) {
        const qsizetype k = i + 4;
        if (s.mid(k, 1) == QLatin1String(">"))
            return k + 1;
        if (s.mid(k, 2) == QLatin1String("->"))
            return k + 2;
        const qsizetype close = s.indexOf(QLatin1String("-->"), k), bang = s.indexOf(QLatin1String("--!>"), k);
        if (close < 0 && bang < 0)
            return -1;
        return close >= 0 && (bang < 0 || close < bang) ? close + 3 : bang + 4;
    }
    const bool bogus = s.mid(i, 2) == QLatin1String("<?")
        || (s.mid(i, 2) == QLatin1String("<!") && i + 2 < s.size()
            && ((s[i + 2] >= u'A' && s[i + 2] <= u'Z') || (s[i + 2] >= u'a' && s[i + 2] <= u'z') || s[i + 2] == u'['));
    if (!bogus)
        return -1;
    const qsizetype gt = s.indexOf(u'>', i + 2);
    return gt < 0 ? -1 : gt + 1;
}

// The end of an inert construct at i that holds nothing looking like markup
// (so no reader of the page, however simple, takes it for a tag), or -1.
qsizetype inertEnd(const QString& s, qsizetype i)
{
    const qsizetype end = inertSpan(s, i);
    for (qsizetype k = i + 2; end > 0 && k + 1 < end; ++k) {
        const QChar c = s[k + 1];
        if (s[k] == u'<' && (c.isLetter() || c == u'/' || c == u'!' || c == u'?'))
            return -1;
    }
    return end;
}
}

QString sanitize(const QString& html)
{
    const QString filtered = filterTags(html);
    // Raw HTML starts where the page's text does, so comments and the like
    // leading it are known to be inert and pass as written; the rest is cleaned.
    QString out;
    qsizetype i = 0;
    while (true) {
        qsizetype j = i;
        while (j < filtered.size() && blank(filtered[j]))
            ++j;
        const qsizetype end = inertEnd(filtered, j);
        if (end < 0)
            break;
        out += QStringView(filtered).mid(i, end - i);
        i = end;
    }
    return i == 0 ? HTMLSanitizer::clean(filtered) : out + HTMLSanitizer::clean(filtered.mid(i));
}

}
