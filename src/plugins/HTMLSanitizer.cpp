#include "plugins/HTMLSanitizer.h"

#include "plugins/CSSSanitizer.h"

#include <QHash>
#include <QSet>

#include <algorithm>

namespace HTMLSanitizer {

namespace {

// Dropped together with everything up to their closing tag: code, styles,
// frames, media and foreign markup (SVG and MathML carry their own references).
const QSet<QString>& withContent()
{
    static const QSet<QString> s = {"script",   "style",    "iframe",    "object",   "embed", "noembed",
                                    "noframes", "template", "xmp",       "noscript", "title", "textarea",
                                    "svg",      "math",     "select",    "audio",    "video", "canvas",
                                    "applet",   "frameset", "plaintext", "head"};
    return s;
}

// Written back (with their allowed attributes); any other tag is dropped and its content stays.
const QSet<QString>& elements()
{
    static const QSet<QString> s = {
        "a",       "abbr",  "address", "article",    "aside",    "b",      "bdi",    "bdo",     "blockquote", "br",
        "caption", "cite",  "code",    "col",        "colgroup", "dd",     "del",    "details", "dfn",        "div",
        "dl",      "dt",    "em",      "figcaption", "figure",   "footer", "h1",     "h2",      "h3",         "h4",
        "h5",      "h6",    "header",  "hr",         "i",        "img",    "input",  "ins",     "kbd",        "label",
        "li",      "mark",  "nav",     "ol",         "p",        "pre",    "q",      "rp",      "rt",         "ruby",
        "s",       "samp",  "section", "small",      "span",     "strike", "strong", "sub",     "summary",    "sup",
        "table",   "tbody", "td",      "tfoot",      "th",       "thead",  "time",   "tr",      "tt",         "u",
        "ul",      "var",   "wbr"};
    return s;
}

// Attributes any allowed element may keep ("data-" and "aria-" names too).
const QSet<QString>& globalAttributes()
{
    static const QSet<QString> s = {"id", "class", "title", "lang", "dir", "style", "role", "hidden"};
    return s;
}

bool elementAttribute(const QString& element, const QString& name)
{
    static const QHash<QString, QSet<QString>> m = {
        {"a", {"href", "name", "rel", "hreflang"}},
        {"img", {"src", "alt", "width", "height", "align"}},
        {"input", {"type", "checked", "disabled"}},
        {"ol", {"start", "type", "reversed"}},
        {"ul", {"type"}},
        {"li", {"value"}},
        {"table", {"width", "border", "cellpadding", "cellspacing", "align", "summary"}},
        {"td", {"align", "valign", "colspan", "rowspan", "headers", "width", "height", "nowrap", "abbr"}},
        {"th", {"align", "valign", "colspan", "rowspan", "headers", "width", "height", "nowrap", "abbr", "scope"}},
        {"tr", {"align", "valign"}},
        {"col", {"span", "width", "align", "valign"}},
        {"colgroup", {"span", "width", "align", "valign"}},
        {"thead", {"align", "valign"}},
        {"tbody", {"align", "valign"}},
        {"tfoot", {"align", "valign"}},
        {"details", {"open"}},
        {"del", {"datetime"}},
        {"ins", {"datetime"}},
        {"time", {"datetime"}},
        {"p", {"align"}},
        {"div", {"align"}},
        {"h1", {"align"}},
        {"h2", {"align"}},
        {"h3", {"align"}},
        {"h4", {"align"}},
        {"h5", {"align"}},
        {"h6", {"align"}},
        {"hr", {"width", "size", "align"}},
        {"label", {"for"}},
    };
    const auto it = m.find(element);
    return it != m.end() && it->contains(name);
}

bool isNameStart(QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool isBlank(QChar c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f'; }

const QHash<QString, QChar>& namedReferences()
{
    static const QHash<QString, QChar> m = {
        {"colon", u':'},  {"tab", u'\t'},        {"newline", u'\n'}, {"lpar", u'('},  {"rpar", u')'},
        {"sol", u'/'},    {"amp", u'&'},         {"quot", u'"'},     {"apos", u'\''}, {"lt", u'<'},
        {"gt", u'>'},     {"nbsp", QChar(0xA0)}, {"period", u'.'},   {"comma", u','}, {"semi", u';'},
        {"equals", u'='}, {"num", u'#'},         {"percnt", u'%'},   {"bsol", u'\\'}};
    return m;
}

}

QString decodeReferences(const QString& s)
{
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] != u'&') {
            out += s[i];
            continue;
        }
        qsizetype j = i + 1;
        if (j < s.size() && s[j] == u'#') {
            ++j;
            const bool hex = j < s.size() && (s[j] == u'x' || s[j] == u'X');
            if (hex)
                ++j;
            // Any number of digits, as browsers read them: leading zeros
            // never end the reference and an overlong value saturates.
            const qsizetype start = j;
            char32_t code = 0;
            for (; j < s.size(); ++j) {
                const char16_t c = s[j].unicode();
                int d = -1;
                if (c >= u'0' && c <= u'9')
                    d = c - u'0';
                else if (hex && c >= u'a' && c <= u'f')
                    d = c - u'a' + 10;
                else if (hex && c >= u'A' && c <= u'F')
                    d = c - u'A' + 10;
                if (d < 0)
                    break;
                code = std::min<char32_t>(code * (hex ? 16 : 10) + char32_t(d), 0x110000);
            }
            if (j > start) {
                if (code == 0 || code >= 0x110000 || (code >= 0xD800 && code <= 0xDFFF))
                    code = 0xFFFD;
                out += QString::fromUcs4(&code, 1);
                if (j < s.size() && s[j] == u';')
                    ++j;
                i = j - 1;
                continue;
            }
        } else {
            const qsizetype start = j;
            while (j < s.size() && j - start < 12 && s[j].isLetterOrNumber())
                ++j;
            const auto it = namedReferences().find(s.mid(start, j - start).toLower());
            if (it != namedReferences().end()) {
                out += *it;
                if (j < s.size() && s[j] == u';')
                    ++j;
                i = j - 1;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

namespace {

struct Attribute {
    QString name;
    QString value;
    bool hasValue = false;
};

struct Tag {
    QString name;  // lower case
    bool closing = false;
    bool selfClosing = false;
    QList<Attribute> attributes;
    qsizetype end = 0;  // index after ">"
};

// Parses the tag starting at s[i] == '<'; absent when it is not a complete tag.
std::optional<Tag> parseTag(const QString& s, qsizetype i)
{
    Tag tag;
    qsizetype j = i + 1;
    if (j < s.size() && s[j] == u'/') {
        tag.closing = true;
        ++j;
    }
    if (j >= s.size() || !isNameStart(s[j]))
        return std::nullopt;
    const qsizetype nameStart = j;
    while (j < s.size() && !isBlank(s[j]) && s[j] != u'/' && s[j] != u'>' && s[j] != u'<')
        ++j;
    if (j < s.size() && s[j] == u'<')
        return std::nullopt;
    tag.name = s.mid(nameStart, j - nameStart).toLower();
    while (j < s.size()) {
        // Blanks and "/" separate attributes; "/" right before ">" closes the tag.
        while (j < s.size() && (isBlank(s[j]) || s[j] == u'/')) {
            if (s[j] == u'/' && j + 1 < s.size() && s[j + 1] == u'>')
                tag.selfClosing = true;
            ++j;
        }
        if (j >= s.size())
            return std::nullopt;
        if (s[j] == u'>') {
            tag.end = j + 1;
            return tag;
        }
        if (s[j] == u'<')
            return std::nullopt;
        Attribute a;
        const qsizetype an = j;
        ++j;  // a leading "=" belongs to the name, as in browsers
        while (j < s.size() && !isBlank(s[j]) && s[j] != u'/' && s[j] != u'>' && s[j] != u'=' && s[j] != u'<')
            ++j;
        a.name = s.mid(an, j - an).toLower();
        qsizetype k = j;
        while (k < s.size() && isBlank(s[k]))
            ++k;
        if (k < s.size() && s[k] == u'=') {
            ++k;
            while (k < s.size() && isBlank(s[k]))
                ++k;
            if (k >= s.size())
                return std::nullopt;
            a.hasValue = true;
            if (s[k] == u'"' || s[k] == u'\'') {
                const qsizetype close = s.indexOf(s[k], k + 1);
                if (close < 0)
                    return std::nullopt;
                a.value = s.mid(k + 1, close - k - 1);
                j = close + 1;
            } else {
                const qsizetype vs = k;
                while (k < s.size() && !isBlank(s[k]) && s[k] != u'>')
                    ++k;
                a.value = s.mid(vs, k - vs);
                j = k;
            }
        }
        tag.attributes << a;
    }
    return std::nullopt;
}

QString attributeValue(const QString& raw)
{
    QString v = raw;
    v.replace(u'"', QStringLiteral("&quot;"));
    v.replace(u'<', QStringLiteral("&lt;"));
    v.replace(u'>', QStringLiteral("&gt;"));
    return v;
}

// Only names that read back as exactly one attribute: a lone "=" or a
// quote would join the neighbours into new attributes.
bool plainName(const QString& name)
{
    if (name.isEmpty())
        return false;
    for (QChar c : name)
        if (c.unicode() <= 0x20 || c.unicode() == 0x7F || QStringView(u"\"'<>/=`").contains(c))
            return false;
    return true;
}

bool isLineNumber(const QString& v)
{
    if (v.isEmpty() || v.size() > 9)
        return false;
    for (QChar c : v)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

bool keptAttribute(const QString& element, const QString& name)
{
    if (!plainName(name))
        return false;
    if (globalAttributes().contains(name) || elementAttribute(element, name))
        return true;
    // Inert labels; the preview maps source lines through data-line.
    return (name.startsWith(QLatin1String("data-")) || name.startsWith(QLatin1String("aria-"))) && name.size() > 5;
}

// The tag rebuilt from its allowed parts; empty when the element goes.
QString write(const Tag& tag)
{
    if (!elements().contains(tag.name))
        return {};
    if (tag.closing)
        return QStringLiteral("</") + tag.name + u'>';
    if (tag.name == QLatin1String("input")) {
        // Only the check boxes of task lists.
        const auto type = std::find_if(tag.attributes.begin(), tag.attributes.end(),
                                       [](const Attribute& a) { return a.name == QLatin1String("type"); });
        if (type == tag.attributes.end() || type->value.trimmed().toLower() != QLatin1String("checkbox"))
            return {};
    }
    QString out = u'<' + tag.name;
    QSet<QString> seen;
    for (const Attribute& a : tag.attributes) {
        // Browsers keep the first of repeated names; so does the rebuilt tag.
        if (!keptAttribute(tag.name, a.name) || seen.contains(a.name))
            continue;
        seen.insert(a.name);
        if (a.name == QLatin1String("data-line") && !isLineNumber(a.value))
            continue;
        QString value = a.value;
        if (isURLAttribute(a.name))
            value = safeURL(value);
        else if (a.name == QLatin1String("style")) {
            value = CSSSanitizer::cleanStyle(decodeReferences(value), CSSSanitizer::Scope::html);
            if (value.isEmpty())
                continue;
            out += QStringLiteral(" style=\"") + attributeValue(value) + u'"';
            continue;
        }
        out += u' ' + a.name;
        if (a.hasValue)
            out += QStringLiteral("=\"") + attributeValue(value) + u'"';
    }
    out += tag.selfClosing ? QStringLiteral(" />") : QStringLiteral(">");
    return out;
}

// The tag rebuilt from what a narrower list allows; empty when the element goes.
QString writeAllowed(const Tag& tag, const AllowList& list)
{
    if (!list.element(tag.name))
        return {};
    if (tag.closing)
        return QStringLiteral("</") + tag.name + u'>';
    QString out = u'<' + tag.name;
    QSet<QString> seen;
    for (const Attribute& a : tag.attributes) {
        if (!plainName(a.name) || seen.contains(a.name))
            continue;
        seen.insert(a.name);
        const auto value = list.attribute(tag.name, a.name, decodeReferences(a.value));
        if (!value)
            continue;
        QString escaped = *value;
        escaped.replace(u'&', QStringLiteral("&amp;"));
        out += u' ' + a.name + QStringLiteral("=\"") + attributeValue(escaped) + u'"';
    }
    out += tag.selfClosing ? QStringLiteral(" />") : QStringLiteral(">");
    return out;
}

qsizetype skipElement(const QString& s, qsizetype from, const QString& name)
{
    const QString close = QStringLiteral("</") + name;
    qsizetype at = from;
    while (true) {
        at = s.indexOf(close, at, Qt::CaseInsensitive);
        if (at < 0)
            return s.size();
        const qsizetype after = at + close.size();
        if (after >= s.size())
            return s.size();
        if (isBlank(s[after]) || s[after] == u'>' || s[after] == u'/') {
            const qsizetype gt = s.indexOf(u'>', after);
            return gt < 0 ? s.size() : gt + 1;
        }
        at = after;
    }
}

}

bool isURLAttribute(const QString& name)
{
    static const QSet<QString> s = {
        "href",     "src",    "xlink:href", "action",   "formaction", "data",     "poster",   "background", "cite",
        "srcset",   "lowsrc", "dynsrc",     "codebase", "ping",       "manifest", "longdesc", "usemap",     "icon",
        "xml:base", "to",     "from",       "values",   "by",         "classid",  "archive",  "profile",    "content"};
    return s.contains(name);
}

QString safeURL(const QString& value)
{
    QString plain;
    for (QChar c : decodeReferences(value))
        if (c.unicode() > 0x20 && c != QChar(0x7F) && c != QChar(0xA0))
            plain += c.toLower();
    // A colon after a path, query or fragment start is not a scheme's.
    const qsizetype colon = plain.indexOf(u':');
    qsizetype cut = 0;
    while (cut < plain.size() && plain[cut] != u'/' && plain[cut] != u'?' && plain[cut] != u'#')
        ++cut;
    if (colon < 0 || colon > cut)
        return value;
    const QString scheme = plain.left(colon);
    static const QSet<QString> schemes = {"http", "https", "mailto", "tel", "file"};
    if (schemes.contains(scheme))
        return value;
    if (scheme == QLatin1String("data")) {
        // Raster pictures only: an SVG or page in data: would be a document of its own.
        static const char* images[] = {"image/png",  "image/jpeg", "image/jpg", "image/gif",
                                       "image/webp", "image/bmp",  "image/avif"};
        for (const char* kind : images) {
            const QLatin1String k(kind);
            if (plain.mid(5).startsWith(k) && plain.size() > 5 + k.size()
                && (plain[5 + k.size()] == u';' || plain[5 + k.size()] == u','))
                return value;
        }
    }
    return QStringLiteral("#");
}

namespace {

QString rebuild(const QString& html, const AllowList* list)
{
    QString out;
    out.reserve(html.size());
    qsizetype i = 0;
    while (i < html.size()) {
        const qsizetype lt = html.indexOf(u'<', i);
        if (lt < 0) {
            out += QStringView(html).mid(i);
            break;
        }
        out += QStringView(html).mid(i, lt - i);
        if (html.mid(lt, 4) == QLatin1String("<!--")) {
            // Comments show nothing; dropping them leaves no place to hide markup.
            const qsizetype end = html.indexOf(QLatin1String("-->"), lt + 4);
            i = end < 0 ? html.size() : end + 3;
            continue;
        }
        const auto tag = parseTag(html, lt);
        if (!tag) {
            out += QStringLiteral("&lt;");
            i = lt + 1;
            continue;
        }
        i = tag->end;
        if (withContent().contains(tag->name) && !(list && list->element(tag->name))) {
            if (!tag->closing && !tag->selfClosing)
                i = skipElement(html, i, tag->name);
            continue;
        }
        out += list ? writeAllowed(*tag, *list) : write(*tag);
    }
    return out;
}

}

QString clean(const QString& html) { return rebuild(html, nullptr); }

QString cleanWith(const QString& html, const AllowList& list) { return rebuild(html, &list); }

}
