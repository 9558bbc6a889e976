#include "plugins/TOMLPlugin.h"

#include "core/Blanks.h"
#include "plugins/AnalysisBudget.h"

#include <QSet>
#include <optional>

namespace TOMLPlugin {

namespace {

qsizetype digitsFrom(QStringView s, qsizetype k, bool underscores)
{
    while (k < s.size() && (s[k].isDigit() || (underscores && s[k] == QLatin1Char('_'))))
        ++k;
    return k;
}

// ^[-+]?(\d[\d_]*(\.[\d_]+)?([eE][-+]?\d+)?|0x[0-9a-fA-F_]+|0o[0-7_]+|0b[01_]+|inf|nan)$
bool isNumber(QStringView s)
{
    qsizetype k = 0;
    const qsizetype n = s.size();
    if (k < n && (s[k] == QLatin1Char('-') || s[k] == QLatin1Char('+')))
        ++k;
    const QStringView r = s.mid(k);
    if (r == QLatin1String("inf") || r == QLatin1String("nan"))
        return true;
    if (r.size() > 2 && r[0] == QLatin1Char('0')) {
        const char16_t kind = r[1].unicode();
        auto allOf = [&](auto ok) {
            for (qsizetype j = 2; j < r.size(); ++j)
                if (!ok(r[j].unicode()) && r[j] != QLatin1Char('_'))
                    return false;
            return true;
        };
        if (kind == 'x' && allOf([](char16_t u) { return (u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F'); }))
            return true;
        if (kind == 'o' && allOf([](char16_t u) { return u >= '0' && u <= '7'; }))
            return true;
        if (kind == 'b' && allOf([](char16_t u) { return u == '0' || u == '1'; }))
            return true;
    }
    if (k >= n || !s[k].isDigit())
        return false;
    k = digitsFrom(s, k + 1, true);
    if (k < n && s[k] == QLatin1Char('.')) {
        const qsizetype f = digitsFrom(s, k + 1, true);
        if (f == k + 1)
            return false;
        k = f;
    }
    if (k < n && (s[k] == QLatin1Char('e') || s[k] == QLatin1Char('E'))) {
        ++k;
        if (k < n && (s[k] == QLatin1Char('+') || s[k] == QLatin1Char('-')))
            ++k;
        const qsizetype e = digitsFrom(s, k, false);
        if (e == k)
            return false;
        k = e;
    }
    return k == n;
}

// Exactly `count` digits at k.
bool digitsAt(QStringView s, qsizetype k, int count)
{
    if (k + count > s.size())
        return false;
    for (int j = 0; j < count; ++j)
        if (!s[k + j].isDigit())
            return false;
    return true;
}

// HH:MM:SS(.fraction)? from k to the end
bool isTimeFrom(QStringView s, qsizetype k)
{
    if (!(digitsAt(s, k, 2) && k + 2 < s.size() && s[k + 2] == QLatin1Char(':') && digitsAt(s, k + 3, 2) && k + 5 < s.size()
          && s[k + 5] == QLatin1Char(':') && digitsAt(s, k + 6, 2)))
        return false;
    k += 8;
    if (k < s.size() && s[k] == QLatin1Char('.')) {
        const qsizetype f = digitsFrom(s, k + 1, false);
        if (f == k + 1)
            return false;
        k = f;
    }
    return k == s.size();
}

// ^\d{4}-\d{2}-\d{2}([Tt ]\d{2}:\d{2}(:\d{2}(\.\d+)?)?(Z|[-+]\d{2}:\d{2})?)?$|^\d{2}:\d{2}:\d{2}(\.\d+)?$
bool isDateTime(QStringView s)
{
    const qsizetype n = s.size();
    if (!(digitsAt(s, 0, 4) && n > 4 && s[4] == QLatin1Char('-') && digitsAt(s, 5, 2) && n > 7 && s[7] == QLatin1Char('-')
          && digitsAt(s, 8, 2)))
        return isTimeFrom(s, 0);
    qsizetype k = 10;
    if (k == n)
        return true;
    if (!(s[k] == QLatin1Char('T') || s[k] == QLatin1Char('t') || s[k] == QLatin1Char(' ')))
        return false;
    if (!(digitsAt(s, k + 1, 2) && k + 3 < n && s[k + 3] == QLatin1Char(':') && digitsAt(s, k + 4, 2)))
        return false;
    k += 6;
    if (k < n && s[k] == QLatin1Char(':') && digitsAt(s, k + 1, 2)) {
        k += 3;
        if (k < n && s[k] == QLatin1Char('.')) {
            const qsizetype f = digitsFrom(s, k + 1, false);
            if (f == k + 1)
                return false;
            k = f;
        }
    }
    if (k < n && s[k] == QLatin1Char('Z'))
        ++k;
    else if (k < n && (s[k] == QLatin1Char('+') || s[k] == QLatin1Char('-')) && digitsAt(s, k + 1, 2) && k + 3 < n
             && s[k + 3] == QLatin1Char(':') && digitsAt(s, k + 4, 2))
        k += 6;
    return k == n;
}

// ^'[^']*'$
bool isLiteralString(QStringView s)
{
    return s.size() >= 2 && s.front() == QLatin1Char('\'') && s.back() == QLatin1Char('\'')
        && s.mid(1, s.size() - 2).indexOf(QLatin1Char('\'')) < 0;
}

bool isBareKeyChar(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u == '_' || u == '-';
}

// A dotted key from t[k]: bare, "basic" or 'literal' parts joined by dots.
// With escapes a basic part may hold \" as TOML allows; without, a part ends
// at the next double quote. Returns the end of the key or -1.
qsizetype scanKey(QStringView t, qsizetype k, bool escapes)
{
    const qsizetype n = t.size();
    auto simple = [&]() -> bool {
        if (k >= n)
            return false;
        if (t[k] == QLatin1Char('"') || t[k] == QLatin1Char('\'')) {
            const QChar q = t[k++];
            while (k < n && t[k] != q)
                k += (escapes && q == QLatin1Char('"') && t[k] == QLatin1Char('\\') && k + 1 < n) ? 2 : 1;
            if (k >= n)
                return false;
            ++k;
            return true;
        }
        const qsizetype start = k;
        while (k < n && isBareKeyChar(t[k]))
            ++k;
        return k > start;
    };
    if (!simple())
        return -1;
    for (;;) {
        qsizetype j = k;
        while (j < n && t[j].isSpace())
            ++j;
        if (j >= n || t[j] != QLatin1Char('.'))
            return k;
        ++j;
        while (j < n && t[j].isSpace())
            ++j;
        k = j;
        if (!simple())
            return -1;
    }
}

struct KeyValue {
    QStringView key;
    QStringView value;
};

// ^(key)\s*=\s*(.*)$ — first with quoted parts as plain runs, then with escapes.
std::optional<KeyValue> matchKeyValue(QStringView t)
{
    for (const bool escapes : {false, true}) {
        const qsizetype end = scanKey(t, 0, escapes);
        if (end < 0)
            continue;
        qsizetype k = end;
        while (k < t.size() && t[k].isSpace())
            ++k;
        if (k >= t.size() || t[k] != QLatin1Char('='))
            continue;
        ++k;
        while (k < t.size() && t[k].isSpace())
            ++k;
        const QStringView value = t.mid(k);
        bool oneLine = true;
        for (QChar c : value) {
            const char16_t u = c.unicode();
            if (u == '\r' || u == '\n' || u == 0x85 || u == 0x2028 || u == 0x2029)
                oneLine = false;
        }
        if (oneLine)
            return KeyValue{t.left(end), value};
    }
    return std::nullopt;
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

std::optional<Header> matchHeaderNameSet(QStringView t);

// A header whose name is a TOML key: quoted parts may hold any character.
std::optional<Header> matchHeaderKey(QStringView t)
{
    const qsizetype n = t.size();
    Header h;
    h.open = (n > 1 && t[1] == QLatin1Char('[')) ? 2 : 1;
    qsizetype a = h.open;
    while (a < n && t[a].isSpace())
        ++a;
    const qsizetype end = scanKey(t, a, true);
    if (end < 0)
        return std::nullopt;
    h.name = t.mid(a, end - a).toString();
    qsizetype c = end;
    while (c < n && t[c].isSpace())
        ++c;
    const qsizetype close = c;
    while (c < n && c - close < 2 && t[c] == QLatin1Char(']'))
        ++c;
    h.close = c - close;
    if (h.close == 0)
        return std::nullopt;
    while (c < n && t[c].isSpace())
        ++c;
    if (c < n && t[c] != QLatin1Char('#'))
        return std::nullopt;
    return h;
}

std::optional<Header> matchHeader(QStringView t)
{
    if (t.isEmpty() || t[0] != QLatin1Char('['))
        return std::nullopt;
    const auto plain = matchHeaderNameSet(t);
    if (plain && plain->open == plain->close)
        return plain;
    const auto key = matchHeaderKey(t);
    if (key && key->open == key->close)
        return key;
    return plain ? plain : key;
}

// The table-header grammar  ^(\[\[?)\s*([A-Za-z0-9_\-."' ]+?)\s*(\]\]?)\s*(#.*)?$  matched in one pass;
// the lazy group followed by \s* backtracks quadratically on long runs of spaces.
std::optional<Header> matchHeaderNameSet(QStringView t)
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
    h.name = t.mid(a, b - a).toString();
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
bool isBasicString(QStringView s)
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
qsizetype scanUnquoted(QStringView s, F visit)
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

namespace {

QStringView stripCommentView(QStringView s) { return s.left(scanUnquoted(s, [](QChar) {})).trimmed(); }

// Keys of one table: a short list is searched directly, a long one hashed.
class Keys {
public:
    bool add(QStringView key)
    {
        if (few_.size() < 16 && set_.isEmpty()) {
            for (const QString& k : few_)
                if (k == key)
                    return false;
            few_.push_back(key.toString());
            return true;
        }
        if (set_.isEmpty())
            for (const QString& k : few_)
                set_.insert(k);
        const QString k = key.toString();
        if (set_.contains(k))
            return false;
        set_.insert(k);
        return true;
    }
    void clear()
    {
        few_.clear();
        set_.clear();
    }

private:
    std::vector<QString> few_;
    QSet<QString> set_;
};

}

QString stripComment(const QString& s) { return stripCommentView(s).toString(); }

namespace {
int depthOf(QStringView s)
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
}

int bracketDepth(const QString& s) { return depthOf(s); }

QList<Diagnostic> validate(const QString& text)
{
    QList<Diagnostic> out;
    if (text.isEmpty())
        return out;
    std::vector<QStringView> lines;
    for (qsizetype a = 0;;) {
        const qsizetype b = text.indexOf(QLatin1Char('\n'), a);
        lines.push_back(QStringView(text).mid(a, (b < 0 ? text.size() : b) - a));
        if (b < 0)
            break;
        a = b + 1;
    }
    QSet<QString> tables;
    Keys keys;
    const qsizetype count = qsizetype(lines.size());
    for (qsizetype i = 0; i < count; ++i) {
        AnalysisBudget::poll();
        const int n = int(i + 1);
        const QStringView t = trimBlanks(lines[i]);
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

        const auto kv = matchKeyValue(t);
        if (!kv) {
            out << Diagnostic{n, QStringLiteral("应为 key = value 形式")};
            continue;
        }
        const QStringView key = kv->key;
        if (!keys.add(key))
            out << Diagnostic{n, QStringLiteral("重复的键 ") + key.toString()};

        const QStringView v = kv->value;
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
            while (end < count && !lines[end].contains(delim)) {
                AnalysisBudget::poll();
                ++end;
            }
            if (end < count) {
                i = end;
            } else {
                out << Diagnostic{n, QStringLiteral("多行字符串未闭合，缺少 ") + delim};
                i = count;
            }
            break;
        }
        if (multiline)
            continue;

        if (v.startsWith(QLatin1Char('[')) || v.startsWith(QLatin1Char('{'))) {
            const bool array = v.startsWith(QLatin1Char('['));
            int d = depthOf(v);
            if (array)
                while (d > 0 && i + 1 < count) {
                    AnalysisBudget::poll();
                    d += depthOf(lines[++i]);
                }
            if (d != 0)
                out << Diagnostic{n, array ? QStringLiteral("数组未闭合，缺少 ]") : QStringLiteral("内联表未闭合，缺少 }")};
            continue;
        }

        const QStringView s = stripCommentView(v);
        if (s.startsWith(QLatin1Char('"'))) {
            if (!isBasicString(s))
                out << Diagnostic{n, QStringLiteral("字符串缺少结束引号")};
        } else if (s.startsWith(QLatin1Char('\''))) {
            if (!isLiteralString(s))
                out << Diagnostic{n, QStringLiteral("字符串缺少结束引号")};
        } else if (!(s == QLatin1String("true") || s == QLatin1String("false") || isNumber(s) || isDateTime(s))) {
            out << Diagnostic{n, QStringLiteral("无法识别的值 ") + s.toString() + QStringLiteral("，字符串需要加引号")};
        }
    }
    return out;
}

}
