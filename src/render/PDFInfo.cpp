#include "render/PDFInfo.h"

#include <QDir>
#include <QRegularExpression>
#include <QUrl>
#include <algorithm>
#include <string_view>
#include <vector>

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

// The string token at `at` ("(…)" with escapes, or "<hex>"): its value and
// the index just past it; nullopt when it is not a well-formed string.
std::optional<std::pair<QByteArray, qsizetype>> stringToken(const QByteArray& s, qsizetype at)
{
    if (at >= s.size())
        return std::nullopt;
    QByteArray value;
    if (s[at] == '<') {
        const qsizetype close = s.indexOf('>', at + 1);
        if (close < 0)
            return std::nullopt;
        return std::pair{QByteArray::fromHex(s.mid(at + 1, close - at - 1)), close + 1};
    }
    if (s[at] != '(')
        return std::nullopt;
    int parens = 1;
    for (qsizetype i = at + 1; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '\\' && i + 1 < s.size()) {
            const char e = s[++i];
            if (e >= '0' && e <= '7') {
                int code = e - '0';
                for (int n = 0; n < 2 && i + 1 < s.size() && s[i + 1] >= '0' && s[i + 1] <= '7'; ++n)
                    code = code * 8 + (s[++i] - '0');
                value += char(code);
            } else if (e == 'n') {
                value += '\n';
            } else if (e == 'r') {
                value += '\r';
            } else if (e == 't') {
                value += '\t';
            } else if (e == 'b') {
                value += '\b';
            } else if (e == 'f') {
                value += '\f';
            } else if (e != '\n' && e != '\r') {
                value += e;
            }
            continue;
        }
        if (c == '(')
            ++parens;
        else if (c == ')' && --parens == 0)
            return std::pair{value, i + 1};
        value += c;
    }
    return std::nullopt;
}

QByteArray literal(const QByteArray& value)
{
    QByteArray out("(");
    for (const char c : value) {
        if (c == '(' || c == ')' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + ')';
}

// A local target relative to `folder`, as a URL reference; empty without a folder.
QByteArray relativeTarget(const QUrl& url, const QString& folder)
{
    if (folder.isEmpty())
        return {};
    QString relative = QDir(QDir::cleanPath(folder)).relativeFilePath(QDir::cleanPath(url.toLocalFile()));
    // "a:b.md" would read as a scheme.
    if (relative.section(u'/', 0, 0).contains(u':'))
        relative.prepend(QStringLiteral("./"));
    QUrl reference;
    reference.setPath(relative);
    if (url.hasQuery())
        reference.setQuery(url.query(QUrl::FullyEncoded), QUrl::StrictMode);
    if (url.hasFragment())
        reference.setFragment(url.fragment(QUrl::FullyEncoded), QUrl::StrictMode);
    return reference.toEncoded();
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

QByteArray withRelativeLinks(const QByteArray& pdf, const QString& folder)
{
    QByteArray out = pdf;
    const auto oneOf = [](std::string_view set, char c) { return set.find(c) != std::string_view::npos; };
    // Compressed page content may hold the same bytes: stream bodies are skipped.
    std::vector<std::pair<qsizetype, qsizetype>> streams;
    for (qsizetype s = out.indexOf("stream"); s >= 0;) {
        const qsizetype next = s + 6;
        if (s >= 3 && out.mid(s - 3, 3) == "end") {
            s = out.indexOf("stream", next);
            continue;
        }
        const qsizetype end = out.indexOf("endstream", next);
        streams.emplace_back(next, end < 0 ? out.size() : end);
        s = end < 0 ? -1 : out.indexOf("stream", end + 9);
    }
    const auto inStream = [&streams](qsizetype at) {
        const auto it = std::upper_bound(streams.begin(), streams.end(), at,
                                         [](qsizetype v, const auto& range) { return v < range.first; });
        return it != streams.begin() && at < std::prev(it)->second;
    };
    static const QByteArray key("/URI");
    for (qsizetype at = out.indexOf(key); at >= 0; at = out.indexOf(key, at + key.size())) {
        qsizetype start = at + key.size();
        // "/URIs" or the like is another name.
        if (inStream(at) || (start < out.size() && !oneOf(" \t\r\n(<", out[start])))
            continue;
        while (start < out.size() && oneOf(" \t\r\n", out[start]))
            ++start;
        const auto token = stringToken(out, start);
        if (!token)
            continue;
        const QUrl url = QUrl::fromEncoded(token->first.trimmed(), QUrl::StrictMode);
        if (url.scheme().compare(u"file", Qt::CaseInsensitive) != 0)
            continue;
        QByteArray replacement = literal(relativeTarget(url, folder));
        const qsizetype room = token->second - start;
        if (replacement.size() > room)
            replacement = "()";
        out.replace(start, room, replacement + QByteArray(room - replacement.size(), ' '));
    }
    return out;
}

}
