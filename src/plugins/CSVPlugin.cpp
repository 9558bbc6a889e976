#include "plugins/CSVPlugin.h"

#include "plugins/CSV.h"
#include "plugins/HTML.h"

namespace CSVPlugin {

// ^-?[\d,]*\.?\d+%?$ in one pass: the regex backtracks quadratically on long digit runs.
bool isNumericCell(QStringView s)
{
    qsizetype a = 0, b = s.size();
    if (a < b && s[a] == QLatin1Char('-'))
        ++a;
    if (b > a && s[b - 1] == QLatin1Char('%'))
        --b;
    if (a >= b || !s[b - 1].isDigit())
        return false;
    qsizetype dot = -1;
    for (qsizetype k = a; k < b; ++k) {
        const QChar c = s[k];
        if (c == QLatin1Char('.')) {
            if (dot >= 0)
                return false;
            dot = k;
        } else if (c == QLatin1Char(',')) {
            if (dot >= 0)
                return false;
        } else if (!c.isDigit()) {
            return false;
        }
    }
    return true;
}

QString previewHTML(const QString& text)
{
    const QChar sep = CSV::detectSeparator(text);
    QList<QStringList> shown;
    qsizetype rowCount = 0;
    qsizetype cols = 0;
    CSV::forEachRow(text, sep, [&](QStringList& row) {
        cols = std::max(cols, row.size());
        if (rowCount <= previewRowLimit)
            shown << std::move(row);
        ++rowCount;
    });
    if (rowCount == 0)
        return HTML::caption({QStringLiteral("空表格")});

    const QString sepName = sep == QLatin1Char('\t') ? QStringLiteral("Tab") : QString(sep);
    QString out = HTML::caption({QStringLiteral("%1 行 · %2 列").arg(rowCount - 1).arg(cols), QStringLiteral("分隔符 ") + sepName,
                                 QStringLiteral("首行为表头")});
    out += QStringLiteral("<table class=\"tbl\"><tr><th class=\"idx\">#</th>");
    const QStringList& header = shown[0];
    for (qsizetype k = 0; k < cols; ++k) {
        out += QStringLiteral("<th>");
        if (k < header.size())
            HTML::appendEsc(out, header[k]);
        out += QStringLiteral("</th>");
    }
    out += QStringLiteral("</tr>");
    for (qsizetype r = 1; r < shown.size(); ++r) {
        const QStringList& row = shown[r];
        out += QStringLiteral("<tr><td class=\"idx\">") + QString::number(r) + QStringLiteral("</td>");
        for (qsizetype k = 0; k < cols; ++k) {
            const QString v = k < row.size() ? row[k] : QString();
            out += isNumericCell(v) ? QStringLiteral("<td class=\"r\">") : QStringLiteral("<td>");
            HTML::appendEsc(out, v);
            out += QStringLiteral("</td>");
        }
        out += QStringLiteral("</tr>");
    }
    out += QStringLiteral("</table>");
    if (rowCount - 1 > previewRowLimit)
        out += HTML::caption({QStringLiteral("仅显示前 %1 行").arg(previewRowLimit)});
    return out;
}

}
