#include "HTMLNormalize.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmark-gfm/houdini.h>
#include <vector>

// A port of the CommonMark suite's test/normalize.py (BSD-2-Clause, John
// MacFarlane; see tests/core/conformance/commonmark-spec.LICENSE) as the
// conformance harness runs it: the text is cut into CDATA, tag and text
// chunks, fed to a tolerant HTML tokenizer, and written back with collapsed
// blanks, sorted attributes and decoded character references.
namespace HTMLNormalize {

namespace {

// Python's str.isspace().
bool pySpace(QChar c)
{
    const char16_t u = c.unicode();
    return c.isSpace() || (u >= 0x1C && u <= 0x1F);
}

QString rstrip(const QString& s)
{
    qsizetype e = s.size();
    while (e > 0 && pySpace(s[e - 1]))
        --e;
    return s.left(e);
}

QString lstrip(const QString& s, bool onlyLineFeeds = false)
{
    qsizetype b = 0;
    while (b < s.size() && (onlyLineFeeds ? s[b] == u'\n' : pySpace(s[b])))
        ++b;
    return s.mid(b);
}

QString collapse(const QString& s)
{
    QString out;
    out.reserve(s.size());
    bool inRun = false;
    for (QChar c : s) {
        if (pySpace(c)) {
            if (!inRun)
                out += u' ';
            inRun = true;
        } else {
            out += c;
            inRun = false;
        }
    }
    return out;
}

bool blockTag(const QString& t)
{
    static const QStringList tags = {
        "article",  "header", "aside",  "hgroup",   "blockquote", "hr",      "iframe",     "body",  "li",
        "map",      "button", "object", "canvas",   "ol",         "caption", "output",     "col",   "p",
        "colgroup", "pre",    "dd",     "progress", "div",        "section", "dl",         "table", "td",
        "dt",       "tbody",  "embed",  "textarea", "fieldset",   "tfoot",   "figcaption", "th",    "figure",
        "thead",    "footer", "tr",     "form",     "ul",         "h1",      "h2",         "h3",    "h4",
        "h5",       "h6",     "video",  "script",   "style"};
    return tags.contains(t);
}

// A named reference the HTML5 table knows (the name followed by ";"), decoded.
std::optional<QString> named(const QString& name)
{
    const QByteArray in = name.toUtf8() + ';';
    cmark_strbuf buf;
    cmark_strbuf_init(cmark_get_default_mem_allocator(), &buf, 0);
    const bufsize_t used = houdini_unescape_ent(&buf, reinterpret_cast<const uint8_t*>(in.constData()),
                                                bufsize_t(in.size()));
    std::optional<QString> out;
    if (used == bufsize_t(in.size()))
        out = QString::fromUtf8(reinterpret_cast<const char*>(buf.ptr), buf.size);
    cmark_strbuf_free(&buf);
    return out;
}

// Python's html.unescape for the references our pages and the suite use.
QString unescape(const QString& s)
{
    static const QRegularExpression ref(QStringLiteral("&(#[0-9]+|#[xX][0-9a-fA-F]+|[A-Za-z][A-Za-z0-9]*);"));
    QString out;
    qsizetype at = 0;
    for (auto it = ref.globalMatch(s); it.hasNext();) {
        const auto m = it.next();
        out += s.mid(at, m.capturedStart() - at);
        const QString body = m.captured(1);
        if (body.startsWith(u'#')) {
            bool ok = false;
            const uint code = body[1] == u'x' || body[1] == u'X' ? body.mid(2).toUInt(&ok, 16)
                                                                 : body.mid(1).toUInt(&ok, 10);
            const char32_t c = !ok || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF) ? 0xFFFD
                                                                                                         : code;
            out += QString::fromUcs4(&c, 1);
        } else if (const auto d = named(body)) {
            out += *d;
        } else {
            out += m.captured(0);
        }
        at = m.capturedEnd();
    }
    return out + s.mid(at);
}

QString escapeAttribute(const QString& v)
{
    QString out;
    for (QChar c : v) {
        switch (c.unicode()) {
        case u'&': out += QLatin1String("&amp;"); break;
        case u'<': out += QLatin1String("&lt;"); break;
        case u'>': out += QLatin1String("&gt;"); break;
        case u'"': out += QLatin1String("&quot;"); break;
        case u'\'': out += QLatin1String("&#x27;"); break;
        default: out += c;
        }
    }
    return out;
}

struct Attribute {
    QString name;
    std::optional<QString> value;
};

class Parser {
public:
    QString output;

    void feed(const QString& s)
    {
        qsizetype i = 0;
        const qsizetype n = s.size();
        while (i < n) {
            if (!rawEnd_.isEmpty()) {
                // Script and style content is text up to the closing tag.
                const qsizetype close = s.indexOf(QStringLiteral("</") + rawEnd_, i, Qt::CaseInsensitive);
                const qsizetype to = close < 0 ? n : close;
                if (to > i)
                    data(s.mid(i, to - i));
                rawEnd_.clear();
                i = to;
                continue;
            }
            qsizetype j = i;
            while (j < n && s[j] != u'<' && s[j] != u'&')
                ++j;
            if (j > i)
                data(s.mid(i, j - i));
            i = j;
            if (i >= n)
                break;
            i = s[i] == u'&' ? reference(s, i) : markup(s, i);
        }
    }

private:
    QString last = QStringLiteral("starttag");
    QString lastTag;
    bool inPre = false;
    QString rawEnd_;

    void data(QString d)
    {
        const bool afterTag = last == QLatin1String("endtag") || last == QLatin1String("starttag");
        const bool afterBlock = afterTag && blockTag(lastTag);
        if (afterTag && lastTag == QLatin1String("br"))
            d = lstrip(d, true);
        if (!inPre)
            d = collapse(d);
        if (afterBlock && !inPre) {
            if (last == QLatin1String("starttag"))
                d = lstrip(d);
            else if (last == QLatin1String("endtag"))
                d = lstrip(rstrip(d));
        }
        output += d;
        last = QStringLiteral("data");
    }

    void character(std::optional<QString> c, const QString& fallback)
    {
        if (!c)
            output += fallback;
        else if (*c == u"<")
            output += QLatin1String("&lt;");
        else if (*c == u">")
            output += QLatin1String("&gt;");
        else if (*c == u"&")
            output += QLatin1String("&amp;");
        else if (*c == u"\"")
            output += QLatin1String("&quot;");
        else
            output += *c;
        last = QStringLiteral("ref");
    }

    qsizetype reference(const QString& s, qsizetype i)
    {
        static const QRegularExpression numeric(QStringLiteral("&#([0-9]+|[xX][0-9a-fA-F]+)([^0-9a-fA-F])"));
        static const QRegularExpression name(QStringLiteral("&([a-zA-Z][-.a-zA-Z0-9]*)([^a-zA-Z0-9])"));
        constexpr auto anchored = QRegularExpression::AnchorAtOffsetMatchOption;
        if (const auto m = numeric.match(s, i, QRegularExpression::NormalMatch, anchored); m.hasMatch()) {
            const QString body = m.captured(1);
            bool ok = false;
            const uint code = body.startsWith(u'x') ? body.mid(1).toUInt(&ok, 16) : body.toUInt(&ok, 10);
            std::optional<QString> c;
            if (ok && code <= 0x10FFFF) {
                const char32_t u = code;
                c = QString::fromUcs4(&u, 1);
            }
            character(c, u'&' + body + u';');
            return i + m.capturedLength(0) - (m.captured(2) == u";" ? 0 : 1);
        }
        if (const auto m = name.match(s, i, QRegularExpression::NormalMatch, anchored); m.hasMatch()) {
            const QString body = m.captured(1);
            character(m.captured(2) == u";" ? named(body) : std::nullopt, u'&' + body + u';');
            return i + m.capturedLength(0) - (m.captured(2) == u";" ? 0 : 1);
        }
        data(QStringLiteral("&"));
        return i + 1;
    }

    // At "<": a tag, comment, declaration or processing instruction, or a plain "<".
    qsizetype markup(const QString& s, qsizetype i)
    {
        const qsizetype n = s.size();
        if (s.mid(i, 4) == QLatin1String("<!--")) {
            const qsizetype close = s.indexOf(QLatin1String("-->"), i + 4);
            if (close >= 0) {
                output += s.mid(i, close + 3 - i);
                last = QStringLiteral("comment");
                return close + 3;
            }
        } else if (s.mid(i, 2) == QLatin1String("<?")) {
            const qsizetype close = s.indexOf(u'>', i + 2);
            if (close >= 0) {
                output += s.mid(i, close + 1 - i);
                last = QStringLiteral("pi");
                return close + 1;
            }
        } else if (s.mid(i, 2) == QLatin1String("<!")) {
            const qsizetype close = s.indexOf(u'>', i + 2);
            if (close >= 0) {
                const QString body = s.mid(i + 2, close - i - 2);
                if (body.startsWith(u'[') || body.left(7).compare(QLatin1String("doctype"), Qt::CaseInsensitive) == 0) {
                    output += QStringLiteral("<!") + body + u'>';
                    last = QStringLiteral("decl");
                } else {
                    output += QStringLiteral("<!--") + body + QStringLiteral("-->");
                    last = QStringLiteral("comment");
                }
                return close + 1;
            }
        } else if (i + 1 < n && s[i + 1] == u'/') {
            static const QRegularExpression end(QStringLiteral("</\\s*([a-zA-Z][^\\t\\n\\r\\f />\\x00]*)[^>]*>"));
            if (const auto m = end.match(s, i, QRegularExpression::NormalMatch,
                                         QRegularExpression::AnchorAtOffsetMatchOption);
                m.hasMatch()) {
                endTag(m.captured(1).toLower());
                return i + m.capturedLength(0);
            }
        } else if (i + 1 < n && ((s[i + 1] >= u'a' && s[i + 1] <= u'z') || (s[i + 1] >= u'A' && s[i + 1] <= u'Z'))) {
            if (const qsizetype after = startTag(s, i); after > i)
                return after;
        }
        data(QStringLiteral("<"));
        return i + 1;
    }

    qsizetype startTag(const QString& s, qsizetype i)
    {
        const qsizetype n = s.size();
        qsizetype j = i + 1;
        while (j < n && !QStringView(u"\t\n\r\f />").contains(s[j]) && s[j] != QChar(0))
            ++j;
        const QString tag = s.mid(i + 1, j - i - 1).toLower();
        std::vector<Attribute> attrs;
        bool selfClosing = false;
        while (true) {
            while (j < n && (pySpace(s[j]) || (s[j] == u'/' && !(j + 1 < n && s[j + 1] == u'>'))))
                ++j;
            if (j >= n)
                return -1;
            if (s[j] == u'>') {
                ++j;
                break;
            }
            if (s[j] == u'/' && j + 1 < n && s[j + 1] == u'>') {
                selfClosing = true;
                j += 2;
                break;
            }
            const qsizetype a = j++;
            while (j < n && !pySpace(s[j]) && s[j] != u'/' && s[j] != u'=' && s[j] != u'>')
                ++j;
            Attribute attr{s.mid(a, j - a).toLower(), std::nullopt};
            qsizetype k = j;
            while (k < n && pySpace(s[k]))
                ++k;
            if (k < n && s[k] == u'=') {
                while (k < n && s[k] == u'=')
                    ++k;
                while (k < n && pySpace(s[k]))
                    ++k;
                QString v;
                if (k < n && (s[k] == u'"' || s[k] == u'\'')) {
                    const qsizetype close = s.indexOf(s[k], k + 1);
                    if (close < 0)
                        return -1;
                    v = s.mid(k + 1, close - k - 1);
                    k = close + 1;
                } else {
                    const qsizetype vs = k;
                    while (k < n && s[k] != u'>' && !pySpace(s[k]))
                        ++k;
                    v = s.mid(vs, k - vs);
                }
                attr.value = v.isEmpty() ? v : unescape(v);
                j = k;
            }
            attrs.push_back(attr);
        }
        startTagOut(tag, attrs);
        if (selfClosing) {
            lastTag = tag;
            last = QStringLiteral("endtag");
        } else if (tag == QLatin1String("script") || tag == QLatin1String("style")) {
            rawEnd_ = tag;
        }
        return j;
    }

    void startTagOut(const QString& tag, std::vector<Attribute> attrs)
    {
        if (tag == QLatin1String("pre"))
            inPre = true;
        if (blockTag(tag))
            output = rstrip(output);
        output += u'<' + tag;
        std::stable_sort(attrs.begin(), attrs.end(), [](const Attribute& a, const Attribute& b) {
            return a.name != b.name ? a.name < b.name : a.value.value_or(QString()) < b.value.value_or(QString());
        });
        for (const Attribute& a : attrs) {
            output += u' ' + a.name;
            if (a.value)
                output += QStringLiteral("=\"") + escapeAttribute(*a.value) + u'"';
        }
        output += u'>';
        lastTag = tag;
        last = QStringLiteral("starttag");
    }

    void endTag(const QString& tag)
    {
        if (tag == QLatin1String("pre"))
            inPre = false;
        else if (blockTag(tag))
            output = rstrip(output);
        output += QStringLiteral("</") + tag + u'>';
        lastTag = tag;
        last = QStringLiteral("endtag");
    }
};

}

QString normalizeHTML(const QString& html)
{
    // The script's chunks: single-line CDATA sections pass as they are; a "<"
    // that no ">" follows matches no chunk and is lost.
    static const QRegularExpression chunk(QStringLiteral("<!\\[CDATA\\[.*?\\]\\]>|<[^>]*>|[^<]+"));
    Parser p;
    QString pending;
    for (auto it = chunk.globalMatch(html); it.hasNext();) {
        const QString c = it.next().captured(0);
        if (c.startsWith(QLatin1String("<![CDATA"))) {
            p.feed(pending);
            pending.clear();
            p.output += c;
        } else {
            pending += c;
        }
    }
    p.feed(pending);
    return p.output;
}

QString normalize(QString html)
{
    static const QRegularExpression line(QStringLiteral("\\s+data-line=\"[^\"]*\""));
    static const QRegularExpression align(QStringLiteral(" style=\"text-align:(left|center|right)\""));
    html.remove(line);
    html.replace(QLatin1String("<li class=\"task\">"), QLatin1String("<li>"));
    html.replace(align, QStringLiteral(" align=\"\\1\""));
    html.replace(QLatin1String("<code class=\"lang-"), QLatin1String("<code class=\"language-"));
    QString n = normalizeHTML(html);
    n.remove(QLatin1String("=\"\""));
    qsizetype b = 0, e = n.size();
    while (b < e && pySpace(n[b]))
        ++b;
    while (e > b && pySpace(n[e - 1]))
        --e;
    return n.mid(b, e - b);
}

}
