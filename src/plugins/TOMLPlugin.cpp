#include "plugins/TOMLPlugin.h"

#include "plugins/Regex.h"

#include <QSet>

namespace TOMLPlugin {

namespace {

const QString keyValuePattern = QStringLiteral(
    "^((?:[A-Za-z0-9_\\-]+|\"[^\"]*\"|'[^']*')(?:\\s*\\.\\s*(?:[A-Za-z0-9_\\-]+|\"[^\"]*\"|'[^']*'))*)\\s*=\\s*(.*)$");
const QString literalPattern = QStringLiteral("^'[^']*'$");
const QString numberPattern = QStringLiteral(
    "^[-+]?(\\d[\\d_]*(\\.[\\d_]+)?([eE][-+]?\\d+)?|0x[0-9a-fA-F_]+|0o[0-7_]+|0b[01_]+|inf|nan)$");
const QString dateTimePattern = QStringLiteral(
    "^\\d{4}-\\d{2}-\\d{2}([Tt ]\\d{2}:\\d{2}(:\\d{2}(\\.\\d+)?)?(Z|[-+]\\d{2}:\\d{2})?)?$|^\\d{2}:\\d{2}:\\d{2}(\\.\\d+)?$");

QString trimSpacesTabs(const QString& s)
{
    qsizetype a = 0, b = s.size();
    while (a < b && (s[a] == QLatin1Char(' ') || s[a] == QLatin1Char('\t')))
        ++a;
    while (b > a && (s[b - 1] == QLatin1Char(' ') || s[b - 1] == QLatin1Char('\t')))
        --b;
    return s.mid(a, b - a);
}

struct Header {
    qsizetype open = 0, close = 0;
    QString name;
};

bool inNameSet(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u == '_' || u == '-' || u == '.'
        || u == '"' || u == '\'' || u == ' ';
}

// The table-header grammar  ^(\[\[?)\s*([A-Za-z0-9_\-."' ]+?)\s*(\]\]?)\s*(#.*)?$  matched in one pass;
// the lazy group followed by \s* backtracks quadratically on long runs of spaces.
std::optional<Header> matchHeader(const QString& t)
{
    const qsizetype n = t.size();
    if (n == 0 || t[0] != QLatin1Char('['))
        return std::nullopt;
    Header h;
    h.open = (n > 1 && t[1] == QLatin1Char('[')) ? 2 : 1;
    const qsizetype i = h.open;
    qsizetype j = i;
    while (j < n && (inNameSet(t[j]) || t[j].isSpace()))
        ++j;
    if (j == n || t[j] != QLatin1Char(']') || j == i)
        return std::nullopt;
    qsizetype a = i;
    while (a < j && t[a].isSpace())
        ++a;
    qsizetype b = j;
    while (b > a && t[b - 1].isSpace())
        --b;
    if (a == b) {
        // Only whitespace: the name is the last plain space of the run.
        qsizetype sp = j - 1;
        while (sp >= i && t[sp] != QLatin1Char(' '))
            --sp;
        if (sp < i)
            return std::nullopt;
        a = sp;
        b = sp + 1;
    }
    for (qsizetype k = a; k < b; ++k)
        if (!inNameSet(t[k]))
            return std::nullopt;
    h.name = t.mid(a, b - a);
    qsizetype c = j + 1;
    if (c < n && t[c] == QLatin1Char(']'))
        ++c;
    h.close = c - j;
    while (c < n && t[c].isSpace())
        ++c;
    if (c < n && t[c] != QLatin1Char('#'))
        return std::nullopt;
    return h;
}

// ^"([^"\\]|\\.)*"$ without the regex engine's per-character backtracking stack,
// which overflows on multi-megabyte strings.
bool isBasicString(const QString& s)
{
    const qsizetype n = s.size();
    if (n < 2 || s[0] != QLatin1Char('"'))
        return false;
    for (qsizetype k = 1; k < n; ++k) {
        const QChar c = s[k];
        if (c == QLatin1Char('\\')) {
            if (k + 1 >= n || s[k + 1] == QLatin1Char('\n') || s[k + 1] == QLatin1Char('\r'))
                return false;
            ++k;
        } else if (c == QLatin1Char('"')) {
            return k == n - 1;
        }
    }
    return false;
}

// Calls visit for every character outside quotes, up to a comment.
template <typename F>
qsizetype scanUnquoted(const QString& s, F visit)
{
    QChar quote;
    for (qsizetype k = 0; k < s.size(); ++k) {
        const QChar c = s[k];
        if (!quote.isNull()) {
            if (quote == QLatin1Char('"') && c == QLatin1Char('\\'))
                ++k;
            else if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == QLatin1Char('"') || c == QLatin1Char('\''))
            quote = c;
        else if (c == QLatin1Char('#'))
            return k;
        else
            visit(c);
    }
    return s.size();
}

}

QString stripComment(const QString& s)
{
    return s.left(scanUnquoted(s, [](QChar) {})).trimmed();
}

int bracketDepth(const QString& s)
{
    int d = 0;
    scanUnquoted(s, [&](QChar c) {
        if (c == QLatin1Char('[') || c == QLatin1Char('{'))
            ++d;
        else if (c == QLatin1Char(']') || c == QLatin1Char('}'))
            --d;
    });
    return d;
}

QList<Diagnostic> validate(const QString& text)
{
    QList<Diagnostic> out;
    if (text.isEmpty())
        return out;
    const QStringList lines = text.split(QLatin1Char('\n'));
    QSet<QString> tables;
    QSet<QString> keys;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int n = int(i + 1);
        const QString t = trimSpacesTabs(lines[i]);
        if (t.isEmpty() || t.startsWith(QLatin1Char('#')))
            continue;

        if (t.startsWith(QLatin1Char('['))) {
            const auto h = matchHeader(t);
            if (h && h->open == h->close) {
                keys.clear();
                if (h->open == 1) {
                    if (tables.contains(h->name))
                        out << Diagnostic{n, QStringLiteral("重复定义的表 [") + h->name + QLatin1Char(']')};
                    tables.insert(h->name);
                }
            } else {
                out << Diagnostic{n, QStringLiteral("表头格式错误，应为 [name] 或 [[name]]")};
            }
            continue;
        }

        const auto kv = Regex::firstMatch(t, keyValuePattern);
        if (!kv) {
            out << Diagnostic{n, QStringLiteral("应为 key = value 形式")};
            continue;
        }
        const QString key = kv->at(1);
        if (keys.contains(key))
            out << Diagnostic{n, QStringLiteral("重复的键 ") + key};
        keys.insert(key);

        const QString v = kv->at(2);
        if (v.isEmpty()) {
            out << Diagnostic{n, QStringLiteral("缺少值")};
            continue;
        }

        bool multiline = false;
        for (const QLatin1String delim : {QLatin1String("\"\"\""), QLatin1String("'''")}) {
            if (!v.startsWith(delim))
                continue;
            multiline = true;
            if (v.indexOf(delim, 3) >= 0)
                break;
            qsizetype end = i + 1;
            while (end < lines.size() && !lines[end].contains(delim))
                ++end;
            if (end < lines.size()) {
                i = end;
            } else {
                out << Diagnostic{n, QStringLiteral("多行字符串未闭合，缺少 ") + delim};
                i = lines.size();
            }
            break;
        }
        if (multiline)
            continue;

        if (v.startsWith(QLatin1Char('[')) || v.startsWith(QLatin1Char('{'))) {
            const bool array = v.startsWith(QLatin1Char('['));
            int d = bracketDepth(v);
            if (array)
                while (d > 0 && i + 1 < lines.size())
                    d += bracketDepth(lines[++i]);
            if (d != 0)
                out << Diagnostic{n, array ? QStringLiteral("数组未闭合，缺少 ]") : QStringLiteral("内联表未闭合，缺少 }")};
            continue;
        }

        const QString s = stripComment(v);
        if (s.startsWith(QLatin1Char('"'))) {
            if (!isBasicString(s))
                out << Diagnostic{n, QStringLiteral("字符串缺少结束引号")};
        } else if (s.startsWith(QLatin1Char('\''))) {
            if (!Regex::reMatches(s, literalPattern))
                out << Diagnostic{n, QStringLiteral("字符串缺少结束引号")};
        } else if (!(s == QLatin1String("true") || s == QLatin1String("false") || Regex::reMatches(s, numberPattern)
                     || Regex::reMatches(s, dateTimePattern))) {
            out << Diagnostic{n, QStringLiteral("无法识别的值 ") + s + QStringLiteral("，字符串需要加引号")};
        }
    }
    return out;
}

}
