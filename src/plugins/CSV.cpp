#include "plugins/CSV.h"

#include "plugins/AnalysisBudget.h"
#include "text/LineEnding.h"

namespace CSV {

namespace {

// The walks below run over UTF-16 (QChar) or UTF-8 (char) units alike: every
// character they look at is ASCII, which UTF-8 never uses inside a sequence.
inline char16_t unit(QChar c) { return c.unicode(); }
inline char16_t unit(char c) { return static_cast<unsigned char>(c); }

// A field being read: UTF-16 appended as it is, UTF-8 decoded when complete.
template <typename Ch> struct Field;

template <> struct Field<QChar> {
    QString text;
    void append(const QChar* p, qsizetype n) { text.append(p, n); }
    void appendQuote() { text += QLatin1Char('"'); }
    bool isEmpty() const { return text.isEmpty(); }
    QString take() { return std::exchange(text, QString()); }
};

template <> struct Field<char> {
    QByteArray bytes;
    void append(const char* p, qsizetype n) { bytes.append(p, n); }
    void appendQuote() { bytes += '"'; }
    bool isEmpty() const { return bytes.isEmpty(); }
    QString take()
    {
        // QString::fromUtf8 drops a leading byte order mark; in a field it is text.
        QString out = bytes.startsWith("\xEF\xBB\xBF")
            ? QChar(u'\xFEFF') + QString::fromUtf8(QByteArrayView(bytes).sliced(3))
            : QString::fromUtf8(bytes);
        bytes.clear();
        return out;
    }
};

template <typename Ch> QChar detect(const Ch* p, qsizetype n)
{
    static const char16_t candidates[] = {u',', u'\t', u';', u'|'};
    int counts[4] = {0, 0, 0, 0};
    bool quoted = false;
    for (qsizetype k = 0; k < n; ++k) {
        const char16_t c = unit(p[k]);
        if (c == u'\n')
            break;
        if (c == u'"') {
            quoted = !quoted;
            continue;
        }
        if (quoted)
            continue;
        for (int j = 0; j < 4; ++j)
            if (c == candidates[j])
                ++counts[j];
    }
    int best = 0;
    for (int j = 1; j < 4; ++j)
        if (counts[j] > counts[best])
            best = j;
    return QChar(candidates[best]);
}

// The length without the final line ends, which make no rows.
template <typename Ch> qsizetype trimmedLength(const Ch* p, qsizetype n)
{
    while (n > 0 && unit(p[n - 1]) == u'\n')
        --n;
    return n;
}

// Counts rows and fields, following the same rules as the walk below;
// `content` stands for a non-empty current field.
template <typename Ch> Shape count(const Ch* p, qsizetype n, char16_t separator)
{
    Shape shape;
    n = trimmedLength(p, n);
    qsizetype fields = 0;
    bool content = false, inQuotes = false;
    for (qsizetype k = 0; k < n; ++k) {
        const char16_t c = unit(p[k]);
        if (inQuotes) {
            if (c != u'"')
                content = true;
            else if (k + 1 < n && unit(p[k + 1]) == u'"')
                content = true, ++k;
            else
                inQuotes = false;
            continue;
        }
        if (c == u'"' && !content) {
            inQuotes = true;
        } else if (c == separator) {
            ++fields;
            content = false;
        } else if (c == u'\n') {
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
    return shape;
}

template <typename Ch>
void walk(const Ch* p, qsizetype n, char16_t separator, const std::function<bool(QStringList&, qsizetype)>& onRow)
{
    n = trimmedLength(p, n);
    QStringList row;
    Field<Ch> field;
    bool inQuotes = false;
    qsizetype k = 0;
    // The line being read, and the one the row being built started on.
    qsizetype line = 0, rowLine = 0;
    while (k < n) {
        if (inQuotes) {
            // Copy the run up to the next quote in one go.
            qsizetype q = k;
            while (q < n && unit(p[q]) != u'"')
                line += unit(p[q++]) == u'\n';
            field.append(p + k, q - k);
            if (q >= n) {
                k = n;
                break;
            }
            if (q + 1 < n && unit(p[q + 1]) == u'"') {
                field.appendQuote();
                k = q + 2;
            } else {
                inQuotes = false;
                k = q + 1;
            }
            continue;
        }
        const char16_t c = unit(p[k]);
        if (c == u'"' && field.isEmpty()) {
            inQuotes = true;
            ++k;
        } else if (c == separator) {
            row << field.take();
            ++k;
        } else if (c == u'\n') {
            AnalysisBudget::poll();
            row << field.take();
            ++k;
            const bool more = onRow(row, rowLine);
            rowLine = ++line;
            row.clear();
            if (!more)
                return;
        } else {
            qsizetype e = k + 1;
            while (e < n && unit(p[e]) != separator && unit(p[e]) != u'\n')
                ++e;
            field.append(p + k, e - k);
            k = e;
        }
    }
    if (!field.isEmpty() || !row.isEmpty()) {
        row << field.take();
        onRow(row, rowLine);
    }
}

// Bytes with line ends as the editor keeps them: only text that still has a
// CR is copied.
QByteArray normalized(QByteArrayView utf8)
{
    if (!utf8.contains('\r'))
        return QByteArray::fromRawData(utf8.data(), utf8.size());
    return LineEnding::normalize(utf8.toByteArray());
}

}

QChar detectSeparator(const QString& text) { return detect(text.constData(), text.size()); }

QChar detectSeparatorUtf8(QByteArrayView utf8) { return detect(utf8.data(), utf8.size()); }

Shape measure(const QString& input, QChar separator)
{
    const QString text = LineEnding::normalize(input);
    return count(text.constData(), text.size(), separator.unicode());
}

Shape measureUtf8(QByteArrayView input, QChar separator)
{
    const QByteArray text = normalized(input);
    return count(text.constData(), text.size(), separator.unicode());
}

void forEachRow(const QString& input, QChar separator, const std::function<bool(QStringList&)>& onRow)
{
    forEachRowAt(input, separator, [&onRow](QStringList& row, qsizetype) { return onRow(row); });
}

void forEachRowAt(const QString& input, QChar separator, const std::function<bool(QStringList&, qsizetype)>& onRow)
{
    const QString text = LineEnding::normalize(input);
    walk(text.constData(), text.size(), separator.unicode(), onRow);
}

void forEachRowAtUtf8(QByteArrayView input, QChar separator, const std::function<bool(QStringList&, qsizetype)>& onRow)
{
    const QByteArray text = normalized(input);
    walk(text.constData(), text.size(), separator.unicode(), onRow);
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
