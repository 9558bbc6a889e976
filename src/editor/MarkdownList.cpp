#include "editor/MarkdownList.h"

namespace {

bool blank(QChar c) { return c == u' ' || c == u'\t'; }

qsizetype skipBlanks(QStringView s, qsizetype i)
{
    while (i < s.size() && blank(s[i]))
        ++i;
    return i;
}

// "* * *" and "- - -" are rules, not items.
bool isRule(QStringView line, QChar bullet)
{
    int marks = 0;
    for (QChar c : line) {
        if (c == bullet)
            ++marks;
        else if (!blank(c))
            return false;
    }
    return marks >= 3;
}

}

std::optional<MarkdownListLine> MarkdownListLine::parse(QStringView line)
{
    MarkdownListLine m;
    qsizetype i = skipBlanks(line, 0);
    m.indent = line.left(i).toString();
    const qsizetype quoteStart = i;
    while (i < line.size() && line[i] == u'>')
        i = skipBlanks(line, i + 1);
    m.quote = line.sliced(quoteStart, i - quoteStart).toString();
    qsizetype end = i;
    if (i < line.size() && (line[i] == u'-' || line[i] == u'*' || line[i] == u'+')) {
        if (!isRule(line.sliced(i), line[i]))
            m.bullet = line[i];
        end = i + 1;
    } else {
        qsizetype d = i;
        while (d < line.size() && d - i < 9 && line[d].isDigit() && line[d].unicode() < 128)
            ++d;
        if (d > i && d < line.size() && (line[d] == u'.' || line[d] == u')')) {
            m.number = line.sliced(i, d - i).toInt();
            m.delimiter = line[d];
            end = d + 1;
        }
    }
    // A marker is one only when blanks or the line's end follow it.
    if (m.isItem() && end < line.size() && !blank(line[end])) {
        m.bullet.clear();
        m.number = -1;
    }
    if (!m.isItem()) {
        if (m.quote.isEmpty())
            return std::nullopt;
        m.contentStart = i;
        return m;
    }
    i = skipBlanks(line, end);
    m.gap = line.sliced(end, i - end).toString();
    if (m.gap.isEmpty())
        m.gap = QStringLiteral(" ");
    const QStringView rest = line.sliced(i);
    if (rest.size() >= 3 && rest[0] == u'[' && rest[2] == u']' && (rest[1] == u' ' || rest[1].toLower() == u'x')
        && (rest.size() == 3 || blank(rest[3]))) {
        m.task = true;
        i = skipBlanks(line, i + 3);
    }
    m.contentStart = i;
    return m;
}

qsizetype MarkdownListLine::markerWidth() const
{
    const qsizetype marker = isNumbered() ? QString::number(number).size() + 1 : bullet.size();
    return marker + gap.size();
}

QString MarkdownListLine::next() const
{
    QString s = indent + quote;
    if (!isItem())
        return s;
    s += isNumbered() ? QString::number(number + 1) + delimiter : bullet;
    return s + gap + (task ? QStringLiteral("[ ] ") : QString());
}
