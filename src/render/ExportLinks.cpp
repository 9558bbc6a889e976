#include "render/ExportLinks.h"

#include "plugins/HTMLSanitizer.h"

#include <QRegularExpression>

namespace ExportLinks {

bool isLocalAbsolute(const QString& href)
{
    // Read as a browser reads a URL: references decoded, tabs and line
    // breaks dropped anywhere, controls and spaces trimmed at both ends.
    QString url = HTMLSanitizer::decodeReferences(href);
    url.removeIf([](QChar c) { return c == u'\t' || c == u'\n' || c == u'\r'; });
    qsizetype begin = 0;
    qsizetype end = url.size();
    while (begin < end && url[begin].unicode() <= 0x20)
        ++begin;
    while (end > begin && url[end - 1].unicode() <= 0x20)
        --end;
    url = url.mid(begin, end - begin);
    static const QRegularExpression scheme(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]*):"));
    const auto m = scheme.match(url);
    return m.hasMatch() && m.captured(1).compare(u"file", Qt::CaseInsensitive) == 0;
}

QString withoutLocalTargets(const QString& html)
{
    static const QRegularExpression anchor(QStringLiteral("<a\\b[^>]*>"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression hrefRe(QStringLiteral("\\shref\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\s>]+))"),
                                           QRegularExpression::CaseInsensitiveOption);
    QString out;
    qsizetype from = 0;
    for (auto it = anchor.globalMatch(html); it.hasNext();) {
        const auto tag = it.next();
        if (tag.capturedStart() < from)
            continue;
        const auto href = hrefRe.match(tag.capturedView());
        if (!href.hasMatch() || !isLocalAbsolute(href.captured(1) + href.captured(2) + href.captured(3)))
            continue;
        if (out.isEmpty())
            out.reserve(html.size());
        out += QStringView(html).mid(from, tag.capturedStart() - from);
        out += QLatin1String("<span>");
        // Links do not nest, so the next end tag is this link's.
        const qsizetype close = html.indexOf(QLatin1String("</a>"), tag.capturedEnd(), Qt::CaseInsensitive);
        const qsizetype textEnd = close < 0 ? html.size() : close;
        out += QStringView(html).mid(tag.capturedEnd(), textEnd - tag.capturedEnd());
        out += QLatin1String("</span>");
        from = close < 0 ? html.size() : close + 4;
    }
    if (from == 0)
        return html;
    out += QStringView(html).mid(from);
    return out;
}

}
