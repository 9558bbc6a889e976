#include "plugins/HTML.h"

namespace HTML {

void appendEsc(QString& out, const QString& s)
{
    qsizetype run = 0;
    const QChar* p = s.constData();
    const qsizetype n = s.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = p[i].unicode();
        const char* rep = nullptr;
        switch (c) {
        case '&': rep = "&amp;"; break;
        case '<': rep = "&lt;"; break;
        case '>': rep = "&gt;"; break;
        case '"': rep = "&quot;"; break;
        default: continue;
        }
        out.append(p + run, i - run);
        out.append(QLatin1String(rep));
        run = i + 1;
    }
    out.append(p + run, n - run);
}

QString esc(const QString& s)
{
    QString out;
    out.reserve(s.size() + s.size() / 8);
    appendEsc(out, s);
    return out;
}

QString caption(const QStringList& parts)
{
    QString out = QStringLiteral("<div class=\"cap\">");
    for (const QString& part : parts) {
        out += QLatin1String("<span>");
        appendEsc(out, part);
        out += QLatin1String("</span>");
    }
    out += QLatin1String("</div>");
    return out;
}

}
