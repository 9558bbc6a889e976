#pragma once

#include <QString>
#include <QStringView>

// Leading and trailing spaces and tabs removed (line feeds and other blanks stay).
inline QStringView trimBlanks(QStringView s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && (s[b] == u' ' || s[b] == u'\t'))
        ++b;
    while (e > b && (s[e - 1] == u' ' || s[e - 1] == u'\t'))
        --e;
    return s.mid(b, e - b);
}

inline QString trimBlanks(const QString& s) { return trimBlanks(QStringView(s)).toString(); }
