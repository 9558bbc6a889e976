#pragma once

// Judges HTML the way a browser would read it: a tokenizer following the
// HTML tokenization states (tags, attributes in all three quotings, the
// comment quirks, character references) and a list of everything that can
// run script. Used by the fuzz targets and the hostile-corpus tests.
// Conservative on purpose: text inside raw-text elements is tokenized as
// markup too, since inside SVG or MathML it would be.

#include <QList>
#include <QString>

namespace ScriptOracle {

struct Attribute {
    QString name;   // lower case
    QString value;  // character references decoded
};

struct StartTag {
    QString name;  // lower case
    QList<Attribute> attributes;
};

namespace detail {

inline bool isSpace(QChar c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f'; }
inline bool isAlpha(QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

// Named references that can spell a scheme or split one; numeric ones of
// any length. Anything else is kept literally (it spells nothing harmful).
inline QString decode(const QString& s)
{
    static const struct {
        const char* name;
        char16_t c;
    } named[] = {{"colon", u':'},  {"tab", u'\t'}, {"newline", u'\n'}, {"lpar", u'('},  {"rpar", u')'},
                 {"sol", u'/'},    {"amp", u'&'},  {"quot", u'"'},     {"apos", u'\''}, {"lt", u'<'},
                 {"gt", u'>'},     {"nbsp", 0xA0}, {"period", u'.'},   {"comma", u','}, {"semi", u';'},
                 {"equals", u'='}, {"num", u'#'},  {"bsol", u'\\'},    {"percnt", u'%'}};
    QString out;
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
            const qsizetype start = j;
            char32_t code = 0;
            for (; j < s.size(); ++j) {
                const char16_t c = s[j].unicode();
                int d = c >= u'0' && c <= u'9'      ? c - u'0'
                    : hex && c >= u'a' && c <= u'f' ? c - u'a' + 10
                    : hex && c >= u'A' && c <= u'F' ? c - u'A' + 10
                                                    : -1;
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
            bool matched = false;
            for (const auto& n : named) {
                const QLatin1String name(n.name);
                if (s.mid(j, name.size()).compare(name, Qt::CaseInsensitive) == 0) {
                    out += QChar(n.c);
                    j += name.size();
                    if (j < s.size() && s[j] == u';')
                        ++j;
                    i = j - 1;
                    matched = true;
                    break;
                }
            }
            if (matched)
                continue;
        }
        out += s[i];
    }
    return out;
}

}

// Every start tag of the text, in order.
inline QList<StartTag> startTags(const QString& html)
{
    using namespace detail;
    QList<StartTag> tags;
    const qsizetype n = html.size();
    qsizetype i = 0;
    while (i < n) {
        if (html[i] != u'<') {
            ++i;
            continue;
        }
        qsizetype j = i + 1;
        if (j >= n)
            break;
        if (html[j] == u'!') {
            if (html.mid(j + 1, 2) == QLatin1String("--")) {
                // "<!-->" and "<!--->" close at once; otherwise "-->" or "--!>".
                qsizetype k = j + 3;
                if (k < n && html[k] == u'>') {
                    i = k + 1;
                    continue;
                }
                if (k + 1 < n && html[k] == u'-' && html[k + 1] == u'>') {
                    i = k + 2;
                    continue;
                }
                qsizetype end = n;
                for (; k + 2 < n; ++k) {
                    if (html[k] == u'-' && html[k + 1] == u'-' && html[k + 2] == u'>') {
                        end = k + 3;
                        break;
                    }
                    if (k + 3 < n && html[k] == u'-' && html[k + 1] == u'-' && html[k + 2] == u'!'
                        && html[k + 3] == u'>') {
                        end = k + 4;
                        break;
                    }
                }
                i = end;
                continue;
            }
            // Bogus comment (doctype, CDATA outside foreign content): up to ">".
            const qsizetype gt = html.indexOf(u'>', j);
            i = gt < 0 ? n : gt + 1;
            continue;
        }
        if (html[j] == u'?') {
            const qsizetype gt = html.indexOf(u'>', j);
            i = gt < 0 ? n : gt + 1;
            continue;
        }
        if (html[j] == u'/') {
            ++j;
            if (j < n && isAlpha(html[j])) {
                // End tags may carry attributes; they do nothing, skip to ">"
                // while respecting quotes the way the attribute states do.
                qsizetype k = j;
                QChar quote;
                bool inValue = false;
                for (; k < n; ++k) {
                    const QChar c = html[k];
                    if (!quote.isNull()) {
                        if (c == quote)
                            quote = QChar();
                        continue;
                    }
                    if (c == u'>')
                        break;
                    if (inValue && (c == u'"' || c == u'\''))
                        quote = c;
                    inValue = c == u'=' || (inValue && isSpace(c));
                }
                i = k < n ? k + 1 : n;
            } else if (j < n && html[j] == u'>') {
                i = j + 1;
            } else {
                const qsizetype gt = html.indexOf(u'>', j);
                i = gt < 0 ? n : gt + 1;
            }
            continue;
        }
        if (!isAlpha(html[j])) {
            ++i;
            continue;
        }
        StartTag tag;
        qsizetype k = j;
        while (k < n && !isSpace(html[k]) && html[k] != u'/' && html[k] != u'>')
            ++k;
        tag.name = html.mid(j, k - j).toLower();
        bool closed = false;
        while (k < n) {
            while (k < n && (isSpace(html[k]) || html[k] == u'/'))
                ++k;
            if (k >= n)
                break;
            if (html[k] == u'>') {
                closed = true;
                ++k;
                break;
            }
            const qsizetype nameStart = k;
            ++k;  // "=" as the first character belongs to the name
            while (k < n && !isSpace(html[k]) && html[k] != u'/' && html[k] != u'>' && html[k] != u'=')
                ++k;
            Attribute a;
            a.name = html.mid(nameStart, k - nameStart).toLower();
            qsizetype m = k;
            while (m < n && isSpace(html[m]))
                ++m;
            if (m < n && html[m] == u'=') {
                ++m;
                while (m < n && isSpace(html[m]))
                    ++m;
                if (m < n && (html[m] == u'"' || html[m] == u'\'')) {
                    const qsizetype close = html.indexOf(html[m], m + 1);
                    const qsizetype end = close < 0 ? n : close;
                    a.value = decode(html.mid(m + 1, end - m - 1));
                    k = close < 0 ? n : close + 1;
                } else {
                    const qsizetype vs = m;
                    while (m < n && !isSpace(html[m]) && html[m] != u'>')
                        ++m;
                    a.value = decode(html.mid(vs, m - vs));
                    k = m;
                }
            }
            tag.attributes << a;
        }
        // A tag cut off by the end of the input is dropped by browsers.
        if (closed)
            tags << tag;
        i = k;
    }
    return tags;
}

// What the URL parser sees: blanks and controls trimmed, tabs and line
// breaks removed anywhere, lower case.
inline QString plainURL(const QString& value)
{
    QString out;
    for (QChar c : value)
        if (c.unicode() > 0x20 && c != QChar(0x7F))
            out += c.toLower();
    return out;
}

inline bool scriptURL(const QString& value)
{
    const QString url = plainURL(value);
    const qsizetype colon = url.indexOf(u':');
    if (colon < 0)
        return false;
    const QString scheme = url.left(colon);
    if (scheme.contains(u'/') || scheme.contains(u'?') || scheme.contains(u'#'))
        return false;
    if (scheme.endsWith(QLatin1String("javascript")) || scheme.endsWith(QLatin1String("vbscript"))
        || scheme.endsWith(QLatin1String("livescript")))
        return true;
    if (scheme == QLatin1String("data")) {
        for (const char* ok : {"data:image/png", "data:image/jpeg", "data:image/jpg", "data:image/gif",
                               "data:image/webp", "data:image/bmp", "data:image/avif"})
            if (url.startsWith(QLatin1String(ok)))
                return false;
        return true;
    }
    return false;
}

// Empty when nothing in the HTML can run script; otherwise what can.
inline QString finding(const QString& html)
{
    static const QStringList elements = {
        "script",  "iframe",   "frame",         "frameset",    "object",   "embed", "applet",        "base",
        "meta",    "link",     "portal",        "fencedframe", "animate",  "set",   "animatemotion", "animatetransform",
        "handler", "listener", "foreignobject", "noscript",    "template", "xmp",   "style"};
    static const QStringList urlAttributes = {
        "href",   "xlink:href", "src",    "action", "formaction", "data",     "poster",  "background", "lowsrc",
        "dynsrc", "codebase",   "ping",   "cite",   "srcset",     "longdesc", "usemap",  "manifest",   "icon",
        "to",     "from",       "values", "by",     "xml:base",   "archive",  "classid", "content"};
    for (const StartTag& tag : startTags(html)) {
        if (elements.contains(tag.name))
            return QStringLiteral("element <") + tag.name + u'>';
        for (const Attribute& a : tag.attributes) {
            if (a.name.startsWith(QLatin1String("on")))
                return QStringLiteral("handler ") + a.name + QStringLiteral(" on <") + tag.name + u'>';
            if (a.name == QLatin1String("srcdoc") || a.name == QLatin1String("http-equiv"))
                return QStringLiteral("attribute ") + a.name;
            if (a.name == QLatin1String("style")) {
                const QString css = plainURL(a.value);
                if (css.contains(QLatin1String("expression(")) || css.contains(QLatin1String("javascript:")))
                    return QStringLiteral("script in style on <") + tag.name + u'>';
            }
            if (urlAttributes.contains(a.name)) {
                for (const QString& part :
                     a.name == QLatin1String("srcset") ? a.value.split(u',') : QStringList{a.value})
                    if (scriptURL(part.trimmed().section(u' ', 0, 0)))
                        return QStringLiteral("URL ") + a.name + u'=' + a.value.left(60) + QStringLiteral(" on <")
                            + tag.name + u'>';
            }
        }
    }
    return {};
}

// Empty when nothing in the HTML loads from outside the page except an
// <img src>, a link's target or a reference inside the document; otherwise
// what would load.
inline QString remoteLoad(const QString& html)
{
    // Elements that fetch with attributes other than the URL ones below, or by themselves.
    static const QStringList fetching = {"source", "video",  "audio", "track",         "picture",
                                         "link",   "object", "embed", "iframe",        "frame",
                                         "style",  "cursor", "tref",  "font-face-uri", "script"};
    static const QStringList urlAttributes = {"href",     "xlink:href", "src",      "background", "poster",
                                              "srcset",   "lowsrc",     "dynsrc",   "data",       "ping",
                                              "xml:base", "codebase",   "manifest", "icon"};
    // Attributes a browser reads as CSS: the style attribute and the SVG
    // presentation attributes that take a <url>. Text elsewhere (a title,
    // an alt) may say "url(" or hold a backslash without loading anything.
    static const QStringList cssAttributes = {"style",  "fill",         "stroke",     "clip-path",  "mask",
                                              "filter", "marker-start", "marker-mid", "marker-end", "cursor"};
    for (const StartTag& tag : startTags(html)) {
        if (fetching.contains(tag.name))
            return QStringLiteral("element <") + tag.name + u'>';
        for (const Attribute& a : tag.attributes) {
            QString value = plainURL(a.value);
            // url(#id) stays inside the document.
            value.replace(QLatin1String("url(#"), QLatin1String("local("));
            value.replace(QLatin1String("url('#"), QLatin1String("local("));
            value.replace(QLatin1String("url(\"#"), QLatin1String("local("));
            // A link's address is followed only when clicked; CSS-like text in it loads nothing.
            const bool link = tag.name == QLatin1String("a")
                && (a.name == QLatin1String("href") || a.name == QLatin1String("xlink:href"));
            for (const char* bad : {"url(", "image-set(", "@import", "\\", "image(", "cross-fade(", "element(", "src("})
                if (!link && cssAttributes.contains(a.name) && value.contains(QLatin1String(bad)))
                    return QStringLiteral("resource in ") + a.name + QStringLiteral(" on <") + tag.name + u'>';
            if (urlAttributes.contains(a.name) && !(tag.name == QLatin1String("img") && a.name == QLatin1String("src"))
                && !(tag.name == QLatin1String("a")
                     && (a.name == QLatin1String("href") || a.name == QLatin1String("xlink:href")))
                && !value.startsWith(u'#') && !value.startsWith(QLatin1String("data:image/")))
                return QStringLiteral("URL ") + a.name + QStringLiteral(" on <") + tag.name + u'>';
        }
    }
    return {};
}

}
