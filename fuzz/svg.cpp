// SVGSanitizer.clean on arbitrary text, as PlantUML output would arrive:
// either a PluginError or an <svg> in which a browser's tokenizer finds
// nothing that can run script or load from elsewhere than the document.
// Some inputs go through cleanDiagram, as Mermaid's output does: its kept
// style sheets may name nothing outside and style nothing outside the root.
#include "oracle/ScriptOracle.h"
#include "plugins/FormatPlugin.h"
#include "plugins/SVGSanitizer.h"

#include <QRegularExpression>
#include <cstddef>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    QString text = QString::fromUtf8(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    // Half the inputs get a valid root so the fuzzer spends its time inside.
    if (data[0] & 1)
        text = QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
                              "id=\"m\">")
            + text + QStringLiteral("</svg>");
    const bool diagram = data[0] & 2;
    QString svg;
    try {
        svg = diagram ? SVGSanitizer::cleanDiagram(text) : SVGSanitizer::clean(text);
    } catch (const PluginError&) {
        return 0;
    }
    // Each kept sheet (escaped text) is judged on its own, then left out for the oracle.
    for (qsizetype at; diagram && (at = svg.indexOf(QLatin1String("<style>"))) >= 0;) {
        const qsizetype end = svg.indexOf(QLatin1String("</style>"), at);
        if (end < 0)
            __builtin_trap();
        const QString sheet = svg.mid(at + 7, end - at - 7).replace(QLatin1String("&gt;"), QLatin1String(">"));
        for (const QString& rule : sheet.split(u'}', Qt::SkipEmptyParts)) {
            const QString selectors = rule.section(u'{', 0, 0);
            for (const QString& selector : selectors.split(u','))
                if (!selector.startsWith(QLatin1String("#m"))
                    || (selector.size() > 2 && selector[2] != u' ' && selector[2] != u'.' && selector[2] != u':'
                        && selector[2] != u'>'))
                    __builtin_trap();
            static const QRegularExpression local(QStringLiteral("url\\(\\s*[\"']?\\s*#"));
            if (QString(rule).remove(local).contains(QLatin1String("url("), Qt::CaseInsensitive) || rule.contains(u'@')
                || rule.contains(u'\\') || rule.contains(u'<'))
                __builtin_trap();
        }
        svg.remove(at, end + 8 - at);
    }
    if (!svg.startsWith(QLatin1String("<svg")))
        __builtin_trap();
    QString found = ScriptOracle::finding(svg);
    if (found.isEmpty())
        found = ScriptOracle::remoteLoad(svg);
    // Outside the document only web links and embedded raster images.
    if (found.isEmpty())
        for (const ScriptOracle::StartTag& tag : ScriptOracle::startTags(svg))
            for (const ScriptOracle::Attribute& a : tag.attributes) {
                const QString url = ScriptOracle::plainURL(a.value);
                if ((a.name == QLatin1String("href") || a.name == QLatin1String("xlink:href"))
                    && tag.name != QLatin1String("a") && !url.startsWith(u'#')
                    && !url.startsWith(QLatin1String("data:image/")))
                    found = QStringLiteral("external reference on <") + tag.name + u'>';
                const bool link = tag.name == QLatin1String("a")
                    && (a.name == QLatin1String("href") || a.name == QLatin1String("xlink:href"));
                if (!link && url.contains(QLatin1String("url(")) && !url.contains(QLatin1String("url(#")))
                    found = QStringLiteral("external url() in ") + a.name;
            }
    if (!found.isEmpty()) {
        std::fprintf(stderr, "survived: %s\n%s\n", qPrintable(found), qPrintable(svg.left(2000)));
        __builtin_trap();
    }
    return 0;
}
