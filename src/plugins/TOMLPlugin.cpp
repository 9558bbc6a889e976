#include "plugins/TOMLPlugin.h"

#include "plugins/AnalysisBudget.h"
#include "plugins/TOMLScalars.h"

#include <QHash>
#include <QVarLengthArray>
#include <algorithm>
#include <deque>
#include <vector>

namespace TOMLPlugin {

using detail::checkBareValue;
using detail::isValueChar;

namespace {

constexpr int maxDepth = 512;

// A problem inside one statement; checking goes on after it.
struct Fail {
    int line = 0;
    QString message;
    qsizetype resume = -1;  // where checking goes on instead of after this line
    int resumeLine = 0;
};

// What a key holds, with the facts the redefinition rules need.
struct Node {
    enum Kind : quint8 { table, array, tables, value };
    Kind kind = table;
    bool defined = false;  // named by a [header] or [[header]]
    bool frozen = false;   // an inline table or an array value: closed for good
    int dotted = -1;       // the section whose dotted keys made or extended it
    int last = -1;         // an array of tables: its current element
    // Its keys: a list while short, hashed by the parser beyond that.
    int first = -1;
    int next = -1;
    int count = 0;
    QStringView name = {};
};

// Tables with more keys than this are looked up through a hash.
constexpr int shortTable = 16;

// A key's name inside its table; names are views into the text or into decoded quoted keys.
struct Slot {
    int parent;
    QStringView name;
    bool operator==(const Slot& o) const { return parent == o.parent && name == o.name; }
};
size_t qHash(const Slot& s, size_t seed = 0) { return qHashMulti(seed, s.parent, s.name); }

struct Key {
    QVarLengthArray<QStringView, 4> parts;
    QStringView text;  // as written
};

bool isBareKeyChar(char16_t u)
{
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u == '_' || u == '-';
}

bool isControl(char16_t c) { return (c < 0x20 && c != '\t') || c == 0x7f; }

QString hex(char16_t c) { return QStringLiteral("U+%1").arg(int(c), 4, 16, QLatin1Char('0')).toUpper(); }

class Parser {
public:
    explicit Parser(const QString& text) : src(text), s(reinterpret_cast<const char16_t*>(text.utf16())), n(text.size())
    {
    }

    QList<Diagnostic> run()
    {
        while (p < n) {
            AnalysisBudget::poll();
            blanks();
            if (p >= n)
                break;
            if (s[p] == '\n' || (s[p] == '\r' && at(p + 1) == '\n')) {
                newline();
                continue;
            }
            arrays = 0;
            depth = 0;
            try {
                if (s[p] == '#')
                    comment();
                else if (s[p] == '[')
                    header();
                else
                    keyValue();
            } catch (const Fail& f) {
                out << Diagnostic{f.line, f.message};
                recover(f);
            }
        }
        std::stable_sort(out.begin(), out.end(),
                         [](const Diagnostic& a, const Diagnostic& b) { return a.line < b.line; });
        return out;
    }

private:
    QStringView src;
    const char16_t* s;
    qsizetype n;
    qsizetype p = 0;
    int line = 1;
    qsizetype lineStart = 0;
    int arrays = 0;  // arrays open at the current position
    int depth = 0;
    int section = 0;
    int current = 0;
    std::vector<Node> nodes{Node{Node::table, true}};
    QHash<Slot, int> children;    // keys of the long tables
    std::deque<QString> decoded;  // quoted key names, which the node names point into
    QList<Diagnostic> out;
    int problemLine = 0;  // where a string's first problem is

    char16_t at(qsizetype k) const { return k < n ? s[k] : 0; }
    bool endOfLine() const { return p >= n || s[p] == '\n' || (s[p] == '\r' && at(p + 1) == '\n'); }
    void blanks()
    {
        while (p < n && (s[p] == ' ' || s[p] == '\t'))
            ++p;
    }
    void newline()
    {
        p += s[p] == '\r' ? 2 : 1;
        ++line;
        lineStart = p;
    }
    [[noreturn]] void fail(const QString& message, int at = 0) const { throw Fail{at ? at : line, message}; }

    // The rest of the line from k, shortened, for messages.
    QString rest(qsizetype k) const
    {
        qsizetype e = k;
        while (e < n && s[e] != '\n' && s[e] != '\r' && e - k < 40)
            ++e;
        return src.mid(k, e - k).trimmed().toString();
    }

    void comment()
    {
        for (++p; p < n && s[p] != '\n'; ++p) {
            if (s[p] == '\r' && at(p + 1) == '\n')
                break;
            if (isControl(s[p]))
                fail(QStringLiteral("注释中不能有控制字符 ") + hex(s[p]));
        }
    }

    // After a statement: blanks, a comment, then the line's end.
    void endStatement(bool afterHeader)
    {
        blanks();
        if (p < n && s[p] == '#')
            comment();
        if (p < n && s[p] == '\r' && at(p + 1) != '\n')
            fail(QStringLiteral("回车符（CR）后面缺少换行符"));
        if (!endOfLine())
            fail(afterHeader ? QStringLiteral("表头格式错误，应为 [name] 或 [[name]]")
                             : QStringLiteral("值后面有多余的内容 ") + rest(p));
    }

    // Blanks, comments and line breaks between the parts of an array.
    void gaps()
    {
        for (;;) {
            blanks();
            if (p < n && s[p] == '#')
                comment();
            if (p < n && (s[p] == '\n' || (s[p] == '\r' && at(p + 1) == '\n')))
                newline();
            else
                return;
        }
    }

    void recover(const Fail& f)
    {
        if (f.resume >= 0) {
            p = lineStart = f.resume;
            line = f.resumeLine;
            return;
        }
        // Inside a multi-line array: skip to where its brackets close.
        int open = arrays;
        while (p < n && (open > 0 || s[p] != '\n')) {
            const char16_t c = s[p];
            if (c == '\n') {
                newline();
                continue;
            }
            if (c == '#') {
                while (p < n && s[p] != '\n')
                    ++p;
                continue;
            }
            if (c == '"' || c == '\'') {
                skipQuoted(c);
                continue;
            }
            if (c == '[')
                ++open;
            else if (c == ']')
                --open;
            ++p;
        }
    }

    // Past a string while recovering: one line, or up to the closing triple quote.
    void skipQuoted(char16_t q)
    {
        if (at(p + 1) == q && at(p + 2) == q) {
            p += 3;
            while (p < n && !(s[p] == q && at(p + 1) == q && at(p + 2) == q)) {
                if (s[p] == '\n')
                    newline();
                else
                    p += (q == '"' && s[p] == '\\') ? 2 : 1;
            }
            p = std::min(n, p + 3);
            return;
        }
        for (++p; p < n && s[p] != '\n'; ++p) {
            if (q == '"' && s[p] == '\\')
                ++p;
            else if (s[p] == q) {
                ++p;
                return;
            }
        }
    }

    // ---------------------------------------------------------------- keys

    // A dotted key; false when there is none here.
    bool key(Key& k)
    {
        const qsizetype start = p;
        for (;;) {
            if (p < n && s[p] == '"') {
                if (at(p + 1) == '"' && at(p + 2) == '"')
                    return false;  // a multi-line string is no key
                const qsizetype a = p + 1;
                QString name = basicString(true);
                if (name == src.mid(a, p - 1 - a)) {
                    k.parts.push_back(src.mid(a, p - 1 - a));
                } else {
                    decoded.push_back(std::move(name));
                    k.parts.push_back(decoded.back());
                }
            } else if (p < n && s[p] == '\'') {
                if (at(p + 1) == '\'' && at(p + 2) == '\'')
                    return false;
                const qsizetype a = p + 1;
                literalString(false);
                k.parts.push_back(src.mid(a, p - 1 - a));
            } else {
                const qsizetype a = p;
                while (p < n && isBareKeyChar(s[p]))
                    ++p;
                if (p == a)
                    return false;
                k.parts.push_back(src.mid(a, p - a));
            }
            const qsizetype end = p;
            blanks();
            if (p < n && s[p] == '.') {
                ++p;
                blanks();
                continue;
            }
            k.text = src.mid(start, end - start);
            return true;
        }
    }

    int child(int parent, QStringView name) const
    {
        if (nodes[parent].count > shortTable)
            return children.value(Slot{parent, name}, -1);
        for (int c = nodes[parent].first; c >= 0; c = nodes[c].next)
            if (nodes[c].name == name)
                return c;
        return -1;
    }
    int add(Node node)
    {
        nodes.push_back(node);
        return int(nodes.size() - 1);
    }
    void attach(int parent, QStringView name, int id)
    {
        Node& c = nodes[id];
        c.name = name;
        c.next = nodes[parent].first;
        nodes[parent].first = id;
        const int count = ++nodes[parent].count;
        if (count == shortTable + 1) {
            for (int k = id; k >= 0; k = nodes[k].next)
                children.insert(Slot{parent, nodes[k].name}, k);
        } else if (count > shortTable + 1) {
            children.insert(Slot{parent, name}, id);
        }
    }
    int add(int parent, QStringView name, Node node)
    {
        const int id = add(node);
        attach(parent, name, id);
        return id;
    }
    // The key on the way to a dotted key's last part: made as an empty table when new.
    int pathTable(int parent, QStringView name)
    {
        const int c = child(parent, name);
        return c >= 0 ? c : add(parent, name, Node{});
    }

    // ---------------------------------------------------------------- statements

    void header()
    {
        const QString malformed = QStringLiteral("表头格式错误，应为 [name] 或 [[name]]");
        const bool twice = at(p + 1) == '[';
        p += twice ? 2 : 1;
        blanks();
        Key k;
        bool ok = false;
        try {
            ok = key(k);
        } catch (const Fail&) {
            ok = false;
        }
        if (ok && p < n && s[p] == ']' && (!twice || at(p + 1) == ']'))
            p += twice ? 2 : 1;
        else
            ok = false;
        // Later keys go to a table of their own, so that they are not mistaken for the previous one's.
        ++section;
        current = add(Node{Node::table, true});
        if (!ok) {
            fail(malformed);
        }
        endStatement(true);
        const auto name = [&k] { return k.text.toString(); };
        int parent = 0;
        for (qsizetype i = 0; i + 1 < k.parts.size(); ++i) {
            int c = pathTable(parent, k.parts[i]);
            const Node& nd = nodes[c];
            if (nd.frozen || nd.kind == Node::value || nd.kind == Node::array)
                fail(QStringLiteral("键 %1 已有值，不能再作为表 [%2]").arg(k.parts[i].toString(), name()));
            if (nd.kind == Node::tables)
                c = nd.last;
            parent = c;
        }
        const int c = child(parent, k.parts.back());
        if (!twice) {
            if (c < 0) {
                current = add(parent, k.parts.back(), Node{Node::table, true});
                return;
            }
            Node& nd = nodes[c];
            if (nd.kind == Node::table && !nd.frozen && !nd.defined && nd.dotted < 0) {
                nd.defined = true;
                current = c;
                return;
            }
            if (nd.kind == Node::value || nd.kind == Node::array || nd.frozen)
                fail(QStringLiteral("键 %1 已有值，不能再定义为表").arg(name()));
            fail(QStringLiteral("重复定义的表 [") + name() + QLatin1Char(']'));
        }
        int list = c;
        if (list < 0)
            list = add(parent, k.parts.back(), Node{Node::tables, true});
        else if (nodes[list].kind != Node::tables)
            fail(QStringLiteral("键 %1 已有定义，不能再定义为表数组 [[%1]]").arg(name()));
        current = add(Node{Node::table, true});
        nodes[list].last = current;
    }

    void keyValue()
    {
        if (s[p] == '\r')
            fail(QStringLiteral("回车符（CR）后面缺少换行符"));
        Key k;
        bool ok = false;
        try {
            ok = key(k);
        } catch (const Fail& f) {
            if (f.message != QStringLiteral("字符串缺少结束引号"))
                throw;
        }
        if (!ok || p >= n || s[p] != '=')
            fail(QStringLiteral("应为 key = value 形式"));
        ++p;
        blanks();
        assign(current, k, true);
        endStatement(false);
    }

    // key = value into `table`: the rules of a table section, or of an inline table.
    void assign(int table, const Key& k, bool section_)
    {
        int parent = table;
        for (qsizetype i = 0; i + 1 < k.parts.size(); ++i) {
            const int c = pathTable(parent, k.parts[i]);
            const Node& nd = nodes[c];
            if (nd.kind != Node::table || nd.frozen)
                fail(QStringLiteral("键 %1 已有值，不能再添加子键").arg(k.text.toString()));
            if (section_ && nd.defined)
                fail(QStringLiteral("表已在别处定义，不能再用点分键 %1 扩展").arg(k.text.toString()));
            if (section_)
                nodes[c].dotted = section;
            parent = c;
        }
        const bool taken = child(parent, k.parts.back()) >= 0;
        if (taken)
            out << Diagnostic{line, QStringLiteral("重复的键 ") + k.text.toString()};
        const int v = value();
        if (!taken)
            attach(parent, k.parts.back(), v);
    }

    // ---------------------------------------------------------------- values

    struct Depth {
        Parser& p;
        explicit Depth(Parser& parser) : p(parser)
        {
            if (++p.depth > maxDepth)
                p.fail(QStringLiteral("嵌套层级过深（最多 %1 层）").arg(maxDepth));
        }
        ~Depth() { --p.depth; }
    };

    // The node of the value at p, made when `keep` or when the value holds keys.
    int value(bool keep = true)
    {
        if (endOfLine() || s[p] == '#')
            fail(QStringLiteral("缺少值"));
        const char16_t c = s[p];
        if (c == '"' || c == '\'') {
            if (at(p + 1) == c && at(p + 2) == c)
                multiLineString(c);
            else if (c == '"')
                basicString(false);
            else
                literalString(false);
            return keep ? add(Node{Node::value}) : -1;
        }
        if (c == '[') {
            array();
            return keep ? add(Node{Node::array, false, true}) : -1;
        }
        if (c == '{')
            return inlineTable();
        const qsizetype a = p;
        while (p < n && isValueChar(s[p]))
            ++p;
        // A date, a space and a time are one value.
        if (p - a == 10 && at(a + 4) == '-' && at(p) == ' ' && at(p + 1) >= '0' && at(p + 1) <= '9' && at(p + 2) >= '0'
            && at(p + 2) <= '9' && at(p + 3) == ':') {
            ++p;
            while (p < n && isValueChar(s[p]))
                ++p;
        }
        if (p == a) {
            qsizetype e = p;
            while (e < n && s[e] != ' ' && s[e] != '\t' && s[e] != '\n' && s[e] != '\r' && s[e] != ',' && e - p < 40)
                ++e;
            fail(QStringLiteral("无法识别的值 ") + src.mid(p, std::max<qsizetype>(1, e - p)).toString()
                 + QStringLiteral("，字符串需要加引号"));
        }
        const QString problem = checkBareValue(src.mid(a, p - a));
        if (!problem.isEmpty())
            fail(problem);
        return keep ? add(Node{Node::value}) : -1;
    }

    // Whether the line from k reads as a statement: "key =" or "[name]".
    bool looksLikeStatement(qsizetype k) const
    {
        while (k < n && (s[k] == ' ' || s[k] == '\t'))
            ++k;
        if (at(k) == '[') {
            k += at(k + 1) == '[' ? 2 : 1;
            while (k < n && (isBareKeyChar(s[k]) || s[k] == '.' || s[k] == ' ' || s[k] == '"' || s[k] == '\''))
                ++k;
            return at(k) == ']';
        }
        while (k < n
               && (isBareKeyChar(s[k]) || s[k] == '.' || s[k] == ' ' || s[k] == '\t' || s[k] == '"' || s[k] == '\''))
            ++k;
        return at(k) == '=';
    }

    void array()
    {
        const int open = line;
        const QString unclosed = QStringLiteral("数组未闭合，缺少 ]");
        Depth guard(*this);
        ++p;
        ++arrays;
        int lastLine = line;
        for (;;) {
            AnalysisBudget::poll();
            gaps();
            if (p >= n)
                fail(unclosed, open);
            if (s[p] == ']')
                break;
            if (s[p] == ',')
                fail(QStringLiteral("数组中多余的逗号"));
            const bool fresh = line != lastLine;
            const qsizetype from = lineStart;
            const int fromLine = line;
            try {
                value(false);
            } catch (Fail& f) {
                if (f.resume < 0 && fresh && looksLikeStatement(from))
                    f = Fail{open, unclosed, from, fromLine};
                else if (f.resume >= 0)
                    f.line = open;
                throw;
            }
            lastLine = line;
            gaps();
            if (p >= n)
                fail(unclosed, open);
            if (s[p] == ',') {
                ++p;
                lastLine = line;
                continue;
            }
            if (s[p] == ']')
                break;
            if (line != lastLine && looksLikeStatement(lineStart))
                throw Fail{open, unclosed, lineStart, line};
            fail(QStringLiteral("数组元素之间缺少逗号"));
        }
        ++p;
        --arrays;
    }

    int inlineTable()
    {
        const int open = line;
        const QString unclosed = QStringLiteral("内联表未闭合，缺少 }");
        Depth guard(*this);
        ++p;
        const int table = add(Node{});
        blanks();
        if (p < n && s[p] == '}') {
            ++p;
            nodes[table].frozen = true;
            return table;
        }
        for (;;) {
            blanks();
            if (endOfLine() || s[p] == '#')
                fail(unclosed, open);
            Key k;
            if (!key(k) || p >= n || s[p] != '=')
                fail(QStringLiteral("内联表中应为 key = value 形式"));
            ++p;
            blanks();
            assign(table, k, false);
            blanks();
            if (p < n && s[p] == ',') {
                ++p;
                blanks();
                if (p < n && s[p] == '}')
                    fail(QStringLiteral("内联表的最后一项后面不能有逗号"));
                continue;
            }
            if (p < n && s[p] == '}')
                break;
            if (endOfLine() || s[p] == '#')
                fail(unclosed, open);
            fail(QStringLiteral("内联表的键值之间缺少逗号"));
        }
        ++p;
        nodes[table].frozen = true;
        return table;
    }

    // ---------------------------------------------------------------- strings

    // One escape after the backslash at p, appended to `out` when given;
    // the first problem goes to `problem`.
    void escape(QString* out, QString& problem)
    {
        ++p;
        const char16_t e = at(p);
        char16_t plain = 0;
        switch (e) {
        case 'b': plain = '\b'; break;
        case 't': plain = '\t'; break;
        case 'n': plain = '\n'; break;
        case 'f': plain = '\f'; break;
        case 'r': plain = '\r'; break;
        case '"': plain = '"'; break;
        case '\\': plain = '\\'; break;
        default: break;
        }
        if (plain) {
            if (out)
                *out += QChar(plain);
            ++p;
            return;
        }
        if (e == 'u' || e == 'U') {
            const int len = e == 'u' ? 4 : 8;
            char32_t v = 0;
            bool ok = p + len < n;
            for (int j = 1; ok && j <= len; ++j) {
                const char16_t h = s[p + j];
                const int d = (h >= '0' && h <= '9') ? h - '0'
                    : (h >= 'a' && h <= 'f')         ? h - 'a' + 10
                    : (h >= 'A' && h <= 'F')         ? h - 'A' + 10
                                                     : -1;
                ok = d >= 0;
                v = v * 16 + char32_t(std::max(d, 0));
            }
            if (!ok || (v >= 0xD800 && v <= 0xDFFF) || v > 0x10FFFF) {
                if (problem.isEmpty())
                    problemLine = line;
                if (problem.isEmpty())
                    problem = QStringLiteral("无效的 Unicode 转义 \\")
                        + src.mid(p, std::min<qsizetype>(len + 1, n - p)).toString();
                ++p;
                return;
            }
            if (out)
                *out += QString::fromUcs4(&v, 1);
            p += len + 1;
            return;
        }
        if (problem.isEmpty())
            problemLine = line;
        if (problem.isEmpty())
            problem = e && e != '\n' && e != '\r' ? QStringLiteral("无效的转义 \\") + QChar(e)
                                                  : QStringLiteral("无效的转义 \\");
        if (p < n && e != '\n' && e != '\r')
            ++p;
    }

    // "…" on one line; returns its value when asked (keys).
    QString basicString(bool keep)
    {
        const int open = line;
        QString value;
        QString problem;
        for (++p;;) {
            if (p >= n || s[p] == '\n' || s[p] == '\r')
                fail(problem.isEmpty() ? QStringLiteral("字符串缺少结束引号") : problem,
                     problem.isEmpty() ? open : problemLine);
            const char16_t c = s[p];
            if (c == '"') {
                ++p;
                break;
            }
            if (c == '\\') {
                escape(keep ? &value : nullptr, problem);
                continue;
            }
            if (isControl(c) && problem.isEmpty()) {
                problem = QStringLiteral("字符串中不能有控制字符 ") + hex(c);
                problemLine = line;
            }
            if (keep)
                value += QChar(c);
            ++p;
        }
        if (!problem.isEmpty())
            fail(problem, problemLine);
        return value;
    }

    QString literalString(bool keep)
    {
        const int open = line;
        const qsizetype a = ++p;
        QString problem;
        while (p < n && s[p] != '\'' && s[p] != '\n' && !(s[p] == '\r' && at(p + 1) == '\n')) {
            if (isControl(s[p]) && problem.isEmpty())
                problem = QStringLiteral("字符串中不能有控制字符 ") + hex(s[p]);
            ++p;
        }
        if (p >= n || s[p] != '\'')
            fail(QStringLiteral("字符串缺少结束引号"), open);
        ++p;
        if (!problem.isEmpty())
            fail(problem, open);
        return keep ? src.mid(a, p - 1 - a).toString() : QString();
    }

    void multiLineString(char16_t q)
    {
        const int open = line;
        const QString delim(3, QChar(q));
        QString problem;
        p += 3;
        for (;;) {
            if (p >= n)
                fail(QStringLiteral("多行字符串未闭合，缺少 ") + delim, open);
            const char16_t c = s[p];
            if (c == q && at(p + 1) == q && at(p + 2) == q) {
                p += 3;
                // Up to two more quotes still belong to the text.
                for (int extra = 0; extra < 2 && p < n && s[p] == q; ++extra)
                    ++p;
                break;
            }
            if (c == '\n' || (c == '\r' && at(p + 1) == '\n')) {
                AnalysisBudget::poll();
                newline();
                continue;
            }
            if (c == '\\' && q == '"') {
                // A backslash at the end of a line trims the break and the blanks after it.
                qsizetype k = p + 1;
                while (k < n && (s[k] == ' ' || s[k] == '\t'))
                    ++k;
                if (k < n && (s[k] == '\n' || (s[k] == '\r' && at(k + 1) == '\n'))) {
                    p = k;
                    while (p < n
                           && (s[p] == ' ' || s[p] == '\t' || s[p] == '\n' || (s[p] == '\r' && at(p + 1) == '\n'))) {
                        if (s[p] == ' ' || s[p] == '\t')
                            ++p;
                        else
                            newline();
                    }
                    continue;
                }
                escape(nullptr, problem);
                continue;
            }
            if (isControl(c) && problem.isEmpty()) {
                problem = QStringLiteral("字符串中不能有控制字符 ") + hex(c);
                problemLine = line;
            }
            ++p;
        }
        if (!problem.isEmpty())
            fail(problem, problemLine);
    }
};

}

QList<Diagnostic> validate(const QString& text) { return Parser(text).run(); }

}
