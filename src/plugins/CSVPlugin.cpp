#include "plugins/CSVPlugin.h"

#include "plugins/AnalysisBudget.h"
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

namespace {

QString render(const QString& text, QChar sep)
{
    QList<QStringList> shown;
    const CSV::Shape shape = CSV::forEachRow(text, sep, [&](QStringList& row) {
        shown << std::move(row);
        return shown.size() <= previewRowLimit;
    });
    if (shape.rows == 0)
        return HTML::caption({QStringLiteral("空表格")});

    const QString sepName = sep == QLatin1Char('\t') ? QStringLiteral("Tab") : QString(sep);
    QString out = HTML::caption({QStringLiteral("%1 行 · %2 列").arg(shape.rows - 1).arg(shape.widest), QStringLiteral("分隔符 ") + sepName,
                                 QStringLiteral("首行为表头")});
    // Rows keep their own length: padding every row to the widest one made a
    // short file with one very wide row render hundreds of megabytes.
    out += QStringLiteral("<table class=\"tbl\"><tr><th class=\"idx\">#</th>");
    qsizetype cut = -1; // the row where the size budget ran out
    for (const QString& h : shown[0]) {
        if (out.size() > previewHTMLBudget) {
            cut = 0;
            break;
        }
        out += QStringLiteral("<th>");
        HTML::appendEsc(out, h);
        out += QStringLiteral("</th>");
    }
    out += QStringLiteral("</tr>");
    for (qsizetype r = 1; r < shown.size() && r <= previewRowLimit && cut < 0; ++r) {
        AnalysisBudget::poll();
        out += QStringLiteral("<tr><td class=\"idx\">") + QString::number(r) + QStringLiteral("</td>");
        for (const QString& v : shown[r]) {
            if (out.size() > previewHTMLBudget) {
                cut = r;
                break;
            }
            out += isNumericCell(v) ? QStringLiteral("<td class=\"r\">") : QStringLiteral("<td>");
            HTML::appendEsc(out, v);
            out += QStringLiteral("</td>");
        }
        out += QStringLiteral("</tr>");
    }
    out += QStringLiteral("</table>");
    if (cut >= 0)
        out += HTML::caption({QStringLiteral("表格过大，仅显示前 %1 行（共 %2 行 · %3 列）").arg(cut).arg(shape.rows - 1).arg(shape.widest)});
    else if (shape.rows - 1 > previewRowLimit)
        out += HTML::caption({QStringLiteral("仅显示前 %1 行").arg(previewRowLimit)});
    return out;
}

}

QString previewHTML(const QString& text) { return render(text, CSV::detectSeparator(text)); }

QString previewTSV(const QString& text) { return render(text, QLatin1Char('\t')); }

}
