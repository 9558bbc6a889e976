#include "plugins/JSONText.h"

#include "plugins/AnalysisBudget.h"
#include "plugins/FormatPlugin.h"
#include "text/CodePoints.h"

#include <cstring>

namespace JSONText {

namespace {

inline bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// Build=false only checks, so validation allocates nothing per value.
template <bool Build> class Parser {
public:
    explicit Parser(QByteArrayView bytes, TreeBudget* budget = nullptr)
        : p(bytes.data()), n(bytes.size()), budget(budget)
    {
    }

    TreeNode document()
    {
        skipWS();
        if (i >= n)  // an empty document has no position: line 1, no column
            throw PluginError(QStringLiteral("内容为空"), 1);
        const int first = Build ? lineOf(i) : 0;
        TreeNode v = value();
        v.line = first;
        skipWS();
        if (i < n)
            fail(QStringLiteral("值之后出现多余内容"), i);
        return v;
    }

private:
    const char* p;
    qsizetype n;
    qsizetype i = 0;
    int depth = 0;
    qsizetype nextPoll = 0;

    // Looks at the analysis deadline every 64 KiB of input.
    void poll()
    {
        if (i >= nextPoll) {
            AnalysisBudget::pollNow();
            nextPoll = i + 65536;
        }
    }

    // Past a full budget values are checked and counted but not built.
    TreeBudget* budget;
    std::size_t values = 0;
    template <bool> friend class Parser;

    bool full() const { return Build && budget && budget->full(); }

    void skipValue()
    {
        Parser<false> check(QByteArrayView(p, n));
        check.i = i;
        check.depth = depth;
        check.value();
        i = check.i;
        budget->total += check.values;
    }

    [[noreturn]] void fail(const QString& message, qsizetype at) const
    {
        const qsizetype pos = std::min(at, n);
        int line = 1;
        qsizetype lineStart = 0;
        for (qsizetype k = 0; k < pos; ++k)
            if (p[k] == '\n') {
                ++line;
                lineStart = k + 1;
            }
        // Columns count UTF-16 code units like the editor's caret, not bytes.
        qsizetype column = 1;
        for (qsizetype k = lineStart; k < pos; ++k) {
            const auto c = static_cast<unsigned char>(p[k]);
            if ((c & 0xC0) != 0x80)
                column += c >= 0xF0 ? 2 : 1;
        }
        throw PluginError(QStringLiteral("第 %1 列：").arg(column) + message, line, int(column));
    }

    unsigned char at(qsizetype k) const { return static_cast<unsigned char>(p[k]); }

    // The 0-based line of byte k. Asked in increasing order, so one forward scan serves the whole parse.
    qsizetype lineScan = 0;
    int lineNo = 0;
    int lineOf(qsizetype k)
    {
        while (lineScan < k) {
            const void* lf = std::memchr(p + lineScan, '\n', size_t(k - lineScan));
            if (!lf) {
                lineScan = k;
                break;
            }
            ++lineNo;
            lineScan = static_cast<const char*>(lf) - p + 1;
        }
        return lineNo;
    }

    void skipWS()
    {
        while (i < n) {
            const unsigned char c = at(i);
            if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
                ++i;
            } else if (c == '/' && i + 1 < n && p[i + 1] == '*') {
                const void* end = nullptr;
                for (qsizetype k = i + 2; k + 1 < n; ++k) {
                    const void* star = std::memchr(p + k, '*', size_t(n - k - 1));
                    if (!star)
                        break;
                    k = static_cast<const char*>(star) - p;
                    if (p[k + 1] == '/') {
                        end = p + k + 2;
                        break;
                    }
                }
                i = end ? static_cast<const char*>(end) - p : n;
            } else if (c == '/' && i + 1 < n && p[i + 1] == '/') {
                const void* lf = std::memchr(p + i + 2, '\n', size_t(n - i - 2));
                i = lf ? static_cast<const char*>(lf) - p : n;
            } else {
                return;
            }
        }
    }

    TreeNode value()
    {
        ++values;
        if (Build && budget)
            budget->take();
        if (i >= n)
            fail(QStringLiteral("意外结束"), i);
        const unsigned char c = at(i);
        switch (c) {
        case '"': {
            if constexpr (Build)
                return TreeNode::makeString(string());
            string();
            return {};
        }
        case '{': return object();
        case '[': return array();
        case 't': lit("true"); return Build ? TreeNode::makeBool(true) : TreeNode{};
        case 'f': lit("false"); return Build ? TreeNode::makeBool(false) : TreeNode{};
        case 'n': lit("null"); return {};
        default:
            if (c == '-' || isDigit(c))
                return number();
            fail(QStringLiteral("无法识别的字符 ") + QChar(char16_t(c)), i);
        }
    }

    static TreeNode withOmitted(TreeNode node, std::size_t omitted)
    {
        node.omitted = omitted;
        return node;
    }

    void enter()
    {
        if (++depth > maxDepth)
            fail(QStringLiteral("嵌套层级过深（最多 %1 层）").arg(maxDepth), i);
    }

    TreeNode object()
    {
        enter();
        ++i;
        skipWS();
        std::vector<std::pair<QString, TreeNode>> pairs;
        std::size_t omitted = 0;
        if (i < n && p[i] == '}') {
            ++i;
            --depth;
            return Build ? TreeNode::makeMap() : TreeNode{};
        }
        for (;;) {
            poll();
            skipWS();
            if (i >= n || p[i] != '"')
                fail(QStringLiteral("应为带引号的键名"), i);
            const qsizetype keyStart = i;
            const int keyLine = Build ? lineOf(i) : 0;
            QString key = string();
            skipWS();
            if (i >= n || p[i] != ':') {
                if constexpr (!Build) {
                    const qsizetype resume = i;
                    i = keyStart;
                    key = decodedString();
                    i = resume;
                }
                fail(QStringLiteral("键 ") + key + QStringLiteral(" 后缺少冒号"), i);
            }
            ++i;
            skipWS();
            if (full()) {
                skipValue();
                ++omitted;
            } else {
                TreeNode v = value();
                if constexpr (Build) {
                    v.line = keyLine;
                    pairs.emplace_back(std::move(key), std::move(v));
                }
            }
            skipWS();
            if (i >= n)
                fail(QStringLiteral("对象未闭合，缺少 }"), i);
            if (p[i] == '}') {
                ++i;
                --depth;
                return Build ? withOmitted(TreeNode::makeMap(std::move(pairs)), omitted) : TreeNode{};
            }
            if (p[i] != ',')
                fail(QStringLiteral("缺少逗号或 }"), i);
            ++i;
            skipWS();
            if (i < n && p[i] == '}')
                fail(QStringLiteral("末尾多余的逗号"), i);
        }
    }

    TreeNode array()
    {
        enter();
        ++i;
        skipWS();
        std::vector<TreeNode> items;
        std::size_t omitted = 0;
        if (i < n && p[i] == ']') {
            ++i;
            --depth;
            return Build ? TreeNode::makeList() : TreeNode{};
        }
        for (;;) {
            poll();
            skipWS();
            if (full()) {
                skipValue();
                ++omitted;
            } else {
                const int itemLine = Build ? lineOf(i) : 0;
                TreeNode v = value();
                if constexpr (Build) {
                    v.line = itemLine;
                    items.push_back(std::move(v));
                }
            }
            skipWS();
            if (i >= n)
                fail(QStringLiteral("数组未闭合，缺少 ]"), i);
            if (p[i] == ']') {
                ++i;
                --depth;
                return Build ? withOmitted(TreeNode::makeList(std::move(items)), omitted) : TreeNode{};
            }
            if (p[i] != ',')
                fail(QStringLiteral("缺少逗号或 ]"), i);
            ++i;
            skipWS();
            if (i < n && p[i] == ']')
                fail(QStringLiteral("末尾多余的逗号"), i);
        }
    }

    void lit(const char* word)
    {
        const qsizetype len = qsizetype(std::strlen(word));
        if (n - i < len || std::memcmp(p + i, word, size_t(len)) != 0)
            fail(QStringLiteral("应为 ") + QLatin1String(word), i);
        i += len;
    }

    TreeNode number()
    {
        const qsizetype start = i;
        if (p[i] == '-')
            ++i;
        if (i >= n || !isDigit(at(i)))
            fail(QStringLiteral("数字格式错误"), i);
        while (i < n && isDigit(at(i)))
            ++i;
        if (i < n && p[i] == '.') {
            ++i;
            if (i >= n || !isDigit(at(i)))
                fail(QStringLiteral("小数点后缺少数字"), i);
            while (i < n && isDigit(at(i)))
                ++i;
        }
        if (i < n && (p[i] == 'e' || p[i] == 'E')) {
            ++i;
            if (i < n && (p[i] == '+' || p[i] == '-'))
                ++i;
            if (i >= n || !isDigit(at(i)))
                fail(QStringLiteral("指数缺少数字"), i);
            while (i < n && isDigit(at(i)))
                ++i;
        }
        if constexpr (Build)
            return TreeNode::makeNumber(QString::fromLatin1(p + start, i - start));
        return {};
    }

    QString string()
    {
        if constexpr (Build)
            return decodedString();
        scanString<false>(nullptr);
        return {};
    }

    QString decodedString()
    {
        QByteArray out;
        scanString<true>(&out);
        return QString::fromUtf8(out);
    }

    // At the opening quote; leaves i after the closing one.
    template <bool Decode> void scanString(QByteArray* out)
    {
        ++i;
        for (;;) {
            const qsizetype runStart = i;
            while (i < n) {
                const unsigned char c = at(i);
                if (c == '"' || c == '\\' || c == '\n')
                    break;
                ++i;
            }
            if constexpr (Decode)
                out->append(p + runStart, i - runStart);
            if (i >= n)
                fail(QStringLiteral("字符串缺少结束引号"), i);
            const unsigned char c = at(i);
            if (c == '"') {
                ++i;
                return;
            }
            if (c == '\n')
                fail(QStringLiteral("字符串中不能直接换行，缺少结束引号？"), i);
            // Backslash.
            ++i;
            if (i >= n)
                fail(QStringLiteral("字符串缺少结束引号"), i);
            const unsigned char e = at(i);
            char plain = 0;
            switch (e) {
            case '"': plain = '"'; break;
            case '\\': plain = '\\'; break;
            case '/': plain = '/'; break;
            case 'b': plain = '\b'; break;
            case 'f': plain = '\f'; break;
            case 'n': plain = '\n'; break;
            case 'r': plain = '\r'; break;
            case 't': plain = '\t'; break;
            case 'u': {
                const int hi = hex4(i + 1);
                if (hi < 0)
                    fail(QStringLiteral("\\u 后应为 4 位十六进制"), i - 1);
                i += 5;
                char32_t cp = char32_t(hi);
                if (hi >= 0xD800 && hi <= 0xDBFF && i + 1 < n && p[i] == '\\' && p[i + 1] == 'u') {
                    const int lo = hex4(i + 2);
                    if (lo >= 0xDC00 && lo <= 0xDFFF) {
                        cp = 0x10000 + ((char32_t(hi) - 0xD800) << 10) + (char32_t(lo) - 0xDC00);
                        i += 6;
                    }
                }
                if (cp >= 0xD800 && cp <= 0xDFFF)
                    cp = 0xFFFD;
                if constexpr (Decode)
                    CodePoints::appendUtf8(*out, cp);
                continue;
            }
            default: {
                // Show the whole character after the backslash, not one byte of it.
                qsizetype len = 1;
                if (e >= 0xC0)
                    while (i + len < n && (at(i + len) & 0xC0) == 0x80 && len < 4)
                        ++len;
                fail(QStringLiteral("非法转义 \\") + QString::fromUtf8(p + i, len), i - 1);
            }
            }
            if constexpr (Decode)
                *out += plain;
            ++i;
        }
    }

    int hex4(qsizetype k) const
    {
        if (n - k < 4)
            return -1;
        int v = 0;
        for (int d = 0; d < 4; ++d) {
            const int h = CodePoints::hexValue(at(k + d));
            if (h < 0)
                return -1;
            v = v * 16 + h;
        }
        return v;
    }
};

void appendCompact(QString& out, const TreeNode& node)
{
    switch (node.kind) {
    case TreeNode::Kind::string:
        out += QLatin1Char('"');
        appendEscaped(out, node.scalar);
        out += QLatin1Char('"');
        break;
    case TreeNode::Kind::number: out += node.scalar; break;
    case TreeNode::Kind::boolean: out += node.flag ? QLatin1String("true") : QLatin1String("false"); break;
    case TreeNode::Kind::null: out += QLatin1String("null"); break;
    case TreeNode::Kind::list: {
        out += QLatin1Char('[');
        bool first = true;
        for (const TreeNode& item : node.items) {
            if (!first)
                out += QLatin1Char(',');
            first = false;
            appendCompact(out, item);
        }
        out += QLatin1Char(']');
        break;
    }
    case TreeNode::Kind::map: {
        out += QLatin1Char('{');
        bool first = true;
        for (const auto& [k, v] : node.pairs) {
            if (!first)
                out += QLatin1Char(',');
            first = false;
            out += QLatin1Char('"');
            appendEscaped(out, k);
            out += QLatin1String("\":");
            appendCompact(out, v);
        }
        out += QLatin1Char('}');
        break;
    }
    }
}

void appendPretty(QString& out, const TreeNode& node, QString& indent)
{
    const bool isList = node.kind == TreeNode::Kind::list;
    if (!isList && node.kind != TreeNode::Kind::map) {
        appendCompact(out, node);
        return;
    }
    const size_t count = isList ? node.items.size() : node.pairs.size();
    if (count == 0) {
        out += isList ? QLatin1String("[]") : QLatin1String("{}");
        return;
    }
    out += isList ? QLatin1String("[\n") : QLatin1String("{\n");
    indent += QLatin1String("  ");
    for (size_t k = 0; k < count; ++k) {
        if (k)
            out += QLatin1String(",\n");
        out += indent;
        if (isList) {
            appendPretty(out, node.items[k], indent);
        } else {
            out += QLatin1Char('"');
            appendEscaped(out, node.pairs[k].first);
            out += QLatin1String("\": ");
            appendPretty(out, node.pairs[k].second, indent);
        }
    }
    indent.chop(2);
    out += QLatin1Char('\n');
    out += indent;
    out += isList ? QLatin1Char(']') : QLatin1Char('}');
}

}

TreeNode parse(const QString& text) { return parseUtf8(text.toUtf8()); }

TreeNode parseWithin(const QString& text, TreeBudget& budget) { return parseUtf8Within(text.toUtf8(), budget); }

void check(const QString& text) { checkUtf8(text.toUtf8()); }

TreeNode parseUtf8(QByteArrayView utf8) { return Parser<true>(utf8).document(); }

TreeNode parseUtf8Within(QByteArrayView utf8, TreeBudget& budget) { return Parser<true>(utf8, &budget).document(); }

void checkUtf8(QByteArrayView utf8) { Parser<false>(utf8).document(); }

QString pretty(const TreeNode& node, const QString& indent)
{
    QString out;
    QString in = indent;
    appendPretty(out, node, in);
    return out;
}

QString compact(const TreeNode& node)
{
    QString out;
    appendCompact(out, node);
    return out;
}

QString unescape(const QString& text)
{
    QString t = text.trimmed();
    if (!(t.size() > 1 && t.startsWith(QLatin1Char('"')) && t.endsWith(QLatin1Char('"'))))
        t = QLatin1Char('"') + t + QLatin1Char('"');
    TreeNode v = parse(t);
    if (v.kind != TreeNode::Kind::string)
        throw PluginError(QStringLiteral("不是合法的转义字符串"));
    return v.scalar;
}

void appendEscaped(QString& out, const QString& s)
{
    static const char hex[] = "0123456789abcdef";
    for (QChar c : s) {
        const char16_t u = c.unicode();
        switch (u) {
        case 8: out += QLatin1String("\\b"); break;
        case 9: out += QLatin1String("\\t"); break;
        case 10: out += QLatin1String("\\n"); break;
        case 12: out += QLatin1String("\\f"); break;
        case 13: out += QLatin1String("\\r"); break;
        case '"': out += QLatin1String("\\\""); break;
        case '\\': out += QLatin1String("\\\\"); break;
        default:
            if (u < 32) {
                out += QLatin1String("\\u00");
                out += QLatin1Char(hex[u >> 4]);
                out += QLatin1Char(hex[u & 15]);
            } else {
                out += c;
            }
        }
    }
}

QString escape(const QString& s)
{
    QString out;
    out.reserve(s.size() + 8);
    appendEscaped(out, s);
    return out;
}

QString quote(const QString& s)
{
    QString out;
    out.reserve(s.size() + 10);
    out += QLatin1Char('"');
    appendEscaped(out, s);
    out += QLatin1Char('"');
    return out;
}

}
