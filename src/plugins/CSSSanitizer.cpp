#include "plugins/CSSSanitizer.h"

#include <QSet>
#include <QStringList>
#include <algorithm>

namespace CSSSanitizer {

namespace {

// Text, box and table looks; nothing that positions over the page or takes an image.
const QSet<QString>& htmlProperties()
{
    static const QSet<QString> s = {"color",
                                    "background",
                                    "background-color",
                                    "opacity",
                                    "visibility",
                                    "display",
                                    "float",
                                    "clear",
                                    "font",
                                    "font-family",
                                    "font-size",
                                    "font-style",
                                    "font-weight",
                                    "font-variant",
                                    "line-height",
                                    "letter-spacing",
                                    "word-spacing",
                                    "white-space",
                                    "word-break",
                                    "overflow-wrap",
                                    "word-wrap",
                                    "text-align",
                                    "text-indent",
                                    "text-transform",
                                    "text-decoration",
                                    "text-decoration-line",
                                    "text-decoration-color",
                                    "text-decoration-style",
                                    "text-overflow",
                                    "vertical-align",
                                    "direction",
                                    "unicode-bidi",
                                    "writing-mode",
                                    "width",
                                    "height",
                                    "min-width",
                                    "max-width",
                                    "min-height",
                                    "max-height",
                                    "box-sizing",
                                    "overflow",
                                    "overflow-x",
                                    "overflow-y",
                                    "margin",
                                    "margin-top",
                                    "margin-right",
                                    "margin-bottom",
                                    "margin-left",
                                    "padding",
                                    "padding-top",
                                    "padding-right",
                                    "padding-bottom",
                                    "padding-left",
                                    "border",
                                    "border-top",
                                    "border-right",
                                    "border-bottom",
                                    "border-left",
                                    "border-color",
                                    "border-width",
                                    "border-style",
                                    "border-radius",
                                    "border-top-color",
                                    "border-right-color",
                                    "border-bottom-color",
                                    "border-left-color",
                                    "border-top-width",
                                    "border-right-width",
                                    "border-bottom-width",
                                    "border-left-width",
                                    "border-top-style",
                                    "border-right-style",
                                    "border-bottom-style",
                                    "border-left-style",
                                    "border-collapse",
                                    "border-spacing",
                                    "table-layout",
                                    "caption-side",
                                    "empty-cells",
                                    "list-style-type",
                                    "list-style-position"};
    return s;
}

// Drawing properties of SVG on top of the text ones.
const QSet<QString>& svgProperties()
{
    static const QSet<QString> s = [] {
        QSet<QString> p = {"fill",
                           "fill-opacity",
                           "fill-rule",
                           "stroke",
                           "stroke-width",
                           "stroke-dasharray",
                           "stroke-dashoffset",
                           "stroke-linecap",
                           "stroke-linejoin",
                           "stroke-miterlimit",
                           "stroke-opacity",
                           "clip-path",
                           "clip-rule",
                           "mask",
                           "filter",
                           "marker",
                           "marker-start",
                           "marker-mid",
                           "marker-end",
                           "stop-color",
                           "stop-opacity",
                           "flood-color",
                           "flood-opacity",
                           "lighting-color",
                           "text-anchor",
                           "dominant-baseline",
                           "alignment-baseline",
                           "baseline-shift",
                           "shape-rendering",
                           "text-rendering",
                           "image-rendering",
                           "color-interpolation",
                           "color-interpolation-filters",
                           "paint-order",
                           "vector-effect"};
        p.unite(htmlProperties());
        return p;
    }();
    return s;
}

// A formula's boxes are shifted within their own line box; nothing leaves it for the page.
const QSet<QString>& mathProperties()
{
    static const QSet<QString> s = [] {
        QSet<QString> p = {"top", "bottom", "left", "position", "text-shadow"};
        p.unite(htmlProperties());
        return p;
    }();
    return s;
}

bool takesReference(const QString& name)
{
    static const QSet<QString> s = {"fill",   "stroke",       "clip-path",  "mask",      "filter",
                                    "marker", "marker-start", "marker-mid", "marker-end"};
    return s.contains(name);
}

bool isTransform(const QString& name)
{
    return name == QLatin1String("transform") || name == QLatin1String("gradientTransform")
        || name == QLatin1String("patternTransform");
}

bool nameChar(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'-' || c == u'_';
}

// "#id" and nothing else: a reference inside the same document.
bool localFragment(QStringView inside)
{
    inside = inside.trimmed();
    if (inside.size() >= 2 && (inside.front() == u'"' || inside.front() == u'\'') && inside.back() == inside.front())
        inside = inside.mid(1, inside.size() - 2).trimmed();
    if (inside.size() < 2 || inside.front() != u'#')
        return false;
    for (QChar c : inside.mid(1))
        if (!nameChar(c) && c != u'.' && c != u':')
            return false;
    return true;
}

// Every "(" opens an allowed function, nothing escapes, comments or leaves the value.
bool plainValue(QStringView v, bool references, bool transforms, bool quotes)
{
    static const QSet<QString> colours = {"rgb", "rgba", "hsl", "hsla", "calc"};
    static const QSet<QString> transformFunctions = {"matrix", "translate", "scale", "rotate", "skewx", "skewy"};
    int doubleQuotes = 0, singleQuotes = 0;
    for (qsizetype i = 0; i < v.size(); ++i) {
        const QChar c = v[i];
        if ((c.unicode() < 0x20 && c != u'\t' && c != u'\n' && c != u'\r' && c != u'\f') || c.unicode() == 0x7F)
            return false;
        if (QStringView(u"\\@<>{};`&").contains(c))
            return false;
        if (c == u'/' && i + 1 < v.size() && v[i + 1] == u'*')
            return false;
        if (c == u'"' || c == u'\'') {
            if (!quotes)
                return false;
            ++(c == u'"' ? doubleQuotes : singleQuotes);
        }
        if (c != u'(')
            continue;
        qsizetype start = i;
        while (start > 0 && nameChar(v[start - 1]))
            --start;
        const QString function = v.mid(start, i - start).toString().toLower();
        if (function == QLatin1String("url")) {
            const qsizetype close = v.indexOf(u')', i);
            if (!references || close < 0 || !localFragment(v.mid(i + 1, close - i - 1)))
                return false;
            i = close;
        } else if (!colours.contains(function) && !(transforms && transformFunctions.contains(function))) {
            return false;
        }
    }
    return doubleQuotes % 2 == 0 && singleQuotes % 2 == 0;
}

bool fontName(const QString& name) { return name == QLatin1String("font-family") || name == QLatin1String("font"); }

}

QString cleanStyle(const QString& style, Scope scope)
{
    const QSet<QString>& allowed = scope == Scope::html ? htmlProperties()
        : scope == Scope::svg                           ? svgProperties()
                                                        : mathProperties();
    QStringList kept;
    for (const QString& declaration : style.split(u';')) {
        const qsizetype colon = declaration.indexOf(u':');
        if (colon < 0)
            continue;
        const QString name = declaration.left(colon).trimmed().toLower();
        const QString value = declaration.mid(colon + 1).simplified();
        if (!allowed.contains(name) || value.isEmpty())
            continue;
        if (name == QLatin1String("position") && value.toLower() != QLatin1String("relative"))
            continue;
        if (!plainValue(value, scope == Scope::svg && takesReference(name), false, fontName(name)))
            continue;
        kept << name + u':' + value;
    }
    return kept.join(u';');
}

namespace {

// Plain selector text inside the scope: no escapes, strings with markup or blocks.
bool scopedSelector(QStringView selector, const QString& scope)
{
    if (!selector.startsWith(scope))
        return false;
    if (selector.size() > scope.size() && !QStringView(u" .:>").contains(selector[scope.size()]))
        return false;
    for (QChar c : selector)
        if (!nameChar(c) && !QStringView(u" .#:>+~*()[]=\"'").contains(c))
            return false;
    return true;
}

// The index after the block opened at `open`, braces matched; the end when unclosed.
qsizetype blockEnd(const QString& css, qsizetype open)
{
    int depth = 0;
    for (qsizetype i = open; i < css.size(); ++i) {
        if (css[i] == u'{')
            ++depth;
        else if (css[i] == u'}' && --depth == 0)
            return i + 1;
    }
    return css.size();
}

}

QString cleanSheet(const QString& input, const QString& scope)
{
    if (input.contains(u'\\') || scope.size() < 2 || scope[0] != u'#'
        || !std::all_of(scope.begin() + 1, scope.end(), nameChar))
        return {};
    QString css = input;
    for (qsizetype at = css.indexOf(QLatin1String("/*")); at >= 0; at = css.indexOf(QLatin1String("/*"), at)) {
        const qsizetype end = css.indexOf(QLatin1String("*/"), at + 2);
        css.remove(at, end < 0 ? css.size() - at : end + 2 - at);
    }
    QString out;
    qsizetype at = 0;
    while (at < css.size()) {
        const qsizetype open = css.indexOf(u'{', at);
        if (open < 0)
            break;
        const QString prelude = css.mid(at, open - at).trimmed();
        // An at-rule without a block ("@import …;") ends at its semicolon.
        if (const qsizetype semi = prelude.lastIndexOf(u';'); semi >= 0 && prelude.startsWith(u'@')) {
            at += css.mid(at).indexOf(u';') + 1;
            continue;
        }
        const qsizetype end = blockEnd(css, open);
        const QString body = css.mid(open + 1, end - open - 2);
        at = end;
        if (prelude.startsWith(u'@') || body.contains(u'{'))
            continue;
        QStringList selectors;
        bool scoped = !prelude.isEmpty();
        for (const QString& selector : prelude.split(u',')) {
            selectors << selector.simplified();
            scoped = scoped && scopedSelector(selectors.last(), scope);
        }
        if (!scoped)
            continue;
        const QString declarations = cleanStyle(body, Scope::svg);
        if (!declarations.isEmpty())
            out += selectors.join(u',') + u'{' + declarations + u'}';
    }
    return out;
}

bool safeSVGValue(const QString& attribute, const QString& value)
{
    return plainValue(value, takesReference(attribute), isTransform(attribute),
                      fontName(attribute) || attribute == QLatin1String("title")
                          || attribute == QLatin1String("xlink:title"));
}

}
