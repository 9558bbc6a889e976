#include "render/PreviewScript.h"

namespace PreviewScript {

namespace {
const char16_t hex[] = u"0123456789abcdef";

void appendEscape(QString& out, char16_t c)
{
    switch (c) {
    case u'"': out += QLatin1String("\\\""); return;
    case u'\\': out += QLatin1String("\\\\"); return;
    case u'\n': out += QLatin1String("\\n"); return;
    case u'\r': out += QLatin1String("\\r"); return;
    case u'\t': out += QLatin1String("\\t"); return;
    default: break;
    }
    const char16_t u[] = {u'\\', u'u', hex[(c >> 12) & 15], hex[(c >> 8) & 15], hex[(c >> 4) & 15], hex[c & 15]};
    out.append(reinterpret_cast<const QChar*>(u), 6);
}

// Checked for a stop this often: a few milliseconds of work.
constexpr qsizetype stopEvery = qsizetype(1) << 20;
}

bool appendLiteral(QString& out, QStringView text, const std::function<bool()>& stop)
{
    const qsizetype n = text.size();
    out.reserve(out.size() + n + n / 32 + 16);
    out += u'"';
    const QChar* p = text.data();
    qsizetype run = 0;
    qsizetype nextCheck = stopEvery;
    for (qsizetype i = 0; i < n; ++i) {
        if (i >= nextCheck) {
            nextCheck += stopEvery;
            if (stop && stop())
                return false;
        }
        const char16_t c = p[i].unicode();
        // Line and paragraph separators end a line in older script engines.
        const bool plain = c >= 0x20 && c != u'"' && c != u'\\' && c != 0x2028 && c != 0x2029;
        if (plain && !QChar::isSurrogate(c))
            continue;
        if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(p[i + 1].unicode())) {
            ++i;
            continue;
        }
        out.append(p + run, i - run);
        appendEscape(out, QChar::isSurrogate(c) ? char16_t(0xfffd) : c);
        run = i + 1;
    }
    out.append(p + run, n - run);
    out += u'"';
    return true;
}

QString content(QStringView html, const std::function<bool()>& stop)
{
    QString script = QStringLiteral("document.getElementById('c').innerHTML=");
    if (!appendLiteral(script, html, stop))
        return {};
    script += QLatin1String(";if(window.lorvaneReset)lorvaneReset();"
                            // Big pictures decode off the page's thread.
                            "for(const i of document.images)i.decoding='async';");
    return script;
}

}
