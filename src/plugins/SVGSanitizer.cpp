#include "plugins/SVGSanitizer.h"

#include "plugins/CSSSanitizer.h"
#include "plugins/FormatPlugin.h"
#include "plugins/HTML.h"
#include "plugins/HTMLSanitizer.h"

#include <QRegularExpression>
#include <QSet>
#include <QXmlStreamReader>
#include <cstring>

namespace SVGSanitizer {

namespace {

const QSet<QString>& elements()
{
    static const QSet<QString> s = {"svg",
                                    "g",
                                    "defs",
                                    "desc",
                                    "title",
                                    "symbol",
                                    "switch",
                                    "use",
                                    "a",
                                    "rect",
                                    "circle",
                                    "ellipse",
                                    "line",
                                    "polyline",
                                    "polygon",
                                    "path",
                                    "text",
                                    "tspan",
                                    "textPath",
                                    "marker",
                                    "linearGradient",
                                    "radialGradient",
                                    "stop",
                                    "pattern",
                                    "clipPath",
                                    "mask",
                                    "image",
                                    "filter",
                                    "feBlend",
                                    "feColorMatrix",
                                    "feComponentTransfer",
                                    "feComposite",
                                    "feFlood",
                                    "feGaussianBlur",
                                    "feMerge",
                                    "feMergeNode",
                                    "feMorphology",
                                    "feOffset",
                                    "feDropShadow",
                                    "feFuncA",
                                    "feFuncR",
                                    "feFuncG",
                                    "feFuncB"};
    return s;
}

const QSet<QString>& attributes()
{
    static const QSet<QString> s = {"id",
                                    "class",
                                    "style",
                                    "x",
                                    "y",
                                    "x1",
                                    "y1",
                                    "x2",
                                    "y2",
                                    "cx",
                                    "cy",
                                    "r",
                                    "rx",
                                    "ry",
                                    "fx",
                                    "fy",
                                    "width",
                                    "height",
                                    "d",
                                    "points",
                                    "transform",
                                    "viewBox",
                                    "preserveAspectRatio",
                                    "version",
                                    "fill",
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
                                    "opacity",
                                    "color",
                                    "display",
                                    "visibility",
                                    "overflow",
                                    "clip-path",
                                    "clip-rule",
                                    "mask",
                                    "filter",
                                    "marker-start",
                                    "marker-mid",
                                    "marker-end",
                                    "markerWidth",
                                    "markerHeight",
                                    "markerUnits",
                                    "refX",
                                    "refY",
                                    "orient",
                                    "font-family",
                                    "font-size",
                                    "font-style",
                                    "font-weight",
                                    "font-variant",
                                    "text-anchor",
                                    "text-decoration",
                                    "dominant-baseline",
                                    "alignment-baseline",
                                    "baseline-shift",
                                    "letter-spacing",
                                    "word-spacing",
                                    "writing-mode",
                                    "textLength",
                                    "lengthAdjust",
                                    "dx",
                                    "dy",
                                    "rotate",
                                    "startOffset",
                                    "offset",
                                    "stop-color",
                                    "stop-opacity",
                                    "gradientUnits",
                                    "gradientTransform",
                                    "spreadMethod",
                                    "patternUnits",
                                    "patternContentUnits",
                                    "patternTransform",
                                    "clipPathUnits",
                                    "maskUnits",
                                    "maskContentUnits",
                                    "filterUnits",
                                    "primitiveUnits",
                                    "stdDeviation",
                                    "result",
                                    "in",
                                    "in2",
                                    "mode",
                                    "type",
                                    "values",
                                    "operator",
                                    "k1",
                                    "k2",
                                    "k3",
                                    "k4",
                                    "radius",
                                    "flood-color",
                                    "flood-opacity",
                                    "tableValues",
                                    "slope",
                                    "intercept",
                                    "amplitude",
                                    "exponent",
                                    "xml:space",
                                    "shape-rendering",
                                    "text-rendering",
                                    "image-rendering",
                                    "vector-effect",
                                    "pathLength",
                                    "title",
                                    "target",
                                    "href",
                                    "xlink:href",
                                    "xlink:title"};
    return s;
}

QString schemeOf(const QString& url)
{
    QString plain;
    for (QChar c : HTMLSanitizer::decodeReferences(url))
        if (c.unicode() > 0x20 && c != QChar(0x7F) && c != QChar(0xA0))
            plain += c.toLower();
    const qsizetype colon = plain.indexOf(u':');
    if (colon < 0)
        return plain.startsWith(u'#') ? QStringLiteral("#") : QString();
    // A colon after a path or query start is not a scheme.
    const qsizetype cut = plain.indexOf(QRegularExpression(QStringLiteral("[/?#]")));
    if (cut >= 0 && cut < colon)
        return plain.startsWith(u'#') ? QStringLiteral("#") : QString();
    return plain.left(colon);
}

bool rasterData(const QString& url)
{
    QString plain;
    for (QChar c : HTMLSanitizer::decodeReferences(url))
        if (c.unicode() > 0x20)
            plain += c.toLower();
    for (const char* kind : {"data:image/png", "data:image/jpeg", "data:image/gif", "data:image/webp"})
        if (plain.startsWith(QLatin1String(kind)) && plain.size() > qsizetype(strlen(kind))
            && (plain[strlen(kind)] == u';' || plain[strlen(kind)] == u','))
            return true;
    return false;
}

// Which link targets each element may keep.
bool allowedReference(const QString& element, const QString& url)
{
    const QString scheme = schemeOf(url);
    if (element == QLatin1String("a"))
        return scheme == QLatin1String("http") || scheme == QLatin1String("https") || scheme == QLatin1String("mailto")
            || scheme == QLatin1String("#");
    if (element == QLatin1String("image"))
        return rasterData(url);
    // use, textPath, gradients, patterns, filters: only inside this document.
    return scheme == QLatin1String("#");
}

void writeText(QString& out, QStringView text) { HTML::appendEsc(out, text.toString()); }

void writeAttribute(QString& out, const QString& name, const QString& value)
{
    out += u' ' + name + QStringLiteral("=\"");
    writeText(out, value);
    out += u'"';
}

}

namespace {

QString rebuild(const QString& svg, bool styles)
{
    QXmlStreamReader xml(svg);
    xml.setNamespaceProcessing(true);
    QString out;
    out.reserve(svg.size());
    int depth = 0;     // open elements written
    int skipping = 0;  // depth inside a dropped element, 0 when writing
    bool sawRoot = false;
    QString rootId;  // scopes the kept style sheets
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (skipping) {
                ++skipping;
                continue;
            }
            const QString name = xml.name().toString();
            const bool svgNamespace = xml.namespaceUri() == QLatin1String("http://www.w3.org/2000/svg");
            if (!sawRoot && (name != QLatin1String("svg") || !svgNamespace))
                throw PluginError(QStringLiteral("PlantUML 输出不是 SVG"));
            sawRoot = true;
            if (name == QLatin1String("style") && svgNamespace && styles && depth > 0) {
                const QString sheet = CSSSanitizer::cleanSheet(xml.readElementText(QXmlStreamReader::SkipChildElements),
                                                               u'#' + rootId);
                if (!sheet.isEmpty()) {
                    out += QStringLiteral("<style>");
                    writeText(out, sheet);
                    out += QStringLiteral("</style>");
                }
                continue;
            }
            if (!svgNamespace || !elements().contains(name)) {
                skipping = 1;
                continue;
            }
            if (depth == 0)
                rootId = xml.attributes().value(QLatin1String("id")).toString();
            out += u'<' + name;
            if (depth == 0)
                out += QStringLiteral(
                    " xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\"");
            for (const QXmlStreamAttribute& a : xml.attributes()) {
                QString attr = a.qualifiedName().toString();
                if (a.namespaceUri() == QLatin1String("http://www.w3.org/1999/xlink"))
                    attr = QStringLiteral("xlink:") + a.name().toString();
                else if (a.namespaceUri() == QLatin1String("http://www.w3.org/XML/1998/namespace"))
                    attr = QStringLiteral("xml:") + a.name().toString();
                else if (!a.namespaceUri().isEmpty())
                    continue;
                if (!attributes().contains(attr))
                    continue;
                const QString value = a.value().toString();
                if (attr == QLatin1String("href") || attr == QLatin1String("xlink:href")) {
                    if (!allowedReference(name, value))
                        continue;
                } else if (attr == QLatin1String("target")) {
                    if (value != QLatin1String("_top") && value != QLatin1String("_blank"))
                        continue;
                } else if (attr == QLatin1String("style")) {
                    const QString style = CSSSanitizer::cleanStyle(value, CSSSanitizer::Scope::svg);
                    if (!style.isEmpty())
                        writeAttribute(out, attr, style);
                    continue;
                } else if (!CSSSanitizer::safeSVGValue(attr, value)) {
                    continue;
                }
                writeAttribute(out, attr, value);
            }
            out += u'>';
            ++depth;
        } else if (token == QXmlStreamReader::EndElement) {
            if (skipping) {
                --skipping;
                continue;
            }
            out += QStringLiteral("</") + xml.name().toString() + u'>';
            if (--depth == 0)
                break;
        } else if (token == QXmlStreamReader::Characters) {
            if (!skipping && depth > 0)
                writeText(out, xml.text());
        }
        // Comments, processing instructions and document types are dropped.
    }
    if (xml.hasError() || !sawRoot || depth != 0)
        throw PluginError(QStringLiteral("PlantUML 输出不是有效的 SVG：")
                          + (xml.hasError() ? xml.errorString() : QStringLiteral("文档不完整")));
    return out;
}

}

QString clean(const QString& svg) { return rebuild(svg, false); }

QString cleanDiagram(const QString& svg) { return rebuild(svg, true); }

}
