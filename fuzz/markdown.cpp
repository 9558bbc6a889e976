// Markdown.html on arbitrary bytes: never crashes, and nothing in the HTML
// can run script when a browser reads it. The judge below tokenizes the way
// a browser does (tag names, attributes in every quoting, comments, character
// references in values) and reports script elements, event-handler
// attributes and script or document URLs.
#include "plugins/Markdown.h"

#include <QString>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace {

bool space(QChar c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f'; }
bool letter(QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

// Character references as browsers decode them in attribute values, the
// numeric ones of any length; the named ones that can spell a scheme.
QString decode(const QString& s)
{
    static const struct {
        const char* name;
        char16_t c;
    } named[] = {{"colon", u':'}, {"tab", u'\t'}, {"newline", u'\n'}, {"sol", u'/'},   {"lpar", u'('},
                 {"rpar", u')'},  {"amp", u'&'},  {"quot", u'"'},     {"apos", u'\''}, {"nbsp", 0xA0}};
    QString out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] != u'&') {
            out += s[i];
            continue;
        }
        qsizetype j = i + 1;
        if (j < s.size() && s[j] == u'#') {
            const bool hex = j + 1 < s.size() && (s[j + 1] == u'x' || s[j + 1] == u'X');
            j += hex ? 2 : 1;
            const qsizetype start = j;
            uint code = 0;
            for (; j < s.size(); ++j) {
                const int d = s[j] >= u'0' && s[j] <= u'9'                    ? s[j].unicode() - u'0'
                    : hex && s[j].toLower() >= u'a' && s[j].toLower() <= u'f' ? s[j].toLower().unicode() - u'a' + 10
                                                                              : -1;
                if (d < 0)
                    break;
                code = std::min<uint>(code * (hex ? 16 : 10) + uint(d), 0x110000);
            }
            if (j > start) {
                out += code == 0 || code >= 0x110000 ? QChar(0xFFFD) : QChar(char16_t(code < 0x10000 ? code : 0xFFFD));
                i = j < s.size() && s[j] == u';' ? j : j - 1;
                continue;
            }
        } else {
            bool found = false;
            for (const auto& n : named) {
                const QLatin1String name(n.name);
                if (s.mid(j, name.size()).compare(name, Qt::CaseInsensitive) == 0) {
                    out += QChar(n.c);
                    j += name.size();
                    i = j < s.size() && s[j] == u';' ? j : j - 1;
                    found = true;
                    break;
                }
            }
            if (found)
                continue;
        }
        out += s[i];
    }
    return out;
}

// Why a URL in this attribute could run script or load a document; empty if it cannot.
QString badURL(const QString& value)
{
    QString plain;
    for (QChar c : decode(value))
        if (c.unicode() > 0x20 && c.unicode() != 0x7F)
            plain += c.toLower();
    for (const char* scheme : {"javascript:", "vbscript:", "livescript:"})
        if (plain.startsWith(QLatin1String(scheme)))
            return QString::fromLatin1(scheme);
    if (plain.startsWith(QLatin1String("data:"))) {
        for (const char* image : {"data:image/png", "data:image/jpeg", "data:image/jpg", "data:image/gif",
                                  "data:image/webp", "data:image/bmp", "data:image/avif"})
            if (plain.startsWith(QLatin1String(image)))
                return {};
        return QStringLiteral("data:");
    }
    return {};
}

bool urlAttribute(const QString& name)
{
    for (const char* n :
         {"href",     "src",    "xlink:href", "action",   "formaction", "data",    "poster", "background", "cite",
          "srcset",   "lowsrc", "dynsrc",     "codebase", "ping",       "to",      "from",   "values",     "by",
          "longdesc", "usemap", "manifest",   "icon",     "archive",    "classid", "content"})
        if (name == QLatin1String(n))
            return true;
    return false;
}

bool scriptElement(const QString& name)
{
    for (const char* n : {"script", "iframe", "frame", "frameset", "object", "embed", "applet", "base", "meta", "link",
                          "portal", "animate", "set", "animatemotion", "animatetransform", "handler", "listener"})
        if (name == QLatin1String(n))
            return true;
    return false;
}

// The first thing in html that can run script, or empty. Text inside
// raw-text elements is tokenized as markup too (as inside SVG it would be).
QString finding(const QString& h)
{
    const qsizetype n = h.size();
    for (qsizetype i = h.indexOf(u'<'); i >= 0 && i + 1 < n; i = h.indexOf(u'<', i)) {
        if (h.mid(i, 4) == QLatin1String("<!--")) {
            // "<!-->" and "<!--->" close at once; otherwise "-->" or "--!>".
            if (h.mid(i + 4, 1) == QLatin1String(">") || h.mid(i + 4, 2) == QLatin1String("->")) {
                i += 5;
                continue;
            }
            qsizetype end = h.indexOf(QLatin1String("--"), i + 4);
            while (end >= 0 && !(h.mid(end + 2, 1) == QLatin1String(">") || h.mid(end + 2, 2) == QLatin1String("!>")))
                end = h.indexOf(QLatin1String("--"), end + 1);
            if (end < 0)
                return {};
            i = end + 2;
            continue;
        }
        qsizetype j = i + 1;
        const bool closing = h[j] == u'/';
        if (closing)
            ++j;
        if (j >= n)
            return {};
        if (!letter(h[j])) {
            // "<!x>", "<?x>" and "</1>" are bogus comments up to ">"; a lone "<" is text.
            if (h[i + 1] == u'!' || h[i + 1] == u'?' || (closing && h[j] != u'>')) {
                const qsizetype gt = h.indexOf(u'>', j);
                if (gt < 0)
                    return {};
                i = gt + 1;
            } else {
                i = j;
            }
            continue;
        }
        QString name;
        while (j < n && !space(h[j]) && h[j] != u'/' && h[j] != u'>')
            name += h[j++].toLower();
        QString found;
        if (!closing && scriptElement(name))
            found = QStringLiteral("element <") + name + u'>';
        while (j < n && h[j] != u'>') {
            if (space(h[j]) || h[j] == u'/') {
                ++j;
                continue;
            }
            QString attr(h[j++].toLower());
            while (j < n && !space(h[j]) && h[j] != u'/' && h[j] != u'>' && h[j] != u'=')
                attr += h[j++].toLower();
            qsizetype k = j;
            while (k < n && space(h[k]))
                ++k;
            QString value;
            if (k < n && h[k] == u'=') {
                ++k;
                while (k < n && space(h[k]))
                    ++k;
                if (k < n && (h[k] == u'"' || h[k] == u'\'')) {
                    const qsizetype close = h.indexOf(h[k], k + 1);
                    if (close < 0)
                        return {};  // the tag never ends, so it is not a tag
                    value = h.mid(k + 1, close - k - 1);
                    j = close + 1;
                } else {
                    const qsizetype from = k;
                    while (k < n && !space(h[k]) && h[k] != u'>')
                        ++k;
                    value = h.mid(from, k - from);
                    j = k;
                }
            }
            if (closing || !found.isEmpty())
                continue;
            if (attr.startsWith(QLatin1String("on")) || attr == QLatin1String("srcdoc"))
                found = QStringLiteral("attribute ") + attr;
            else if (urlAttribute(attr) && !badURL(value).isEmpty())
                found = badURL(value) + QStringLiteral(" URL in ") + attr;
            else if (attr == QLatin1String("style")
                     && (decode(value).toLower().contains(QLatin1String("javascript:"))
                         || decode(value).toLower().contains(QLatin1String("expression("))))
                found = QStringLiteral("script in style");
        }
        if (j >= n)
            return {};  // an unfinished tag is dropped by the browser
        if (!found.isEmpty())
            return found + QStringLiteral(" in ") + h.mid(i, std::min<qsizetype>(j + 1 - i, 300));
        i = j + 1;
    }
    return {};
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString html = Markdown::html(text);
    const QString found = finding(html);
    if (!found.isEmpty()) {
        std::fprintf(stderr, "runs script: %s\n", qPrintable(found));
        __builtin_trap();
    }
    return 0;
}
