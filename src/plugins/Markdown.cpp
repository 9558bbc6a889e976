#include "plugins/Markdown.h"

#include "core/LineEnding.h"
#include "plugins/HTML.h"
#include "plugins/Regex.h"

#include <QSet>
#include <QVarLengthArray>

namespace Markdown {

namespace {

const QString kHeading = QStringLiteral(R"(^(#{1,6})\s+(.*?)\s*#*$)");
const QString kHeadingStart = QStringLiteral(R"(^#{1,6}\s)");
const QString kRule = QStringLiteral(R"(^([-*_])(\s*\1){2,}$)");
const QString kBlockHTML = QStringLiteral(R"(^</?[A-Za-z][A-Za-z0-9-]*(\s[^>]*)?/?>)");
const QString kTableSep = QStringLiteral(R"(^\s*\|?\s*:?-{1,}:?\s*(\|\s*:?-{1,}:?\s*)*\|?\s*$)");
const QString kListItem = QStringLiteral(R"(^(\s*)([-*+]|\d{1,9}[.)])\s+(.*)$)");
const QString kTask = QStringLiteral(R"(^\[([ xX])\]\s+(.*)$)");

const QString kScripts = QStringLiteral(
    R"((?is)<(script|iframe|object|embed|style)\b.*?</\1\s*>|<(script|iframe|object|embed|style)\b[^>]*>)");
const QString kHandlers = QStringLiteral(R"((?i)\s+on[a-z]+\s*=\s*("[^"]*"|'[^']*'|[^\s>]+))");
const QString kJSURL = QStringLiteral(R"((?i)(href|src)\s*=\s*(["']?)\s*javascript:[^"'\s>]*\2)");
const QString kRawHTML = QStringLiteral(
    R"(<!--[\s\S]*?-->|</?[A-Za-z][A-Za-z0-9-]*(?:\s[^<>]*)?/?>|&(?:[A-Za-z][A-Za-z0-9]*|#\d+|#x[0-9A-Fa-f]+);)");

thread_local int depth = 0;

struct DepthGuard {
    DepthGuard() { ++depth; }
    ~DepthGuard() { --depth; }
};

QString trimmed(const QString& s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && (s[b] == u' ' || s[b] == u'\t'))
        ++b;
    while (e > b && (s[e - 1] == u' ' || s[e - 1] == u'\t'))
        --e;
    return s.mid(b, e - b);
}

bool startsFence(const QString& t)
{
    return t.startsWith(QLatin1String("```")) || t.startsWith(QLatin1String("~~~"));
}

// The anchored patterns can only match from these first characters, so
// the others skip the regular expression with the same result.
bool blockHTML(const QString& t) { return t.startsWith(u'<') && Regex::reMatches(t, kBlockHTML); }
bool headingStart(const QString& t) { return t.startsWith(u'#') && Regex::reMatches(t, kHeadingStart); }
bool rule(const QString& t)
{
    return (t.startsWith(u'-') || t.startsWith(u'*') || t.startsWith(u'_')) && Regex::reMatches(t, kRule);
}

// The lines that end a paragraph or a list item's lazy continuation.
bool opensBlock(const QString& t)
{
    return t.startsWith(QLatin1String("<!--")) || startsFence(t) || t.startsWith(u'>') || blockHTML(t)
        || headingStart(t) || rule(t);
}

// Blocks render their text unhardened: html() hardens the whole page once.
QString inlineRaw(const QString& text);

QString fenced(const QStringList& lines, qsizetype& i, const QString& t)
{
    const QString fence = t.left(3);
    const QString lang = trimmed(t.mid(3));
    ++i;
    QStringList code;
    while (i < lines.size() && !trimmed(lines[i]).startsWith(fence))
        code << lines[i++];
    if (i < lines.size())
        ++i;
    QString out = lang.isEmpty() ? QStringLiteral("<pre><code>")
                                 : QStringLiteral("<pre><code class=\"lang-") + HTML::esc(lang) + QStringLiteral("\">");
    HTML::appendEsc(out, code.join(u'\n'));
    out += QLatin1String("</code></pre>\n");
    return out;
}

QString htmlBlock(const QStringList& lines, qsizetype& i)
{
    QStringList taken;
    while (i < lines.size() && !trimmed(lines[i]).isEmpty())
        taken << lines[i++];
    return sanitize(taken.join(u'\n')) + u'\n';
}

QString blockquote(const QStringList& lines, qsizetype& i)
{
    QStringList inner;
    while (i < lines.size()) {
        QString t = trimmed(lines[i]);
        if (!t.startsWith(u'>'))
            break;
        t.remove(0, 1);
        if (t.startsWith(u' '))
            t.remove(0, 1);
        inner << t;
        ++i;
    }
    qsizetype cursor = 0;
    return QStringLiteral("<blockquote>") + blocks(inner, cursor) + QStringLiteral("</blockquote>\n");
}

QString paragraph(const QStringList& lines, qsizetype& i)
{
    QStringList taken;
    while (i < lines.size()) {
        const QString t = trimmed(lines[i]);
        // The first line always belongs to the paragraph, so the pass advances.
        if (!taken.isEmpty() && (t.isEmpty() || opensBlock(t) || listMarker(lines[i])))
            break;
        taken << lines[i++];
    }
    QString out = QStringLiteral("<p>");
    for (qsizetype k = 0; k < taken.size(); ++k) {
        if (k > 0)
            out += u'\n';
        out += inlineRaw(trimmed(taken[k]));
        if (k + 1 < taken.size() && taken[k].endsWith(QLatin1String("  ")))
            out += QLatin1String("<br>");
    }
    out += QLatin1String("</p>\n");
    return out;
}

// Too deep to nest further: the rest is shown, escaped, as one paragraph.
QString flattened(const QStringList& lines, qsizetype& i)
{
    QStringList rest = lines.mid(i);
    i = lines.size();
    while (!rest.isEmpty() && trimmed(rest.last()).isEmpty())
        rest.removeLast();
    if (rest.isEmpty())
        return {};
    return QStringLiteral("<p>") + HTML::esc(rest.join(u'\n')) + QStringLiteral("</p>\n");
}

// Drops leading whitespace worth `width` columns without eating into the
// text when a tab is wider than what is left.
QString dropIndent(const QString& line, int width)
{
    qsizetype k = 0;
    int seen = 0;
    while (k < line.size() && seen < width) {
        if (line[k] == u' ')
            seen += 1;
        else if (line[k] == u'\t')
            seen += 4;
        else
            break;
        ++k;
    }
    return line.mid(k);
}

bool asciiLetter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z');
}

// Whitespace as the HTML tokenizer sees it between attributes.
bool htmlSpace(QChar c)
{
    const char16_t u = c.unicode();
    return u == ' ' || u == '\t' || u == '\n' || u == '\f' || u == '\r';
}

// Elements that run code, load other pages or change how the rest of the
// page is tokenised (raw-text elements), dropped as tags.
bool droppedElement(QStringView raw)
{
    // Every listed name is short and ASCII; others need no lookup.
    if (raw.size() < 3 || raw.size() > 16)
        return false;
    char buf[17];
    for (qsizetype k = 0; k < raw.size(); ++k) {
        const char16_t c = raw[k].unicode();
        if (c >= 'A' && c <= 'Z')
            buf[k] = char(c + 32);
        else if (c >= 'a' && c <= 'z')
            buf[k] = char(c);
        else
            return false;
    }
    const QString name = QString::fromLatin1(buf, raw.size());
    static const QSet<QString> names = {
        QStringLiteral("script"), QStringLiteral("style"), QStringLiteral("iframe"), QStringLiteral("object"),
        QStringLiteral("embed"), QStringLiteral("applet"), QStringLiteral("frame"), QStringLiteral("frameset"),
        QStringLiteral("meta"), QStringLiteral("base"), QStringLiteral("link"), QStringLiteral("form"),
        QStringLiteral("xmp"), QStringLiteral("plaintext"), QStringLiteral("noembed"), QStringLiteral("noframes"),
        QStringLiteral("noscript"), QStringLiteral("textarea"), QStringLiteral("title"), QStringLiteral("template"),
        QStringLiteral("animate"), QStringLiteral("set"), QStringLiteral("animatemotion"),
        QStringLiteral("animatetransform"), QStringLiteral("handler"), QStringLiteral("listener"),
        QStringLiteral("portal"), QStringLiteral("import"),
    };
    return names.contains(name);
}

// Character references as an attribute value is decoded; only what can
// spell a URL scheme matters here.
QString decodeEntities(const QString& v)
{
    if (!v.contains(u'&'))
        return v;
    QString out;
    qsizetype k = 0;
    while (k < v.size()) {
        if (v[k] != u'&') {
            out += v[k++];
            continue;
        }
        if (k + 1 < v.size() && v[k + 1] == u'#') {
            qsizetype p = k + 2;
            const bool hex = p < v.size() && (v[p] == u'x' || v[p] == u'X');
            if (hex)
                ++p;
            const qsizetype digits = p;
            uint code = 0;
            while (p < v.size() && (hex ? isxdigit(v[p].unicode()) && v[p].unicode() < 128 : v[p].isDigit() && v[p].unicode() < 128)) {
                if (code < 0x110000)
                    code = code * (hex ? 16 : 10) + uint(QString(v[p]).toUInt(nullptr, 16));
                ++p;
            }
            if (p > digits) {
                if (p < v.size() && v[p] == u';')
                    ++p;
                if (code == 0 || code >= 0x110000 || (code >= 0xD800 && code <= 0xDFFF))
                    code = 0xFFFD;
                out += QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1);
                k = p;
                continue;
            }
        } else {
            static const std::pair<const char*, char16_t> named[] = {
                {"&colon;", ':'}, {"&Tab;", '\t'}, {"&NewLine;", '\n'}, {"&sol;", '/'}, {"&lpar;", '('},
            };
            bool hit = false;
            for (const auto& [name, ch] : named) {
                const QLatin1String n(name);
                if (QStringView(v).mid(k).startsWith(n)) {
                    out += QChar(ch);
                    k += n.size();
                    hit = true;
                    break;
                }
            }
            if (hit)
                continue;
        }
        out += v[k++];
    }
    return out;
}

}

bool isScriptURL(const QString& value)
{
    const QString decoded = decodeEntities(value);
    QString s;
    s.reserve(decoded.size());
    for (QChar c : decoded) {
        // The URL parser ignores tabs and line breaks anywhere and controls
        // around the scheme; dropping every control is stricter still.
        if (c.unicode() > 0x20)
            s += c.toLower();
        if (s.size() > 20)
            break;
    }
    if (s.startsWith(QLatin1String("javascript:")) || s.startsWith(QLatin1String("vbscript:"))
        || s.startsWith(QLatin1String("livescript:")))
        return true;
    if (s.startsWith(QLatin1String("data:")))
        return !s.startsWith(QLatin1String("data:image/")) || s.startsWith(QLatin1String("data:image/svg"));
    return false;
}

QString harden(const QString& h)
{
    if (!h.contains(u'<'))
        return h;
    QString out;
    out.reserve(h.size());
    const qsizetype n = h.size();
    qsizetype copied = 0;
    qsizetype i = 0;
    while (i < n) {
        const qsizetype lt = h.indexOf(u'<', i);
        if (lt < 0)
            break;
        if (lt + 3 < n && h[lt + 1] == u'!' && h[lt + 2] == u'-' && h[lt + 3] == u'-') {
            const qsizetype p = lt + 4;
            qsizetype end;
            if (p < n && h[p] == u'>')
                end = p + 1;
            else if (QStringView(h).mid(p, 2) == QLatin1String("->"))
                end = p + 2;
            else {
                const qsizetype a = h.indexOf(QLatin1String("-->"), p);
                const qsizetype b = h.indexOf(QLatin1String("--!>"), p);
                end = a < 0 && b < 0 ? n : (b < 0 || (a >= 0 && a < b)) ? a + 3 : b + 4;
            }
            i = end;
            continue;
        }
        if (lt + 1 < n && (h[lt + 1] == u'!' || h[lt + 1] == u'?')) {
            const qsizetype gt = h.indexOf(u'>', lt);
            i = gt < 0 ? n : gt + 1;
            continue;
        }
        const bool endTag = lt + 1 < n && h[lt + 1] == u'/';
        qsizetype p = lt + (endTag ? 2 : 1);
        if (p >= n || !asciiLetter(h[p])) {
            // A literal "<" reads the same escaped, and cannot then join
            // with what follows a dropped tag into a new one.
            out.append(QStringView(h).mid(copied, lt - copied));
            out.append(QLatin1String("&lt;"));
            copied = i = lt + 1;
            continue;
        }
        const qsizetype nameStart = p;
        while (p < n && !htmlSpace(h[p]) && h[p] != u'/' && h[p] != u'>')
            ++p;
        const QStringView name = QStringView(h).mid(nameStart, p - nameStart);

        struct Cut {
            qsizetype from, to;
            QLatin1String with;
        };
        QVarLengthArray<Cut, 4> cuts;
        bool closed = false;
        while (p < n) {
            while (p < n && (htmlSpace(h[p]) || h[p] == u'/'))
                ++p;
            if (p >= n)
                break;
            if (h[p] == u'>') {
                closed = true;
                ++p;
                break;
            }
            const qsizetype attrStart = p++;
            while (p < n && !htmlSpace(h[p]) && h[p] != u'/' && h[p] != u'>' && h[p] != u'=')
                ++p;
            const bool handler = p - attrStart >= 2 && (h[attrStart] == u'o' || h[attrStart] == u'O')
                && (h[attrStart + 1] == u'n' || h[attrStart + 1] == u'N');
            qsizetype q = p;
            while (q < n && htmlSpace(h[q]))
                ++q;
            qsizetype valueStart = -1, valueEnd = -1;
            QStringView value;
            if (q < n && h[q] == u'=') {
                ++q;
                while (q < n && htmlSpace(h[q]))
                    ++q;
                valueStart = q;
                if (q < n && (h[q] == u'"' || h[q] == u'\'')) {
                    const qsizetype close = h.indexOf(h[q], q + 1);
                    valueEnd = close < 0 ? n : close + 1;
                    value = QStringView(h).mid(q + 1, (close < 0 ? n : close) - q - 1);
                } else {
                    // Stricter than a browser: a slash ends an unquoted value too.
                    while (q < n && !htmlSpace(h[q]) && h[q] != u'>' && h[q] != u'/')
                        ++q;
                    valueEnd = q;
                    value = QStringView(h).mid(valueStart, q - valueStart);
                }
                p = valueEnd;
            }
            if (endTag)
                continue;
            if (handler)
                cuts << Cut{attrStart, valueEnd >= 0 ? valueEnd : p, QLatin1String("")};
            else if (valueStart >= 0 && (value.contains(u':') || value.contains(u'&')) && isScriptURL(value.toString()))
                cuts << Cut{valueStart, valueEnd, QLatin1String("\"#\"")};
        }
        out.append(QStringView(h).mid(copied, lt - copied));
        if (!closed) {
            // A tag still open at the end swallows the rest in a browser;
            // show that rest as text instead.
            HTML::appendEsc(out, h.mid(lt));
            return out;
        }
        if (!droppedElement(name)) {
            qsizetype from = lt;
            for (const Cut& c : cuts) {
                out.append(QStringView(h).mid(from, c.from - from));
                out.append(c.with);
                from = c.to;
            }
            out.append(QStringView(h).mid(from, p - from));
        }
        copied = p;
        i = p;
    }
    out.append(QStringView(h).mid(copied));
    return out;
}

QString sanitize(const QString& html)
{
    QString s = Regex::reReplace(html, kScripts, [](const QStringList&) { return QString(); });
    s = Regex::reReplace(s, kHandlers, [](const QStringList&) { return QString(); });
    s = Regex::reReplace(s, kJSURL, [](const QStringList& g) { return g[1] + QStringLiteral("=\"#\""); });
    return harden(s);
}

QString inlineHTML(const QString& text)
{
    return harden(inlineRaw(text));
}

namespace {

QString inlineRaw(const QString& input)
{
    // The placeholder marks are controls nobody types; stray ones in the
    // text would otherwise pull stored pieces into the wrong places.
    QString text = input;
    if (text.contains(QChar(1)) || text.contains(QChar(2))) {
        text.remove(QChar(1));
        text.remove(QChar(2));
    }

    QStringList codes;
    QStringList pieces;
    if (text.contains(u'`')) {
        text = Regex::reReplace(text, QStringLiteral("`([^`]+)`"), [&](const QStringList& g) {
            codes << QStringLiteral("<code>") + HTML::esc(g[1]) + QStringLiteral("</code>");
            return QChar(1) + QString::number(codes.size() - 1) + QChar(1);
        });
    }
    if (text.contains(u'<') || text.contains(u'&')) {
        text = Regex::reReplace(text, kRawHTML, [&](const QStringList& g) {
            pieces << sanitize(g[0]);
            return QChar(2) + QString::number(pieces.size() - 1) + QChar(2);
        });
    }
    text = HTML::esc(text);
    if (text.contains(QLatin1String("](")) ) {
        if (text.contains(QLatin1String("![")))
            text = Regex::reReplace(text, QStringLiteral(R"(!\[([^\]]*)\]\(([^)\s]+)(?:\s+&quot;[^&]*&quot;)?\))"),
                                    [](const QStringList& g) {
                                        return QStringLiteral("<img alt=\"") + g[1] + QStringLiteral("\" src=\"") + g[2]
                                            + QStringLiteral("\">");
                                    });
        text = Regex::reReplace(text, QStringLiteral(R"(\[([^\]]+)\]\(([^)\s]+)(?:\s+&quot;[^&]*&quot;)?\))"),
                                [](const QStringList& g) {
                                    return QStringLiteral("<a href=\"") + g[2] + QStringLiteral("\">") + g[1]
                                        + QStringLiteral("</a>");
                                });
    }
    if (text.contains(QLatin1String("://")))
        text = Regex::reReplace(text, QStringLiteral(R"((?<![\w"=])(https?://[^\s<]+[^\s<.,;:!?)]))"),
                                [](const QStringList& g) {
                                    return QStringLiteral("<a href=\"") + g[1] + QStringLiteral("\">") + g[1]
                                        + QStringLiteral("</a>");
                                });
    const auto wrap = [](const char* tag) {
        return [tag](const QStringList& g) {
            const QLatin1String t(tag);
            return u'<' + t + u'>' + g[1] + QStringLiteral("</") + t + u'>';
        };
    };
    if (text.contains(QLatin1String("**")))
        text = Regex::reReplace(text, QStringLiteral(R"(\*\*(?=\S)(.+?)(?<=\S)\*\*)"), wrap("strong"));
    if (text.contains(QLatin1String("__")))
        text = Regex::reReplace(text, QStringLiteral(R"(__(?=\S)(.+?)(?<=\S)__)"), wrap("strong"));
    if (text.contains(u'*'))
        text = Regex::reReplace(text, QStringLiteral(R"((?<![*\w])\*(?=\S)(.+?)(?<=\S)\*(?![*\w]))"), wrap("em"));
    if (text.contains(u'_'))
        text = Regex::reReplace(text, QStringLiteral(R"((?<![_\w])_(?=\S)(.+?)(?<=\S)_(?![_\w]))"), wrap("em"));
    if (text.contains(QLatin1String("~~")))
        text = Regex::reReplace(text, QStringLiteral(R"(~~(?=\S)(.+?)(?<=\S)~~)"), wrap("del"));
    if (!pieces.isEmpty())
        text = Regex::reReplace(text, QChar(2) + QStringLiteral("(\\d+)") + QChar(2), [&](const QStringList& g) {
            return pieces.value(g[1].toInt());
        });
    if (!codes.isEmpty())
        text = Regex::reReplace(text, QChar(1) + QStringLiteral("(\\d+)") + QChar(1), [&](const QStringList& g) {
            return codes.value(g[1].toInt());
        });
    return text;
}

}

int indent(const QString& s)
{
    int width = 0;
    for (QChar c : s) {
        if (c == u' ')
            width += 1;
        else if (c == u'\t')
            width += 4;
        else
            break;
    }
    return width;
}

std::optional<ListMarker> listMarker(const QString& line)
{
    qsizetype k = 0;
    while (k < line.size() && (line[k] == u' ' || line[k] == u'\t'))
        ++k;
    if (k == line.size())
        return std::nullopt;
    const QChar c = line[k];
    const bool candidate = c == u'-' || c == u'*' || c == u'+' || (c >= u'0' && c <= u'9') || c.isSpace()
        || c.category() == QChar::Separator_Space;
    if (!candidate)
        return std::nullopt;
    const auto m = Regex::firstMatch(line, kListItem);
    if (!m)
        return std::nullopt;
    return ListMarker{indent((*m)[1]), (*m)[2].at(0).isDigit(), (*m)[3]};
}

QStringList cells(const QString& line)
{
    QString t = trimmed(line);
    if (t.startsWith(u'|'))
        t.remove(0, 1);
    if (t.endsWith(u'|'))
        t.chop(1);
    QStringList out = t.split(u'|');
    for (QString& c : out)
        c = trimmed(c);
    return out;
}

QString table(const QStringList& lines, qsizetype& i)
{
    const QStringList header = cells(lines[i]);
    QStringList attrs;
    for (const QString& c : cells(lines.value(i + 1))) {
        const bool l = c.startsWith(u':'), r = c.endsWith(u':');
        const char* a = l && r ? "center" : l ? "left" : r ? "right" : nullptr;
        attrs << (a ? QStringLiteral(" style=\"text-align:") + QLatin1String(a) + u'"' : QString());
    }
    i += 2;
    QString out = QStringLiteral("<table><thead><tr>");
    for (qsizetype k = 0; k < header.size(); ++k)
        out += QStringLiteral("<th") + attrs.value(k) + u'>' + inlineRaw(header[k]) + QStringLiteral("</th>");
    out += QLatin1String("</tr></thead><tbody>");
    while (i < lines.size() && lines[i].contains(u'|') && !trimmed(lines[i]).isEmpty()) {
        out += QLatin1String("<tr>");
        const QStringList row = cells(lines[i]);
        for (qsizetype k = 0; k < row.size(); ++k)
            out += QStringLiteral("<td") + attrs.value(k) + u'>' + inlineRaw(row[k]) + QStringLiteral("</td>");
        out += QLatin1String("</tr>");
        ++i;
    }
    out += QLatin1String("</tbody></table>\n");
    return out;
}

QString list(const QStringList& lines, qsizetype& i)
{
    const auto first = listMarker(lines[i]);
    if (!first)
        return {};
    const int base = first->indent;
    const bool ordered = first->ordered;
    struct Item {
        QString text;
        QStringList inner;
    };
    QList<Item> items;
    while (i < lines.size()) {
        const QString& line = lines[i];
        const auto marker = listMarker(line);
        if (marker && marker->indent == base) {
            items << Item{marker->text, {}};
            ++i;
            continue;
        }
        const QString t = trimmed(line);
        if (t.isEmpty()) {
            if (i + 1 >= lines.size() || trimmed(lines[i + 1]).isEmpty() || indent(lines[i + 1]) <= base)
                break;
            items.last().inner << QString();
            ++i;
            continue;
        }
        const int ind = indent(line);
        if (ind > base) {
            items.last().inner << dropIndent(line, std::min(ind, base + 2));
            ++i;
            continue;
        }
        if (marker || opensBlock(t))
            break;
        items.last().text += u' ' + t;
        ++i;
    }
    const QLatin1String tag(ordered ? "ol" : "ul");
    QString out = u'<' + tag + u'>';
    for (const Item& item : items) {
        if (const auto task = Regex::firstMatch(item.text, kTask)) {
            out += (*task)[1] == QLatin1String(" ")
                ? QStringLiteral("<li class=\"task\"><input type=\"checkbox\" disabled> ")
                : QStringLiteral("<li class=\"task\"><input type=\"checkbox\" disabled checked> ");
            out += inlineRaw((*task)[2]);
        } else {
            out += QStringLiteral("<li>") + inlineRaw(item.text);
        }
        if (!item.inner.isEmpty()) {
            qsizetype cursor = 0;
            out += blocks(item.inner, cursor);
        }
        out += QLatin1String("</li>");
    }
    out += QStringLiteral("</") + tag + QStringLiteral(">\n");
    return out;
}

QString blocks(const QStringList& lines, qsizetype& i)
{
    DepthGuard guard;
    if (depth > maxDepth)
        return flattened(lines, i);
    QString out;
    while (i < lines.size()) {
        const QString t = trimmed(lines[i]);
        if (t.isEmpty()) {
            ++i;
        } else if (startsFence(t)) {
            out += fenced(lines, i, t);
        } else if (t.startsWith(QLatin1String("<!--")) || blockHTML(t)) {
            out += htmlBlock(lines, i);
        } else if (const auto h = t.startsWith(u'#') ? Regex::firstMatch(t, kHeading) : std::nullopt) {
            const QString n = QString::number((*h)[1].size());
            out += QStringLiteral("<h") + n + u'>' + inlineRaw((*h)[2]) + QStringLiteral("</h") + n + QStringLiteral(">\n");
            ++i;
        } else if (rule(t)) {
            out += QLatin1String("<hr>\n");
            ++i;
        } else if (t.startsWith(u'>')) {
            out += blockquote(lines, i);
        } else if (t.contains(u'|') && i + 1 < lines.size() && lines[i + 1].contains(u'-')
                   && Regex::reMatches(lines[i + 1], kTableSep)) {
            out += table(lines, i);
        } else if (listMarker(lines[i])) {
            out += list(lines, i);
        } else {
            out += paragraph(lines, i);
        }
    }
    return out;
}

QString html(const QString& text)
{
    const QStringList lines = LineEnding::normalize(text).split(u'\n');
    qsizetype cursor = 0;
    // One more pass over the whole page: tags and quotes left open by one
    // block must not combine with the next into something executable.
    return harden(blocks(lines, cursor));
}

}
