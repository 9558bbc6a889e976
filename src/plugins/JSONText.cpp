#include "plugins/JSONText.h"

namespace JSONText {

void appendEscaped(QString& out, const QString& s)
{
    static const char hex[] = "0123456789abcdef";
    for (QChar c : s) {
        const char16_t u = c.unicode();
        switch (u) {
        case 8: out += QLatin1String("\\b"); break;
        case 9: out += QLatin1String("\\t"); break;
        case 10: out += QLatin1String("\\n"); break;
        case 12: out += QLatin1String("\\f"); break;
        case 13: out += QLatin1String("\\r"); break;
        case '"': out += QLatin1String("\\\""); break;
        case '\\': out += QLatin1String("\\\\"); break;
        default:
            if (u < 32) {
                out += QLatin1String("\\u00");
                out += QLatin1Char(hex[u >> 4]);
                out += QLatin1Char(hex[u & 15]);
            } else {
                out += c;
            }
        }
    }
}

QString escape(const QString& s)
{
    QString out;
    out.reserve(s.size() + 8);
    appendEscaped(out, s);
    return out;
}

QString quote(const QString& s)
{
    QString out;
    out.reserve(s.size() + 10);
    out += QLatin1Char('"');
    appendEscaped(out, s);
    out += QLatin1Char('"');
    return out;
}

}
