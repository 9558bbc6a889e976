#include "plugins/Markdown.h"

#include "core/LineEnding.h"
#include "plugins/AnalysisBudget.h"
#include "plugins/HTML.h"
#include "plugins/MarkdownChars.h"

#include <algorithm>
#include <functional>

namespace Markdown {

namespace {

using namespace MarkdownChars;

const QLatin1String fenceTicks("```");
const QLatin1String fenceTildes("~~~");

// How many blocks() calls are active on this thread.
thread_local int depth = 0;

struct DepthGuard {
    DepthGuard() { ++depth; }
    ~DepthGuard() { --depth; }
};

constexpr quint16 saturated = 0xFFFF;

// Where each source line starts, while blocks are tagged with their source line.
thread_local const std::vector<const QChar*>* lineStarts = nullptr;
// The line last found: blocks mostly come in source order, so the next is usually at or just after it.
thread_local std::size_t lineHint = 0;

// ` data-line="N"`: the 0-based source line a nested or top-level line view starts on.
void appendSourceLine(QString& out, const Line& l)
{
    if (!lineStarts || !l.data || lineStarts->empty())
        return;
    const auto& starts = *lineStarts;
    const std::less<const QChar*> before;
    const auto holds = [&](std::size_t k) { return !before(l.data, starts[k]) && (k + 1 == starts.size() || before(l.data, starts[k + 1])); };
    std::size_t k = lineHint < starts.size() ? lineHint : 0;
    if (!holds(k) && !(k + 1 < starts.size() && holds(++k))) {
        const auto it = std::upper_bound(starts.begin(), starts.end(), l.data, before);
        if (it == starts.begin())
            return;
        k = std::size_t(it - starts.begin()) - 1;
    }
    lineHint = k;
    char digits[24];
    char* end = digits + sizeof digits;
    char* at = end;
    do
        *--at = char('0' + k % 10);
    while (k /= 10);
    out += QLatin1String(" data-line=\"");
    out += QLatin1String(at, end - at);
    out += u'"';
}

// The element opened by `open` ("<p", "<h2"...), tagged with the line's source line.
void openTagged(QString& out, QLatin1String open, const Line& l)
{
    out += open;
    appendSourceLine(out, l);
    out += u'>';
}

// Puts the source line on the first element of a sanitised HTML block, if it opens with one.
QString taggedHTML(QString html, const Line& l)
{
    if (!lineStarts || html.size() < 2 || html[0] != u'<' || !((html[1] >= u'a' && html[1] <= u'z') || (html[1] >= u'A' && html[1] <= u'Z')))
        return html;
    qsizetype k = 1;
    while (k < html.size() && html[k] != u' ' && html[k] != u'>' && html[k] != u'/')
        ++k;
    QString attr;
    appendSourceLine(attr, l);
    html.insert(k, attr);
    return html;
}

std::optional<Marker> listMarker(const Line& l);

Line lineOf(QStringView v)
{
    Line l{v.data(), quint32(v.size()), 0, 0};
    qsizetype lead = 0, tabs = 0;
    while (lead < v.size() && lead < saturated && (v[lead] == u' ' || v[lead] == u'\t'))
        tabs += v[lead++] == u'\t';
    l.lead = quint16(lead);
    l.tabs = quint16(tabs);
    return l;
}

// Leading spaces and tabs.
qsizetype leadOf(const Line& l)
{
    if (l.lead < saturated)
        return l.lead;
    const QStringView v = l.text();
    qsizetype k = 0;
    while (k < v.size() && (v[k] == u' ' || v[k] == u'\t'))
        ++k;
    return k;
}

// The indentation width, a tab counting four.
int widthOf(const Line& l) { return l.lead < saturated ? l.lead + 3 * l.tabs : indent(l.text()); }

// The line without its first k characters, all of them spaces or tabs, tabs of them tabs.
Line stripped(const Line& l, qsizetype k, int tabs)
{
    if (l.lead == saturated)
        return lineOf(l.text().mid(k));
    return Line{l.data + k, quint32(l.size - k), quint16(l.lead - k), quint16(l.tabs - tabs)};
}

QStringView trimmed(QStringView s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && (s[b] == u' ' || s[b] == u'\t'))
        ++b;
    while (e > b && (s[e - 1] == u' ' || s[e - 1] == u'\t'))
        --e;
    return s.mid(b, e - b);
}

QStringView trimmed(const Line& l)
{
    const QStringView v = l.text().mid(leadOf(l));
    qsizetype e = v.size();
    while (e > 0 && (v[e - 1] == u' ' || v[e - 1] == u'\t'))
        --e;
    return v.left(e);
}

bool blank(QStringView s, qsizetype i) { return isSpace(s[i].unicode()); }

qsizetype skipBlanks(QStringView s, qsizetype i)
{
    while (i < s.size() && blank(s, i))
        ++i;
    return i;
}

// Whether "$" matches at i: the end, or right before a final line break.
bool atEnd(QStringView s, qsizetype i)
{
    const qsizetype n = s.size();
    if (i == n)
        return true;
    if (i == n - 1)
        return isLineEnd(s[i].unicode()) && !(s[i] == u'\n' && i > 0 && s[i - 1] == u'\r');
    return i == n - 2 && s[i] == u'\r' && s[i + 1] == u'\n';
}

// The rest of the line from i up to "$" when no line break comes before it.
std::optional<QStringView> restOfLine(QStringView s, qsizetype i)
{
    qsizetype z = i;
    while (z < s.size() && !isLineEnd(s[z].unicode()))
        ++z;
    if (!atEnd(s, z))
        return std::nullopt;
    return s.mid(i, z - i);
}

// A table's separator row: cells of dashes with optional colons at either
// end, split by bars, optional outer bars, blanks anywhere between.
bool isSeparator(QStringView s)
{
    enum { start, afterBar, colon, dashes, afterCell, afterCellBar } state = start;
    bool bar = false;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        const bool space = blank(s, i);
        switch (state) {
        case start:
        case afterBar:
        case afterCellBar:
            if (space)
                continue;
            if (c == u'|' && state == start && !bar) {
                bar = true;
                state = afterBar;
            } else if (c == u':') {
                state = colon;
            } else if (c == u'-') {
                state = dashes;
            } else {
                return false;
            }
            continue;
        case colon:
            if (c != u'-')
                return false;
            state = dashes;
            continue;
        case dashes:
            if (c == u'-')
                continue;
            if (c == u':' || space)
                state = afterCell;
            else if (c == u'|')
                state = afterCellBar;
            else
                return false;
            continue;
        case afterCell:
            if (space)
                continue;
            if (c != u'|')
                return false;
            state = afterCellBar;
            continue;
        }
    }
    return state == dashes || state == afterCell || state == afterCellBar;
}

bool isFence(QStringView t) { return t.startsWith(fenceTicks) || t.startsWith(fenceTildes); }

bool asciiLetter(QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

// A line opening with a tag: </?name then ">", "/>", or a blank and a later ">".
bool blockTag(QStringView t)
{
    const qsizetype n = t.size();
    qsizetype j = 1;
    if (j < n && t[j] == u'/')
        ++j;
    if (j >= n || !asciiLetter(t[j]))
        return false;
    ++j;
    while (j < n && (asciiLetter(t[j]) || (t[j] >= u'0' && t[j] <= u'9') || t[j] == u'-'))
        ++j;
    if (j >= n)
        return false;
    if (blank(t, j))
        return t.indexOf(u'>', j + 1) >= 0;
    return t[j] == u'>' || (t[j] == u'/' && j + 1 < n && t[j + 1] == u'>');
}

bool startsHTML(QStringView t) { return t.startsWith(u'<') && (t.startsWith(QLatin1String("<!--")) || blockTag(t)); }

qsizetype hashes(QStringView t)
{
    qsizetype h = 0;
    while (h < t.size() && t[h] == u'#')
        ++h;
    return h;
}

// One to six "#" and a blank.
bool headingStart(QStringView t)
{
    const qsizetype h = hashes(t);
    return h >= 1 && h <= 6 && h < t.size() && blank(t, h);
}

struct Heading {
    qsizetype level;
    QStringView text;
};

// "#" × 1-6, blanks, the text, then optional blanks and closing "#"s.
std::optional<Heading> heading(QStringView t)
{
    if (!headingStart(t))
        return std::nullopt;
    const qsizetype h = hashes(t), a = skipBlanks(t, h), n = t.size();
    // The text is the shortest that leaves only blanks and "#"s before "$".
    qsizetype best = -1;
    for (qsizetype end : {n, n - 1, n - 2}) {
        if (end < a || !atEnd(t, end))
            continue;
        qsizetype r = end;
        while (r > a && t[r - 1] == u'#')
            --r;
        while (r > a && blank(t, r - 1))
            --r;
        if (best < 0 || r < best)
            best = r;
    }
    if (best < 0)
        return std::nullopt;
    for (qsizetype k = a; k < best; ++k)
        if (isLineEnd(t[k].unicode()))
            return std::nullopt;
    return Heading{h, t.mid(a, best - a)};
}

// Three or more of the same "-", "*" or "_", blanks allowed between.
bool isRule(QStringView t)
{
    if (t.isEmpty() || !(t[0] == u'-' || t[0] == u'*' || t[0] == u'_'))
        return false;
    int count = 0;
    qsizetype j = 1;
    while (true) {
        const qsizetype k = skipBlanks(t, j);
        if (k >= t.size() || t[k] != t[0])
            break;
        ++count;
        j = k + 1;
    }
    return count >= 2 && atEnd(t, j);
}

struct Task {
    bool checked;
    QStringView text;
};

// "[ ]", "[x]" or "[X]", blanks, the text.
std::optional<Task> task(QStringView t)
{
    if (t.size() < 4 || t[0] != u'[' || !(t[1] == u' ' || t[1] == u'x' || t[1] == u'X') || t[2] != u']' || !blank(t, 3))
        return std::nullopt;
    const auto rest = restOfLine(t, skipBlanks(t, 3));
    if (!rest)
        return std::nullopt;
    return Task{t[1] != u' ', *rest};
}

void paragraph(QString& out, const Lines& lines, qsizetype& i)
{
    const qsizetype n = qsizetype(lines.size()), from = i;
    while (i < n) {
        const QStringView t = trimmed(lines[i]);
        // The first line is the paragraph's by construction; checking it could only stall the pass.
        if (i > from
            && (t.isEmpty() || startsHTML(t) || isFence(t) || t.startsWith(u'>') || headingStart(t)
                || isRule(t) || listMarker(lines[i])))
            break;
        ++i;
    }
    openTagged(out, QLatin1String("<p"), lines[from]);
    for (qsizetype k = from; k < i; ++k) {
        if (k > from)
            out += u'\n';
        appendInline(out, trimmed(lines[k]));
        if (k + 1 < i && lines[k].text().endsWith(QLatin1String("  ")))
            out += QLatin1String("<br>");
    }
    out += QLatin1String("</p>\n");
}

QString joined(const Lines& lines, qsizetype from, qsizetype to)
{
    QString out;
    for (qsizetype k = from; k < to; ++k) {
        if (k > from)
            out += u'\n';
        out += lines[k].text();
    }
    return out;
}

// Past the depth bound the rest is shown as text instead of recursing.
void flat(QString& out, const Lines& lines, qsizetype from)
{
    openTagged(out, QLatin1String("<p"), lines[from]);
    HTML::appendEsc(out, joined(lines, from, qsizetype(lines.size())));
    out += QLatin1String("</p>\n");
}

}

int indent(QStringView s)
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

// Blanks, then "-", "*", "+" or one to nine digits with "." or ")", then
// blanks and the item's text.
namespace {

// The marker of a line whose first `from` characters are spaces or tabs.
std::optional<Marker> markerFrom(QStringView line, qsizetype from, int columns)
{
    qsizetype k = from;
    while (k < line.size() && line[k].isSpace())
        ++k;
    if (k >= line.size() || !(line[k] == u'-' || line[k] == u'*' || line[k] == u'+' || line[k].isDigit()))
        return std::nullopt;
    const qsizetype lead = skipBlanks(line, from);
    qsizetype m = lead;
    if (m >= line.size())
        return std::nullopt;
    if (line[m] == u'-' || line[m] == u'*' || line[m] == u'+') {
        ++m;
    } else {
        int digits = 0;
        while (m < line.size() && isDigit(at(line, m)) && digits < 10) {
            m += width(at(line, m));
            ++digits;
        }
        if (digits == 0 || digits > 9 || m >= line.size() || !(line[m] == u'.' || line[m] == u')'))
            return std::nullopt;
        ++m;
    }
    if (m >= line.size() || !blank(line, m))
        return std::nullopt;
    const auto text = restOfLine(line, skipBlanks(line, m));
    if (!text)
        return std::nullopt;
    return Marker{columns < 0 ? indent(line.left(lead)) : columns, line[lead].isDigit(), *text};
}

std::optional<Marker> listMarker(const Line& l)
{
    return markerFrom(l.text(), leadOf(l), widthOf(l));
}

}

std::optional<Marker> listMarker(QStringView line)
{
    return markerFrom(line, 0, -1);
}

QStringList cells(QStringView line)
{
    QStringView t = trimmed(line);
    if (t.startsWith(u'|'))
        t = t.mid(1);
    if (t.endsWith(u'|'))
        t.chop(1);
    QStringList out;
    for (QStringView c : t.split(u'|'))
        out << trimmed(c).toString();
    return out;
}

void table(QString& out, const Lines& lines, qsizetype& i)
{
    const qsizetype head = i;
    const QStringList header = cells(lines[i].text());
    QStringList align;
    for (const QString& c : cells(lines[i + 1].text())) {
        const bool l = c.startsWith(u':'), r = c.endsWith(u':');
        align << (l && r ? QStringLiteral("center") : l ? QStringLiteral("left") : r ? QStringLiteral("right") : QString());
    }
    i += 2;
    QStringList styles;
    for (const QString& a : align)
        styles << (a.isEmpty() ? QString() : QStringLiteral(" style=\"text-align:") + a + u'"');
    const auto attr = [&](qsizetype k) { return k < styles.size() ? styles[k] : QString(); };
    openTagged(out, QLatin1String("<table"), lines[head]);
    out += QLatin1String("<thead>");
    openTagged(out, QLatin1String("<tr"), lines[head]);
    for (qsizetype k = 0; k < header.size(); ++k) {
        out += QLatin1String("<th") + attr(k) + u'>';
        appendInline(out, header[k]);
        out += QLatin1String("</th>");
    }
    out += QStringLiteral("</tr></thead><tbody>");
    const qsizetype n = qsizetype(lines.size());
    while (i < n && lines[i].text().contains(u'|') && !trimmed(lines[i]).isEmpty()) {
        openTagged(out, QLatin1String("<tr"), lines[i]);
        const QStringList row = cells(lines[i].text());
        for (qsizetype k = 0; k < row.size(); ++k) {
            out += QLatin1String("<td") + attr(k) + u'>';
            appendInline(out, row[k]);
            out += QLatin1String("</td>");
        }
        out += QStringLiteral("</tr>");
        ++i;
    }
    out += QLatin1String("</tbody></table>\n");
}

void list(QString& out, const Lines& lines, qsizetype& i)
{
    const qsizetype n = qsizetype(lines.size());
    const Marker first = *listMarker(lines[i]);
    const int base = first.indent;
    struct Item {
        QString text;
        Lines inner;
        Line start;
    };
    std::vector<Item> items;
    // Items of an ordered list separated by blank lines stay one (loose) list.
    bool loose = false;
    while (i < n) {
        AnalysisBudget::poll();
        const Line& line = lines[i];
        const QStringView t = trimmed(line);
        const int ind = widthOf(line);
        // A marker's indent is the line's, so deeper lines need no marker test.
        const auto marker = ind <= base ? listMarker(line) : std::nullopt;
        if (marker && marker->indent == base) {
            items.push_back({marker->text.toString(), {}, line});
            ++i;
            continue;
        }
        if (t.isEmpty()) {
            if (i + 1 >= n || widthOf(lines[i + 1]) <= base || trimmed(lines[i + 1]).isEmpty()) {
                qsizetype next = i + 1;
                while (next < n && trimmed(lines[next]).isEmpty())
                    ++next;
                const auto after = next < n && first.ordered ? listMarker(lines[next]) : std::nullopt;
                if (after && after->indent == base && after->ordered) {
                    loose = true;
                    i = next;
                    continue;
                }
                break;
            }
            if (!items.empty())
                items.back().inner.push_back(Line());
            ++i;
            continue;
        }
        if (ind > base) {
            // Indentation counts tabs as four, so cut by width, not by characters.
            const QStringView v = line.text();
            int cut = std::min(ind, base + 2), w = 0, tabs = 0;
            qsizetype k = 0;
            while (k < v.size() && w < cut && (v[k] == u' ' || v[k] == u'\t')) {
                tabs += v[k] == u'\t';
                w += v[k] == u'\t' ? 4 : 1;
                ++k;
            }
            if (!items.empty())
                items.back().inner.push_back(stripped(line, k, tabs));
            ++i;
            continue;
        }
        if (marker || startsHTML(t) || isFence(t) || t.startsWith(u'>') || headingStart(t) || isRule(t))
            break;
        if (!items.empty()) {
            items.back().text += u' ';
            items.back().text += t;
        }
        ++i;
    }
    const QString tag = first.ordered ? QStringLiteral("ol") : QStringLiteral("ul");
    const QLatin1String open(loose ? "<p>" : ""), close(loose ? "</p>" : "");
    out += u'<' + tag + u'>';
    for (Item& item : items) {
        if (const auto t = task(item.text)) {
            out += QLatin1String("<li class=\"task\"");
            appendSourceLine(out, item.start);
            out += u'>' + open
                 + (t->checked ? QStringLiteral("<input type=\"checkbox\" disabled checked> ")
                               : QStringLiteral("<input type=\"checkbox\" disabled> "));
            appendInline(out, t->text);
            out += close;
        } else {
            openTagged(out, QLatin1String("<li"), item.start);
            out += open;
            appendInline(out, item.text);
            out += close;
        }
        if (!item.inner.empty()) {
            // The item's text and lines are no longer needed once rendered.
            Lines inner = std::move(item.inner);
            qsizetype k = 0;
            blocks(out, inner, k);
        }
        out += QStringLiteral("</li>");
    }
    out += QLatin1String("</") + tag + QLatin1String(">\n");
}

void blocks(QString& out, const Lines& lines, qsizetype& i)
{
    if (depth >= maxDepth) {
        const qsizetype from = i;
        i = qsizetype(lines.size());
        flat(out, lines, from);
        return;
    }
    DepthGuard guard;
    const qsizetype n = qsizetype(lines.size());
    while (i < n) {
        AnalysisBudget::poll();
        const QStringView t = trimmed(lines[i]);
        if (t.isEmpty()) {
            ++i;
            continue;
        }
        if (isFence(t)) {
            const Line& opening = lines[i];
            const QStringView fence = t.left(3);
            const QStringView lang = trimmed(t.mid(3));
            const qsizetype from = ++i;
            while (i < n && !trimmed(lines[i]).startsWith(fence))
                ++i;
            const qsizetype to = i;
            if (i < n)
                ++i;
            openTagged(out, QLatin1String("<pre"), opening);
            out += lang.isEmpty() ? QStringLiteral("<code>")
                                  : QStringLiteral("<code class=\"lang-") + HTML::esc(lang.toString()) + QStringLiteral("\">");
            HTML::appendEsc(out, joined(lines, from, to));
            out += QStringLiteral("</code></pre>\n");
            continue;
        }
        if (startsHTML(t)) {
            const qsizetype from = i;
            while (i < n && !trimmed(lines[i]).isEmpty())
                ++i;
            out += taggedHTML(sanitize(joined(lines, from, i)), lines[from]) + u'\n';
            continue;
        }
        if (const auto h = t.startsWith(u'#') ? heading(t) : std::nullopt) {
            const QString level = QString::number(h->level);
            out += QLatin1String("<h") + level;
            appendSourceLine(out, lines[i]);
            out += u'>';
            appendInline(out, h->text);
            out += QLatin1String("</h") + level + QLatin1String(">\n");
            ++i;
            continue;
        }
        if (isRule(t)) {
            openTagged(out, QLatin1String("<hr"), lines[i]);
            out += u'\n';
            ++i;
            continue;
        }
        if (t.startsWith(u'>')) {
            const Line& first = lines[i];
            Lines quoted;
            while (i < n) {
                QStringView q = trimmed(lines[i]);
                if (!q.startsWith(u'>'))
                    break;
                q = q.mid(1);
                if (q.startsWith(u' '))
                    q = q.mid(1);
                quoted.push_back(lineOf(q));
                ++i;
            }
            qsizetype k = 0;
            openTagged(out, QLatin1String("<blockquote"), first);
            blocks(out, quoted, k);
            out += QLatin1String("</blockquote>\n");
            continue;
        }
        if (t.contains(u'|') && i + 1 < n && lines[i + 1].text().contains(u'-')
            && isSeparator(lines[i + 1].text())) {
            table(out, lines, i);
            continue;
        }
        if (listMarker(lines[i])) {
            list(out, lines, i);
            continue;
        }
        paragraph(out, lines, i);
    }
}

QString html(const QString& text, bool sourceLines)
{
    const QString normal = LineEnding::normalize(text);
    Lines lines;
    for (QStringView line : QStringView(normal).split(u'\n'))
        lines.push_back(lineOf(line));
    std::vector<const QChar*> starts;
    if (sourceLines) {
        starts.reserve(lines.size());
        for (const Line& l : lines)
            starts.push_back(l.data);
    }
    // Cleared on every way out, an analysis budget running out included.
    struct Scope {
        explicit Scope(const std::vector<const QChar*>* s)
        {
            lineStarts = s;
            lineHint = 0;
        }
        ~Scope() { lineStarts = nullptr; }
    } scope(sourceLines ? &starts : nullptr);
    QString out;
    qsizetype i = 0;
    blocks(out, lines, i);
    return out;
}

}
