#include "plugins/CSV.h"

#include "plugins/AnalysisBudget.h"
#include "text/LineEnding.h"

namespace CSV {

QChar detectSeparator(const QString& text)
{
    static const char16_t candidates[] = {u',', u'\t', u';', u'|'};
    int counts[4] = {0, 0, 0, 0};
    bool quoted = false;
    for (QChar c : text) {
        if (c == QLatin1Char('\n'))
            break;
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
            continue;
        }
        if (quoted)
            continue;
        for (int k = 0; k < 4; ++k)
            if (c.unicode() == candidates[k])
                ++counts[k];
    }
    int best = 0;
    for (int k = 1; k < 4; ++k)
        if (counts[k] > counts[best])
            best = k;
    return QChar(candidates[best]);
}

namespace {

// Counts rows and fields from k on, following the same rules as the walk below;
// `content` stands for a non-empty current field.
void countFrom(const QChar* p, qsizetype k, qsizetype n, QChar separator, Shape& shape)
{
    qsizetype fields = 0;
    bool content = false, inQuotes = false;
    for (; k < n; ++k) {
        const QChar c = p[k];
        if (inQuotes) {
            if (c != QLatin1Char('"'))
                content = true;
            else if (k + 1 < n && p[k + 1] == QLatin1Char('"'))
                content = true, ++k;
            else
                inQuotes = false;
            continue;
        }
        if (c == QLatin1Char('"') && !content) {
            inQuotes = true;
        } else if (c == separator) {
            ++fields;
            content = false;
        } else if (c == QLatin1Char('\n')) {
            AnalysisBudget::poll();
            shape.widest = std::max(shape.widest, fields + 1);
            ++shape.rows;
            fields = 0;
            content = false;
        } else {
            content = true;
        }
    }
    if (content || fields > 0) {
        shape.widest = std::max(shape.widest, fields + 1);
        ++shape.rows;
    }
}

}

Shape measure(const QString& input, QChar separator)
{
    const QString text = LineEnding::normalize(input);
    qsizetype n = text.size();
    while (n > 0 && text[n - 1] == QLatin1Char('\n'))
        --n;
    Shape shape;
    countFrom(text.constData(), 0, n, separator, shape);
    return shape;
}

void forEachRow(const QString& input, QChar separator, const std::function<bool(QStringList&)>& onRow)
{
    forEachRowAt(input, separator, [&onRow](QStringList& row, qsizetype) { return onRow(row); });
}

void forEachRowAt(const QString& input, QChar separator, const std::function<bool(QStringList&, qsizetype)>& onRow)
{
    QString text = LineEnding::normalize(input);
    qsizetype n = text.size();
    while (n > 0 && text[n - 1] == QLatin1Char('\n'))
        --n;
    const QChar* p = text.constData();
    QStringList row;
    QString field;
    bool inQuotes = false;
    qsizetype k = 0;
    // The line being read, and the one the row being built started on.
    qsizetype line = 0, rowLine = 0;
    while (k < n) {
        if (inQuotes) {
            // Copy the run up to the next quote in one go.
            qsizetype q = k;
            while (q < n && p[q] != QLatin1Char('"'))
                line += p[q++] == QLatin1Char('\n');
            field.append(p + k, q - k);
            if (q >= n) {
                k = n;
                break;
            }
            if (q + 1 < n && p[q + 1] == QLatin1Char('"')) {
                field += QLatin1Char('"');
                k = q + 2;
            } else {
                inQuotes = false;
                k = q + 1;
            }
            continue;
        }
        const QChar c = p[k];
        if (c == QLatin1Char('"') && field.isEmpty()) {
            inQuotes = true;
            ++k;
        } else if (c == separator) {
            row << field;
            field.clear();
            ++k;
        } else if (c == QLatin1Char('\n')) {
            AnalysisBudget::poll();
            row << field;
            field.clear();
            ++k;
            const bool more = onRow(row, rowLine);
            rowLine = ++line;
            row.clear();
            if (!more)
                return;
        } else {
            qsizetype e = k + 1;
            while (e < n && p[e] != separator && p[e] != QLatin1Char('\n'))
                ++e;
            field.append(p + k, e - k);
            k = e;
        }
    }
    if (!field.isEmpty() || !row.isEmpty()) {
        row << field;
        onRow(row, rowLine);
    }
}

QList<QStringList> parse(const QString& text, QChar separator)
{
    QList<QStringList> rows;
    forEachRow(text, separator, [&](QStringList& row) {
        rows << std::move(row);
        return true;
    });
    return rows;
}

}
