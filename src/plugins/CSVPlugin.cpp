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

using RowWalk = std::function<void(const std::function<bool(QStringList&, qsizetype)>&)>;

// `size` is the text's length, `walk` hands its rows over as CSV::forEachRowAt does.
QString render(const CSV::Shape& shape, qsizetype size, QChar sep, const RowWalk& walk)
{
    if (shape.rows == 0)
        return HTML::caption({QStringLiteral("空表格")});

    const QString sepName = sep == QLatin1Char('\t') ? QStringLiteral("Tab") : QString(sep);
    QString out = HTML::caption({QStringLiteral("%1 行 · %2 列").arg(shape.rows - 1).arg(shape.widest),
                                 QStringLiteral("分隔符 ") + sepName, QStringLiteral("首行为表头")});
    out.reserve(std::min(size * 3, previewHTMLBudget) + 4096);
    // Rows are rendered as they are parsed and keep their own length: padding
    // every row to the widest made one very wide row cost hundreds of megabytes.
    out += QStringLiteral("<table class=\"tbl\">");
    qsizetype r = 0;
    qsizetype cut = -1;  // the row where the size budget ran out
    walk([&](QStringList& row, qsizetype line) {
        AnalysisBudget::poll();
        // Each row says which source line it starts on, for the preview to follow the editor.
        out += QStringLiteral("<tr data-line=\"") + QString::number(line) + QStringLiteral("\">");
        if (r > 0)
            out += QStringLiteral("<td class=\"idx\">") + QString::number(r) + QStringLiteral("</td>");
        else
            out += QStringLiteral("<th class=\"idx\">#</th>");
        for (const QString& v : row) {
            if (out.size() > previewHTMLBudget) {
                cut = r;
                break;
            }
            if (r == 0)
                out += QStringLiteral("<th>");
            else
                out += isNumericCell(v) ? QStringLiteral("<td class=\"r\">") : QStringLiteral("<td>");
            HTML::appendEsc(out, v);
            out += r == 0 ? QStringLiteral("</th>") : QStringLiteral("</td>");
        }
        out += QStringLiteral("</tr>");
        ++r;
        return cut < 0 && r <= previewRowLimit;
    });
    out += QStringLiteral("</table>");
    if (cut >= 0)
        out += HTML::caption({QStringLiteral("表格过大，仅显示前 %1 行（共 %2 行 · %3 列）")
                                  .arg(cut)
                                  .arg(shape.rows - 1)
                                  .arg(shape.widest)});
    else if (shape.rows - 1 > previewRowLimit)
        out += HTML::caption({QStringLiteral("仅显示前 %1 行").arg(previewRowLimit)});
    return out;
}

QString renderText(const QString& text, QChar sep)
{
    return render(CSV::measure(text, sep), text.size(), sep,
                  [&](const auto& row) { CSV::forEachRowAt(text, sep, row); });
}

QString renderUtf8(QByteArrayView utf8, QChar sep)
{
    return render(CSV::measureUtf8(utf8, sep), utf8.size(), sep,
                  [&](const auto& row) { CSV::forEachRowAtUtf8(utf8, sep, row); });
}

}

QString previewHTML(const QString& text) { return renderText(text, CSV::detectSeparator(text)); }

QString previewTSV(const QString& text) { return renderText(text, QLatin1Char('\t')); }

QString previewHTMLUtf8(QByteArrayView utf8) { return renderUtf8(utf8, CSV::detectSeparatorUtf8(utf8)); }

QString previewTSVUtf8(QByteArrayView utf8) { return renderUtf8(utf8, QLatin1Char('\t')); }

}
