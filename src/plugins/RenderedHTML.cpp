#include "plugins/RenderedHTML.h"

#include "plugins/CSSSanitizer.h"
#include "plugins/HTMLSanitizer.h"

#include <QFile>
#include <QStringList>

namespace RenderedHTML {

namespace {

// The class tokens of `value` that pass; an empty class is dropped with its attribute.
template <typename Keep> std::optional<QString> classes(const QString& value, Keep keep)
{
    QStringList kept;
    for (const QString& token : value.split(u' ', Qt::SkipEmptyParts))
        if (keep(token))
            kept << token;
    if (kept.isEmpty())
        return std::nullopt;
    return kept.join(u' ');
}

bool codeClass(const QString& token)
{
    if (token.size() <= 5 || !token.startsWith(QLatin1String("hljs-")))
        return false;
    for (QChar c : QStringView(token).mid(5))
        if (!((c >= u'a' && c <= u'z') || c == u'-' || c == u'_'))
            return false;
    return true;
}

const QSet<QString>& katexClasses()
{
    static const QSet<QString> s = [] {
        QFile file(QStringLiteral(":/scripts/katex.css"));
        return file.open(QIODevice::ReadOnly) ? selectorClasses(QString::fromUtf8(file.readAll())) : QSet<QString>();
    }();
    return s;
}

const QSet<QString>& mathMLElements()
{
    static const QSet<QString> s = {"math",     "semantics",  "annotation", "mrow",  "mi",    "mn",        "mo",
                                    "ms",       "mtext",      "mspace",     "msub",  "msup",  "msubsup",   "munder",
                                    "mover",    "munderover", "mfrac",      "msqrt", "mroot", "mstyle",    "mpadded",
                                    "mphantom", "menclose",   "mtable",     "mtr",   "mtd",   "mlabeledtr"};
    return s;
}

const QSet<QString>& mathMLAttributes()
{
    static const QSet<QString> s = {
        "display",       "encoding",    "mathvariant", "mathcolor",     "mathbackground", "mathsize",  "stretchy",
        "fence",         "separator",   "lspace",      "rspace",        "minsize",        "maxsize",   "largeop",
        "movablelimits", "accent",      "accentunder", "linethickness", "columnalign",    "rowalign",  "columnspacing",
        "rowspacing",    "columnlines", "rowlines",    "frame",         "framespacing",   "width",     "height",
        "depth",         "voffset",     "notation",    "scriptlevel",   "displaystyle",   "symmetric", "form"};
    return s;
}

bool svgAttribute(const QString& element, const QString& name)
{
    if (element == QLatin1String("svg"))
        return name == QLatin1String("width") || name == QLatin1String("height") || name == QLatin1String("viewbox")
            || name == QLatin1String("preserveaspectratio");
    if (element == QLatin1String("path"))
        return name == QLatin1String("d");
    return element == QLatin1String("line")
        && (name == QLatin1String("x1") || name == QLatin1String("y1") || name == QLatin1String("x2")
            || name == QLatin1String("y2") || name == QLatin1String("stroke-width"));
}

std::optional<QString> mathAttribute(const QString& element, const QString& name, const QString& value)
{
    if (name == QLatin1String("class"))
        return classes(value, [](const QString& token) { return katexClasses().contains(token); });
    if (name == QLatin1String("style")) {
        const QString style = CSSSanitizer::cleanStyle(value, CSSSanitizer::Scope::math);
        return style.isEmpty() ? std::nullopt : std::optional(style);
    }
    if (name == QLatin1String("aria-hidden") && value == QLatin1String("true"))
        return value;
    if (name == QLatin1String("xmlns")) {
        // Only the namespaces the elements are in anyway.
        if ((element == QLatin1String("math") && value == QLatin1String("http://www.w3.org/1998/Math/MathML"))
            || (element == QLatin1String("svg") && value == QLatin1String("http://www.w3.org/2000/svg")))
            return value;
        return std::nullopt;
    }
    const bool known = element == QLatin1String("svg") || element == QLatin1String("path")
            || element == QLatin1String("line")
        ? svgAttribute(element, name)
        : element != QLatin1String("span") && mathMLAttributes().contains(name);
    if (!known || !CSSSanitizer::safeSVGValue(name, value))
        return std::nullopt;
    return value;
}

}

QSet<QString> selectorClasses(const QString& css)
{
    QSet<QString> out;
    for (const QString& rule : css.split(u'}')) {
        const QStringView selector = QStringView(rule).left(rule.indexOf(u'{'));
        for (qsizetype i = 0; i < selector.size(); ++i) {
            if (selector[i] != u'.' || i + 1 >= selector.size() || !selector[i + 1].isLetter())
                continue;
            qsizetype j = i + 1;
            while (j < selector.size()
                   && (selector[j].isLetterOrNumber() || selector[j] == u'-' || selector[j] == u'_'))
                ++j;
            out.insert(selector.mid(i + 1, j - i - 1).toString());
            i = j - 1;
        }
    }
    return out;
}

QString cleanCode(const QString& html)
{
    static const HTMLSanitizer::AllowList list{
        [](const QString& element) { return element == QLatin1String("span"); },
        [](const QString&, const QString& name, const QString& value) -> std::optional<QString> {
            if (name != QLatin1String("class"))
                return std::nullopt;
            return classes(value, codeClass);
        }};
    return HTMLSanitizer::cleanWith(html, list);
}

QString cleanMath(const QString& html)
{
    static const HTMLSanitizer::AllowList list{[](const QString& element) {
                                                   return element == QLatin1String("span")
                                                       || element == QLatin1String("svg")
                                                       || element == QLatin1String("path")
                                                       || element == QLatin1String("line")
                                                       || mathMLElements().contains(element);
                                               },
                                               mathAttribute};
    return HTMLSanitizer::cleanWith(html, list);
}

}
