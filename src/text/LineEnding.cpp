#include "text/LineEnding.h"

QString LineEnding::rawValue() const
{
    switch (v_) {
    case lf: return QStringLiteral("LF");
    case crlf: return QStringLiteral("CRLF");
    case cr: return QStringLiteral("CR");
    }
    return {};
}

std::optional<LineEnding> LineEnding::fromRawValue(const QString& label)
{
    for (LineEnding e : allCases())
        if (e.rawValue() == label)
            return e;
    return std::nullopt;
}

const QList<LineEnding>& LineEnding::allCases()
{
    static const QList<LineEnding> all{lf, crlf, cr};
    return all;
}

QString LineEnding::sequence() const
{
    switch (v_) {
    case lf: return QStringLiteral("\n");
    case crlf: return QStringLiteral("\r\n");
    case cr: return QStringLiteral("\r");
    }
    return {};
}

QString LineEnding::hint() const
{
    switch (v_) {
    case lf: return QStringLiteral("macOS / Linux");
    case crlf: return QStringLiteral("Windows");
    case cr: return QStringLiteral("经典 Mac");
    }
    return {};
}

LineEnding LineEnding::detect(const QString& text)
{
    const qsizetype first = text.indexOf(QLatin1Char('\r'));
    if (first < 0)
        return lf;
    if (text.indexOf(QLatin1String("\r\n"), first) >= 0)
        return crlf;
    return cr;
}

QString LineEnding::normalize(QString text)
{
    // A text handed over (moved in) is rewritten in place, without a copy.
    if (!text.contains(QLatin1Char('\r')))
        return text;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

LineEnding LineEnding::detect(QByteArrayView utf8)
{
    const qsizetype first = utf8.indexOf('\r');
    if (first < 0)
        return lf;
    if (utf8.sliced(first).indexOf(QByteArrayView("\r\n")) >= 0)
        return crlf;
    return cr;
}

QByteArray LineEnding::normalize(QByteArray utf8)
{
    qsizetype from = utf8.indexOf('\r');
    if (from < 0)
        return utf8;
    // Compacted in place: CRLF to LF, a lone CR to LF.
    char* p = utf8.data();
    const qsizetype n = utf8.size();
    qsizetype to = from;
    while (from < n) {
        const char c = p[from++];
        if (c == '\r') {
            p[to++] = '\n';
            if (from < n && p[from] == '\n')
                ++from;
        } else {
            p[to++] = c;
        }
    }
    utf8.truncate(to);
    return utf8;
}
