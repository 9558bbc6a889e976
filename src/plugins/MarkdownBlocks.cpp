#include "plugins/Markdown.h"

#include "core/Blanks.h"
#include "core/LineEnding.h"
#include "plugins/HTML.h"
#include "plugins/Regex.h"

namespace Markdown {

namespace {

const QString headingRE = QStringLiteral(R"(^(#{1,6})\s+(.*?)\s*#*$)");
const QString headingStartRE = QStringLiteral(R"(^#{1,6}\s)");
const QString ruleRE = QStringLiteral(R"(^([-*_])(\s*\1){2,}$)");
const QString blockHTMLRE = QStringLiteral(R"(^</?[A-Za-z][A-Za-z0-9-]*(\s[^>]*)?/?>)");
const QString separatorRE = QStringLiteral(R"(^\s*\|?\s*:?-{1,}:?\s*(\|\s*:?-{1,}:?\s*)*\|?\s*$)");
const QString itemRE = QStringLiteral(R"(^(\s*)([-*+]|\d{1,9}[.)])\s+(.*)$)");
const QString taskRE = QStringLiteral(R"(^\[([ xX])\]\s+(.*)$)");
const QString fenceTicks = QStringLiteral("```");
const QString fenceTildes = QStringLiteral("~~~");

// How many blocks() calls are active on this thread.
thread_local int depth = 0;

struct DepthGuard {
    DepthGuard() { ++depth; }
    ~DepthGuard() { --depth; }
};

bool isFence(const QString& t) { return t.startsWith(fenceTicks) || t.startsWith(fenceTildes); }

bool startsHTML(const QString& t)
{
    return t.startsWith(u'<') && (t.startsWith(QLatin1String("<!--")) || Regex::reMatches(t, blockHTMLRE));
}

// The cheap first-character tests spare the regular expressions on most lines.
bool headingStart(const QString& t) { return t.startsWith(u'#') && Regex::reMatches(t, headingStartRE); }

bool isRule(const QString& t)
{
    return (t.startsWith(u'-') || t.startsWith(u'*') || t.startsWith(u'_')) && Regex::reMatches(t, ruleRE);
}

QString paragraph(const QStringList& lines, int& i)
{
    QStringList collected;
    const int n = int(lines.size());
    while (i < n) {
        const QString t = trimBlanks(lines[i]);
        // The first line is the paragraph's by construction; checking it could only stall the pass.
        if (!collected.isEmpty()
            && (t.isEmpty() || startsHTML(t) || isFence(t) || t.startsWith(u'>') || headingStart(t)
                || isRule(t) || listMarker(lines[i])))
            break;
        collected << lines[i];
        ++i;
    }
    QString out = QStringLiteral("<p>");
    for (int k = 0; k < collected.size(); ++k) {
        if (k > 0)
            out += u'\n';
        out += inlineHTML(trimBlanks(collected[k]));
        if (k + 1 < collected.size() && collected[k].endsWith(QLatin1String("  ")))
            out += QLatin1String("<br>");
    }
    return out + QStringLiteral("</p>\n");
}

// Past the depth bound the rest is shown as text instead of recursing.
QString flat(const QStringList& lines)
{
    return QStringLiteral("<p>") + HTML::esc(lines.join(u'\n')) + QStringLiteral("</p>\n");
}

}

int indent(const QString& s)
{
    int w = 0;
    for (QChar c : s) {
        if (c == u' ')
            w += 1;
        else if (c == u'\t')
            w += 4;
        else
            break;
    }
    return w;
}

std::optional<Marker> listMarker(const QString& line)
{
    qsizetype k = 0;
    while (k < line.size() && line[k].isSpace())
        ++k;
    if (k >= line.size() || !(line[k] == u'-' || line[k] == u'*' || line[k] == u'+' || line[k].isDigit()))
        return std::nullopt;
    const auto m = Regex::firstMatch(line, itemRE);
    if (!m)
        return std::nullopt;
    return Marker{indent((*m)[1]), (*m)[2].front().isDigit(), (*m)[3]};
}

QStringList cells(const QString& line)
{
    QString t = trimBlanks(line);
    if (t.startsWith(u'|'))
        t.remove(0, 1);
    if (t.endsWith(u'|'))
        t.chop(1);
    QStringList out = t.split(u'|');
    for (QString& c : out)
        c = trimBlanks(c);
    return out;
}

QString table(const QStringList& lines, int& i)
{
    const QStringList header = cells(lines[i]);
    QStringList align;
    for (const QString& c : cells(lines[i + 1])) {
        const bool l = c.startsWith(u':'), r = c.endsWith(u':');
        align << (l && r ? QStringLiteral("center") : l ? QStringLiteral("left") : r ? QStringLiteral("right") : QString());
    }
    i += 2;
    const auto attr = [&](int k) {
        return k < align.size() && !align[k].isEmpty() ? QStringLiteral(" style=\"text-align:%1\"").arg(align[k]) : QString();
    };
    QString out = QStringLiteral("<table><thead><tr>");
    for (int k = 0; k < header.size(); ++k)
        out += QStringLiteral("<th") + attr(k) + u'>' + inlineHTML(header[k]) + QStringLiteral("</th>");
    out += QStringLiteral("</tr></thead><tbody>");
    const int n = int(lines.size());
    while (i < n && lines[i].contains(u'|') && !trimBlanks(lines[i]).isEmpty()) {
        out += QStringLiteral("<tr>");
        const QStringList row = cells(lines[i]);
        for (int k = 0; k < row.size(); ++k)
            out += QStringLiteral("<td") + attr(k) + u'>' + inlineHTML(row[k]) + QStringLiteral("</td>");
        out += QStringLiteral("</tr>");
        ++i;
    }
    return out + QStringLiteral("</tbody></table>\n");
}

QString list(const QStringList& lines, int& i)
{
    const int n = int(lines.size());
    const Marker first = *listMarker(lines[i]);
    const int base = first.indent;
    struct Item {
        QString text;
        QStringList inner;
    };
    QList<Item> items;
    while (i < n) {
        const QString& line = lines[i];
        const QString t = trimBlanks(line);
        const auto marker = listMarker(line);
        const int ind = indent(line);
        if (marker && marker->indent == base) {
            items.append({marker->text, {}});
            ++i;
            continue;
        }
        if (t.isEmpty()) {
            if (i + 1 >= n || indent(lines[i + 1]) <= base || trimBlanks(lines[i + 1]).isEmpty())
                break;
            if (!items.isEmpty())
                items.last().inner << QString();
            ++i;
            continue;
        }
        if (ind > base) {
            // Indentation counts tabs as four, so cut by width, not by characters.
            int cut = std::min(ind, base + 2), k = 0, w = 0;
            while (k < line.size() && w < cut && (line[k] == u' ' || line[k] == u'\t')) {
                w += line[k] == u'\t' ? 4 : 1;
                ++k;
            }
            if (!items.isEmpty())
                items.last().inner << line.mid(k);
            ++i;
            continue;
        }
        if (marker || startsHTML(t) || isFence(t) || t.startsWith(u'>') || headingStart(t)
            || isRule(t))
            break;
        if (!items.isEmpty())
            items.last().text += u' ' + t;
        ++i;
    }
    const QString tag = first.ordered ? QStringLiteral("ol") : QStringLiteral("ul");
    QString out = u'<' + tag + u'>';
    for (const Item& item : items) {
        if (const auto task = Regex::firstMatch(item.text, taskRE)) {
            out += (*task)[1] == QLatin1String(" ")
                       ? QStringLiteral("<li class=\"task\"><input type=\"checkbox\" disabled> ")
                       : QStringLiteral("<li class=\"task\"><input type=\"checkbox\" disabled checked> ");
            out += inlineHTML((*task)[2]);
        } else {
            out += QStringLiteral("<li>") + inlineHTML(item.text);
        }
        if (!item.inner.isEmpty()) {
            int k = 0;
            out += blocks(item.inner, k);
        }
        out += QStringLiteral("</li>");
    }
    return out + QStringLiteral("</") + tag + QStringLiteral(">\n");
}

QString blocks(const QStringList& lines, int& i)
{
    if (depth >= maxDepth) {
        QStringList rest = lines.mid(i);
        i = int(lines.size());
        return flat(rest);
    }
    DepthGuard guard;
    QString out;
    const int n = int(lines.size());
    while (i < n) {
        const QString t = trimBlanks(lines[i]);
        if (t.isEmpty()) {
            ++i;
            continue;
        }
        if (isFence(t)) {
            const QString fence = t.left(3);
            const QString lang = trimBlanks(t.mid(3));
            QStringList code;
            ++i;
            while (i < n && !trimBlanks(lines[i]).startsWith(fence))
                code << lines[i++];
            if (i < n)
                ++i;
            out += lang.isEmpty() ? QStringLiteral("<pre><code>")
                                  : QStringLiteral("<pre><code class=\"lang-") + HTML::esc(lang) + QStringLiteral("\">");
            out += HTML::esc(code.join(u'\n')) + QStringLiteral("</code></pre>\n");
            continue;
        }
        if (startsHTML(t)) {
            QStringList block;
            while (i < n && !trimBlanks(lines[i]).isEmpty())
                block << lines[i++];
            out += sanitize(block.join(u'\n')) + u'\n';
            continue;
        }
        if (const auto h = t.startsWith(u'#') ? Regex::firstMatch(t, headingRE) : std::nullopt) {
            const QString level = QString::number((*h)[1].size());
            out += QStringLiteral("<h") + level + u'>' + inlineHTML((*h)[2]) + QStringLiteral("</h") + level + QStringLiteral(">\n");
            ++i;
            continue;
        }
        if (isRule(t)) {
            out += QStringLiteral("<hr>\n");
            ++i;
            continue;
        }
        if (t.startsWith(u'>')) {
            QStringList quoted;
            while (i < n) {
                QString q = trimBlanks(lines[i]);
                if (!q.startsWith(u'>'))
                    break;
                q.remove(0, 1);
                if (q.startsWith(u' '))
                    q.remove(0, 1);
                quoted << q;
                ++i;
            }
            int k = 0;
            out += QStringLiteral("<blockquote>") + blocks(quoted, k) + QStringLiteral("</blockquote>\n");
            continue;
        }
        if (t.contains(u'|') && i + 1 < n && lines[i + 1].contains(u'-') && Regex::reMatches(lines[i + 1], separatorRE)) {
            out += table(lines, i);
            continue;
        }
        if (listMarker(lines[i])) {
            out += list(lines, i);
            continue;
        }
        out += paragraph(lines, i);
    }
    return out;
}

QString html(const QString& text)
{
    const QStringList lines = LineEnding::normalize(text).split(u'\n');
    int i = 0;
    return blocks(lines, i);
}

}
