#include "render/PrintBreaks.h"

namespace PrintBreaks {

namespace {

bool isNameChar(QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9'); }

// The tag's name at `at` (just after '<').
QStringView nameAt(const QString& html, qsizetype at)
{
    qsizetype end = at;
    while (end < html.size() && isNameChar(html[end]))
        ++end;
    return QStringView(html).mid(at, end - at);
}

// Just past the '>' of the tag opening at `at`, quotes respected; -1 if unclosed.
qsizetype tagEnd(const QString& html, qsizetype at)
{
    QChar quote;
    for (qsizetype i = at + 1; i < html.size(); ++i) {
        const QChar c = html[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'>') {
            return i + 1;
        }
    }
    return -1;
}

bool isVoid(QStringView name)
{
    static const char* const names[] = {"area",  "br",   "col",  "embed",  "hr", "img",
                                        "input", "link", "meta", "source", "wbr"};
    for (const char* n : names)
        if (name.compare(QLatin1String(n), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool isHeading(QStringView name)
{
    return name.size() == 2 && (name[0] == u'h' || name[0] == u'H') && name[1] >= u'1' && name[1] <= u'6';
}

// Just past the element starting with the '<' at `at`; -1 when it is not
// an element or does not end.
qsizetype elementEnd(const QString& html, qsizetype at)
{
    const QStringView name = nameAt(html, at + 1);
    if (name.isEmpty())
        return -1;
    const qsizetype open = tagEnd(html, at);
    if (open < 0 || isVoid(name) || html[open - 2] == u'/')
        return open;
    int depth = 1;
    for (qsizetype i = html.indexOf(u'<', open); i >= 0; i = html.indexOf(u'<', i + 1)) {
        const bool closing = i + 1 < html.size() && html[i + 1] == u'/';
        const qsizetype from = i + (closing ? 2 : 1);
        if (nameAt(html, from).compare(name, Qt::CaseInsensitive) != 0)
            continue;
        if (!closing) {
            ++depth;
        } else if (--depth == 0) {
            const qsizetype end = html.indexOf(u'>', from);
            return end < 0 ? -1 : end + 1;
        }
    }
    return -1;
}

qsizetype skipSpace(const QString& html, qsizetype at)
{
    while (at < html.size() && html[at].isSpace())
        ++at;
    return at;
}

bool isPre(QStringView name) { return name.compare(QLatin1String("pre"), Qt::CaseInsensitive) == 0; }

bool isLongCode(const QString& html, qsizetype at, qsizetype end)
{
    return isPre(nameAt(html, at + 1)) && QStringView(html).mid(at, end - at).count(QLatin1Char('\n')) > shortCodeLines;
}

// The next heading's or code block's '<' from `from`, or -1.
qsizetype nextMark(const QString& html, qsizetype from)
{
    for (qsizetype i = html.indexOf(u'<', from); i >= 0; i = html.indexOf(u'<', i + 1)) {
        const QStringView name = nameAt(html, i + 1);
        if (isHeading(name) || isPre(name))
            return i;
    }
    return -1;
}

}

QString mark(const QString& html)
{
    QString out;
    qsizetype done = 0;
    for (qsizetype at = nextMark(html, 0); at >= 0; at = nextMark(html, done)) {
        const qsizetype end = elementEnd(html, at);
        if (end < 0)
            break;
        // A heading goes with any headings right after it and the element they
        // introduce; a code block goes alone.
        qsizetype groupEnd = end;
        bool kept = !isLongCode(html, at, end);
        for (bool more = isHeading(nameAt(html, at + 1)); more;) {
            more = false;
            const qsizetype next = skipSpace(html, groupEnd);
            if (next + 1 >= html.size() || html[next] != u'<' || !isNameChar(html[next + 1]))
                break;
            const qsizetype nextEnd = elementEnd(html, next);
            if (nextEnd < 0 || isLongCode(html, next, nextEnd))
                break;
            groupEnd = nextEnd;
            more = isHeading(nameAt(html, next + 1));
        }
        if (groupEnd == end && !isPre(nameAt(html, at + 1)))
            kept = false;  // a heading with nothing to keep it with
        if (out.isEmpty())
            out.reserve(html.size() + html.size() / 16);
        out += QStringView(html).mid(done, at - done);
        if (kept)
            out += QLatin1String("<div class=\"keep\">");
        out += QStringView(html).mid(at, groupEnd - at);
        if (kept)
            out += QLatin1String("</div>");
        done = groupEnd;
    }
    if (done == 0)
        return html;
    out += QStringView(html).mid(done);
    return out;
}

}
