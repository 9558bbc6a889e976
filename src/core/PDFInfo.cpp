#include "core/PDFInfo.h"

#include <QRegularExpression>

namespace PDFInfo {

namespace {

// A text string the way viewers read any script: UTF-16BE with its mark, in hex.
QByteArray textString(const QString& s)
{
    QByteArray utf16("\xFE\xFF", 2);
    for (const QChar c : s) {
        utf16 += char(c.unicode() >> 8);
        utf16 += char(c.unicode() & 0xFF);
    }
    return '<' + utf16.toHex().toUpper() + '>';
}

// The end of the dictionary opened at `open` ("<<"), past nested
// dictionaries and (strings) with their escapes; -1 when it does not close.
qsizetype dictEnd(const QByteArray& s, qsizetype open)
{
    int depth = 0;
    for (qsizetype i = open; i + 1 < s.size(); ++i) {
        const char c = s[i];
        if (c == '(') {
            int parens = 1;
            for (++i; i < s.size() && parens > 0; ++i) {
                if (s[i] == '\\')
                    ++i;
                else if (s[i] == '(')
                    ++parens;
                else if (s[i] == ')')
                    --parens;
            }
            --i;
        } else if (c == '<' && s[i + 1] == '<') {
            ++depth;
            ++i;
        } else if (c == '>' && s[i + 1] == '>') {
            ++i;
            if (--depth == 0)
                return i + 1;
        }
    }
    return -1;
}

}

std::optional<QByteArray> withTitle(const QByteArray& pdf, const QString& title)
{
    const qsizetype startxref = pdf.lastIndexOf("startxref");
    const qsizetype trailer = pdf.lastIndexOf("trailer", startxref);
    if (startxref < 0 || trailer < 0)
        return std::nullopt;
    bool ok = false;
    const qint64 previous = pdf.mid(startxref + 9, 24).trimmed().split('\n').value(0).trimmed().toLongLong(&ok);
    const qsizetype open = pdf.indexOf("<<", trailer);
    const qsizetype close = open < 0 ? -1 : dictEnd(pdf, open);
    if (!ok || close < 0 || close > startxref)
        return std::nullopt;
    const QString dict = QString::fromLatin1(pdf.mid(open, close - open));
    static const QRegularExpression sizeRe(QStringLiteral("/Size\\s+(\\d+)"));
    static const QRegularExpression rootRe(QStringLiteral("/Root\\s+(\\d+\\s+\\d+\\s+R)"));
    static const QRegularExpression infoRe(QStringLiteral("/Info\\s+(\\d+)\\s+(\\d+)\\s+R"));
    static const QRegularExpression idRe(QStringLiteral("/ID\\s*\\[[^\\]]*\\]"));
    const auto size = sizeRe.match(dict);
    const auto root = rootRe.match(dict);
    if (!size.hasMatch() || !root.hasMatch())
        return std::nullopt;
    qint64 count = size.captured(1).toLongLong();

    // The old information, kept apart from any title it had.
    qint64 number = count;
    int generation = 0;
    QByteArray kept;
    if (const auto info = infoRe.match(dict); info.hasMatch()) {
        number = info.captured(1).toLongLong();
        generation = info.captured(2).toInt();
        const QRegularExpression objRe(
            QStringLiteral("(?:^|[\\r\\n\\s])%1\\s+%2\\s+obj\\b").arg(number).arg(generation));
        const auto obj = objRe.match(QString::fromLatin1(pdf.left(trailer)));
        const qsizetype body = obj.hasMatch() ? pdf.indexOf("<<", obj.capturedEnd()) : -1;
        const qsizetype bodyEnd = body < 0 ? -1 : dictEnd(pdf, body);
        if (bodyEnd > 0) {
            kept = pdf.mid(body + 2, bodyEnd - body - 4);
            if (kept.contains("/Title"))
                kept.clear();
        }
    } else {
        ++count;
    }

    QByteArray out = pdf;
    if (!out.endsWith('\n'))
        out += '\n';
    const qsizetype at = out.size();
    out += QByteArray::number(number) + ' ' + QByteArray::number(generation) + " obj\n<</Title " + textString(title)
        + (kept.isEmpty() ? QByteArray() : '\n' + kept.trimmed()) + ">>\nendobj\n";
    const qsizetype xref = out.size();
    out += "xref\n" + QByteArray::number(number) + " 1\n" + QByteArray::number(at).rightJustified(10, '0') + ' '
        + QByteArray::number(generation).rightJustified(5, '0') + " n \n";
    out += "trailer\n<</Size " + QByteArray::number(std::max(count, number + 1)) + " /Root "
        + root.captured(1).toLatin1() + " /Info " + QByteArray::number(number) + ' ' + QByteArray::number(generation)
        + " R /Prev " + QByteArray::number(previous);
    if (const auto id = idRe.match(dict); id.hasMatch())
        out += ' ' + id.captured().toLatin1();
    out += ">>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    return out;
}

}
