#include "plugins/YAMLScalars.h"

#include "plugins/FormatPlugin.h"
#include "plugins/YAML.h"
#include "text/Blanks.h"

#include <QSet>

namespace YAML {

namespace detail {

bool isBlank(QStringView s)
{
    for (QChar c : s)
        if (!c.isSpace())
            return false;
    return true;
}

int leadingSpaces(QStringView s)
{
    int k = 0;
    while (k < s.size() && s[k] == QLatin1Char(' '))
        ++k;
    return k;
}

// "---" or "..." at the start of a line, alone or followed by a blank.
bool isMarker(QStringView r, QChar c)
{
    return r.size() >= 3 && r[0] == c && r[1] == c && r[2] == c
        && (r.size() == 3 || r[3] == QLatin1Char(' ') || r[3] == QLatin1Char('\t'));
}
bool isDocumentMarker(QStringView r) { return isMarker(r, QLatin1Char('-')) || isMarker(r, QLatin1Char('.')); }

bool isFlowIndicator(QChar c)
{
    return c == QLatin1Char(',') || c == QLatin1Char('[') || c == QLatin1Char(']') || c == QLatin1Char('{')
        || c == QLatin1Char('}');
}

// ^[-+]?(\d[\d_]*(\.\d*)?([eE][-+]?\d+)?|0x[0-9a-fA-F]+|\.inf|\.nan)$
// The text of a double-quoted scalar with its escapes replaced.
QString unescape(QStringView in, int line)
{
    QString out;
    out.reserve(in.size());
    for (qsizetype k = 0; k < in.size(); ++k) {
        if (in[k] != QLatin1Char('\\')) {
            out += in[k];
            continue;
        }
        const char16_t e = k + 1 < in.size() ? in[k + 1].unicode() : 0;
        ++k;
        char16_t one = 0;
        int hex = 0;
        switch (e) {
        case '0': one = 0; break;
        case 'a': one = 7; break;
        case 'b': one = 8; break;
        case 't':
        case '\t': one = 9; break;
        case 'n': one = 10; break;
        case 'v': one = 11; break;
        case 'f': one = 12; break;
        case 'r': one = 13; break;
        case 'e': one = 27; break;
        case ' ':
        case '"':
        case '/':
        case '\\': one = e; break;
        case 'N': one = 0x85; break;
        case '_': one = 0xA0; break;
        case 'L': one = 0x2028; break;
        case 'P': one = 0x2029; break;
        case 'x': hex = 2; break;
        case 'u': hex = 4; break;
        case 'U': hex = 8; break;
        default: throw PluginError(QStringLiteral("无效的转义 \\") + (e ? QString(QChar(e)) : QString()), line);
        }
        if (!hex) {
            out += QChar(one);
            continue;
        }
        bool ok = k + hex < in.size();
        const uint v = ok ? in.mid(k + 1, hex).toUInt(&ok, 16) : 0;
        for (qsizetype j = k + 1; ok && j <= k + hex; ++j)
            ok = in[j].isLetterOrNumber() && in[j].unicode() < 128;
        if (!ok || v > 0x10FFFF)
            throw PluginError(QStringLiteral("无效的转义 \\")
                                  + in.mid(k, std::min<qsizetype>(hex + 1, in.size() - k)).toString(),
                              line);
        const char32_t c = v;
        out += QString::fromUcs4(&c, 1);
        k += hex;
    }
    return out;
}

bool isNumber(QStringView s)
{
    const qsizetype n = s.size();
    qsizetype k = 0;
    if (k < n && (s[k] == QLatin1Char('-') || s[k] == QLatin1Char('+')))
        ++k;
    const QStringView r = s.mid(k);
    if (r == QLatin1String(".inf") || r == QLatin1String(".nan"))
        return true;
    if (r.size() > 2 && r[0] == QLatin1Char('0') && r[1] == QLatin1Char('x')) {
        bool hex = true;
        for (qsizetype j = 2; j < r.size() && hex; ++j) {
            const char16_t u = r[j].unicode();
            hex = (u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F');
        }
        if (hex)
            return true;
    }
    if (k >= n || !s[k].isDigit())
        return false;
    ++k;
    while (k < n && (s[k].isDigit() || s[k] == QLatin1Char('_')))
        ++k;
    if (k < n && s[k] == QLatin1Char('.')) {
        ++k;
        while (k < n && s[k].isDigit())
            ++k;
    }
    if (k < n && (s[k] == QLatin1Char('e') || s[k] == QLatin1Char('E'))) {
        ++k;
        if (k < n && (s[k] == QLatin1Char('+') || s[k] == QLatin1Char('-')))
            ++k;
        if (k >= n || !s[k].isDigit())
            return false;
        while (k < n && s[k].isDigit())
            ++k;
    }
    return k == n;
}

bool isLineTerminator(QChar c)
{
    const char16_t u = c.unicode();
    return u == '\n' || u == '\r' || u == 0x85 || u == 0x2028 || u == 0x2029;
}

// ^\S.*:\s — a colon followed by a blank somewhere after the first character.
bool hasUnquotedColon(QStringView s)
{
    if (s.isEmpty() || s[0].isSpace())
        return false;
    for (qsizetype k = 1; k + 1 < s.size(); ++k) {
        if (isLineTerminator(s[k]))
            return false;
        if (s[k] == QLatin1Char(':') && s[k + 1].isSpace())
            return true;
    }
    return false;
}

qint64 countNodes(const TreeNode& n)
{
    qint64 c = 1;
    for (const auto& p : n.pairs)
        c += countNodes(p.second);
    for (const auto& i : n.items)
        c += countNodes(i);
    return c;
}

void define(Anchors* anchors, const QString& name, const TreeNode& value)
{
    if (anchors && !name.isEmpty())
        anchors->byName.insert(name, {value, countNodes(value)});
}

// "*name" alone: the anchored value, or the text as it stands when the
// anchor is unknown or the copying budget is spent.
std::optional<TreeNode> alias(QStringView s, Anchors* anchors)
{
    if (s.size() < 2 || s[0] != QLatin1Char('*'))
        return std::nullopt;
    for (qsizetype k = 1; k < s.size(); ++k)
        if (s[k].isSpace() || isFlowIndicator(s[k]))
            return std::nullopt;
    if (anchors) {
        const auto it = anchors->byName.constFind(s.mid(1).toString());
        if (it != anchors->byName.cend() && anchors->budget >= it->second) {
            anchors->budget -= it->second;
            return it->first;
        }
    }
    return TreeNode::makeString(s.toString());
}

// Strips leading node properties: "&anchor", "!tag", "!!str", "!<uri>".
QStringView takeProps(QStringView v, Props& props)
{
    for (;;) {
        const bool anchor = v.size() > 1 && v[0] == QLatin1Char('&') && !v[1].isSpace() && !isFlowIndicator(v[1]);
        const bool tag = !v.isEmpty() && v[0] == QLatin1Char('!');
        if (!anchor && !tag)
            return v;
        qsizetype k = 1;
        if (tag && k < v.size() && v[k] == QLatin1Char('<')) {
            while (k < v.size() && v[k] != QLatin1Char('>'))
                ++k;
            k = std::min(k + 1, v.size());
        }
        while (k < v.size() && !v[k].isSpace() && !isFlowIndicator(v[k]))
            ++k;
        (anchor ? props.anchor : props.tag) = v.left(k).mid(anchor ? 1 : 0).toString();
        v = v.mid(k).trimmed();
    }
}

bool forcesString(const Props& p)
{
    return p.tag == QLatin1String("!!str") || p.tag == QLatin1String("!<tag:yaml.org,2002:str>");
}

TreeNode scalarAt(QStringView text, int line, int depth, bool inFlow, Anchors* anchors)
{
    const QStringView s = text.trimmed();
    const QChar first = s.isEmpty() ? QChar() : s[0];
    if (first == QLatin1Char('"')) {
        const bool closed = s.size() >= 2 && s.endsWith(QLatin1Char('"'))
            && (!s.endsWith(QLatin1String("\\\"")) || s.endsWith(QLatin1String("\\\\\"")));
        if (!closed)
            throw PluginError(QStringLiteral("双引号字符串未闭合"), line);
        if (!s.contains(QLatin1Char('\\')))
            return TreeNode::makeString(s.mid(1, s.size() - 2).toString());
        return TreeNode::makeString(unescape(s.mid(1, s.size() - 2), line));
    }
    if (first == QLatin1Char('\'')) {
        if (s.size() < 2 || !s.endsWith(QLatin1Char('\'')))
            throw PluginError(QStringLiteral("单引号字符串未闭合"), line);
        return TreeNode::makeString(s.mid(1, s.size() - 2).toString().replace(QLatin1String("''"), QLatin1String("'")));
    }
    if (first == QLatin1Char('[') || first == QLatin1Char('{'))
        return flowAt(s.toString(), line, depth, inFlow, anchors);
    Props props;
    const QStringView rest = anchors && (first == QLatin1Char('&') || first == QLatin1Char('!')) ? takeProps(s, props)
                                                                                                 : s;
    if (rest.size() < s.size()) {  // "&" before a flow indicator is no anchor: nothing was taken
        TreeNode value = rest.isEmpty() ? TreeNode::makeNull()
            : forcesString(props) && rest[0] != QLatin1Char('"') && rest[0] != QLatin1Char('\'')
            ? TreeNode::makeString(rest.toString())
            : scalarAt(rest, line, depth, inFlow, anchors);
        define(anchors, props.anchor, value);
        return value;
    }
    if (anchors && first == QLatin1Char('*'))
        if (auto v = alias(s, anchors))
            return *v;
    if (first == QLatin1Char('&') || first == QLatin1Char('*'))
        return TreeNode::makeString(s.toString());
    switch (s.size()) {
    case 0: return TreeNode::makeNull();
    case 1:
        if (s == QLatin1String("~"))
            return TreeNode::makeNull();
        break;
    case 2:
        if (s == QLatin1String("on") || s == QLatin1String("On"))
            return TreeNode::makeBool(true);
        if (s == QLatin1String("no") || s == QLatin1String("No"))
            return TreeNode::makeBool(false);
        break;
    case 3:
        if (s == QLatin1String("yes") || s == QLatin1String("Yes"))
            return TreeNode::makeBool(true);
        if (s == QLatin1String("off") || s == QLatin1String("Off"))
            return TreeNode::makeBool(false);
        break;
    case 4:
        if (s == QLatin1String("null") || s == QLatin1String("Null") || s == QLatin1String("NULL"))
            return TreeNode::makeNull();
        if (s == QLatin1String("true") || s == QLatin1String("True") || s == QLatin1String("TRUE"))
            return TreeNode::makeBool(true);
        break;
    case 5:
        if (s == QLatin1String("false") || s == QLatin1String("False") || s == QLatin1String("FALSE"))
            return TreeNode::makeBool(false);
        break;
    }
    if (isNumber(s))
        return TreeNode::makeNumber(s.toString());
    if (hasUnquotedColon(s) && !s.contains(QLatin1String("://")))
        throw PluginError(QStringLiteral("值中出现未加引号的 \": \"，需要加引号"), line);
    return TreeNode::makeString(s.toString());
}

// Splits a flow collection's inside at top-level commas.
std::vector<QStringView> splitFlow(QStringView inside, int line)
{
    std::vector<QStringView> parts;
    int depth = 0;
    QChar quote;
    qsizetype start = 0;
    auto fail = [line] { throw PluginError(QStringLiteral("流式集合括号或引号不匹配"), line); };
    for (qsizetype k = 0; k < inside.size(); ++k) {
        const QChar c = inside[k];
        if (!quote.isNull()) {
            if (quote == QLatin1Char('"') && c == QLatin1Char('\\'))
                ++k;
            else if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            // Only a quote that opens a value counts; "it's" is plain text.
            qsizetype b = k;
            while (b > start && inside[b - 1].isSpace())
                --b;
            const QChar prev = b > 0 ? inside[b - 1] : QLatin1Char(',');
            if (b == start || prev == QLatin1Char('[') || prev == QLatin1Char('{') || prev == QLatin1Char(',')
                || prev == QLatin1Char(':'))
                quote = c;
        } else if (c == QLatin1Char('[') || c == QLatin1Char('{')) {
            ++depth;
        } else if (c == QLatin1Char(']') || c == QLatin1Char('}')) {
            if (--depth < 0)
                fail();
        } else if (c == QLatin1Char(',') && depth == 0) {
            parts.push_back(inside.mid(start, k - start).trimmed());
            start = k + 1;
        }
    }
    if (depth != 0 || !quote.isNull())
        fail();
    parts.push_back(inside.mid(start).trimmed());
    return parts;
}

qsizetype FlowScan::feed(QStringView s, bool untilQuoteCloses)
{
    for (qsizetype k = 0; k < s.size(); ++k) {
        const QChar c = s[k];
        if (!quote.isNull()) {
            if (quote == QLatin1Char('"') && c == QLatin1Char('\\')) {
                ++k;
            } else if (c == quote) {
                quote = QChar();
                if (untilQuoteCloses)
                    return k + 1;
            }
            continue;
        }
        if ((c == QLatin1Char('"') || c == QLatin1Char('\''))
            && (prev == QLatin1Char('[') || prev == QLatin1Char('{') || prev == QLatin1Char(',')
                || prev == QLatin1Char(':')))
            quote = c;
        else if (c == QLatin1Char('[') || c == QLatin1Char('{'))
            deepest = std::max(deepest, ++depth);
        else if (c == QLatin1Char(']') || c == QLatin1Char('}'))
            --depth;
        if (!c.isSpace())
            prev = c;
    }
    return -1;
}

Nesting flowNesting(QStringView s)
{
    FlowScan scan;
    scan.feed(s);
    return Nesting{scan.deepest, scan.depth, !scan.quote.isNull()};
}

TreeNode flowAt(const QString& s, int line, int depth, bool nestingChecked, Anchors* anchors)
{
    if (depth >= maxDepth || (!nestingChecked && depth + flowNesting(s).deepest > maxDepth))
        throw PluginError(QStringLiteral("嵌套层级过深（最多 %1 层）").arg(maxDepth), line);
    const bool isList = s.startsWith(QLatin1Char('['));
    const QChar close = isList ? QLatin1Char(']') : QLatin1Char('}');
    if (!s.endsWith(close) || s.size() < 2)
        throw PluginError(s.left(1) + QStringLiteral(" 未闭合，缺少 ") + close, line);
    const std::vector<QStringView> parts = splitFlow(QStringView(s).mid(1, s.size() - 2), line);
    // "? key" in a flow collection is the key alone.
    const auto explicitKey = [](QStringView part) { return isExplicitKey(part) ? part.mid(1).trimmed() : part; };
    if (isList) {
        std::vector<TreeNode> items;
        for (QStringView part : parts) {
            if (part.isEmpty())
                continue;
            part = explicitKey(part);
            TreeNode item;
            const auto kv = part.startsWith(QLatin1Char('[')) || part.startsWith(QLatin1Char('{')) ? std::nullopt
                                                                                                   : splitKeyView(part);
            if (kv) {
                // "[a: b]": an entry that is a pair is a mapping of one key.
                TreeNode value = scalarAt(kv->value, line, depth + 1, true, anchors);
                std::vector<std::pair<QString, TreeNode>> pair;
                pair.emplace_back(kv->key.toString(), std::move(value));
                item = TreeNode::makeMap(std::move(pair));
            } else {
                item = scalarAt(part, line, depth + 1, true, anchors);
            }
            items.push_back(std::move(item));
        }
        return TreeNode::makeList(std::move(items));
    }
    std::vector<std::pair<QString, TreeNode>> pairs;
    for (QStringView part : parts) {
        part = explicitKey(part);
        if (part.isEmpty())
            continue;
        if (auto kv = splitKeyView(part)) {
            TreeNode value = scalarAt(kv->value, line, depth + 1, true, anchors);
            pairs.emplace_back(kv->key.toString(), std::move(value));
        } else {
            QStringView key = part;
            if (key.endsWith(QLatin1Char(':')))
                key.chop(1);
            pairs.emplace_back(key.toString(), TreeNode::makeNull());
        }
    }
    applyMerges(pairs);
    return TreeNode::makeMap(std::move(pairs));
}

// "<<" pairs whose value is a mapping (or a list of them) bring in the keys
// the mapping does not set itself; earlier sources win over later ones.
void applyMerges(std::vector<std::pair<QString, TreeNode>>& pairs)
{
    auto isMerge = [](const std::pair<QString, TreeNode>& p) {
        if (p.first != QLatin1String("<<"))
            return false;
        if (p.second.kind == TreeNode::Kind::map)
            return true;
        if (p.second.kind != TreeNode::Kind::list)
            return false;
        for (const TreeNode& i : p.second.items)
            if (i.kind != TreeNode::Kind::map)
                return false;
        return true;
    };
    if (std::none_of(pairs.begin(), pairs.end(), isMerge))
        return;
    QSet<QString> taken;
    for (const auto& p : pairs)
        if (!isMerge(p))
            taken.insert(p.first);
    std::vector<std::pair<QString, TreeNode>> out;
    for (auto& p : pairs) {
        if (!isMerge(p)) {
            out.push_back(std::move(p));
            continue;
        }
        auto take = [&](const TreeNode& source) {
            for (const auto& q : source.pairs)
                if (!taken.contains(q.first)) {
                    taken.insert(q.first);
                    out.push_back(q);
                }
        };
        if (p.second.kind == TreeNode::Kind::map)
            take(p.second);
        else
            for (const TreeNode& i : p.second.items)
                take(i);
    }
    pairs = std::move(out);
}

std::optional<KeyValue> splitKeyView(QStringView line)
{
    if (line.isEmpty() || line[0] == QLatin1Char('[') || line[0] == QLatin1Char('{'))
        return std::nullopt;
    QChar quote;
    qsizetype k = 0;
    if (line[0] == QLatin1Char('"') || line[0] == QLatin1Char('\'')) {
        // The closing quote, past \" and '' escapes; none on the line means a
        // quoted scalar that goes on below, not a key.
        quote = line[0];
        qsizetype close = -1;
        for (qsizetype j = 1; j < line.size() && close < 0; ++j) {
            if (quote == QLatin1Char('"') && line[j] == QLatin1Char('\\'))
                ++j;
            else if (line[j] == quote && quote == QLatin1Char('\'') && j + 1 < line.size() && line[j + 1] == quote)
                ++j;
            else if (line[j] == quote)
                close = j;
        }
        if (close < 0)
            return std::nullopt;
        k = close + 1;
    }
    int depth = 0;
    for (; k < line.size(); ++k) {
        const QChar c = line[k];
        if (c == QLatin1Char('[') || c == QLatin1Char('{')) {
            ++depth;
        } else if (c == QLatin1Char(']') || c == QLatin1Char('}')) {
            --depth;
        } else if (c == QLatin1Char(':') && depth == 0
                   && (k + 1 == line.size() || line[k + 1] == QLatin1Char(' ') || line[k + 1] == QLatin1Char('\t'))) {
            QStringView key = line.left(k).trimmed();
            if (key.size() >= 2
                && ((key.startsWith(QLatin1Char('"')) && key.endsWith(QLatin1Char('"')))
                    || (key.startsWith(QLatin1Char('\'')) && key.endsWith(QLatin1Char('\'')))))
                key = key.mid(1, key.size() - 2);
            if (key.isEmpty())
                return std::nullopt;
            return KeyValue{key, line.mid(k + 1).trimmed()};
        }
    }
    return std::nullopt;
}

QStringView stripCommentView(QStringView s)
{
    QChar quote;
    for (qsizetype k = 0; k < s.size(); ++k) {
        const QChar c = s[k];
        if (!quote.isNull()) {
            // 'it''s' and "say \"hi\"" stay open past their escaped quotes.
            if (quote == QLatin1Char('"') && c == QLatin1Char('\\'))
                ++k;
            else if (quote == QLatin1Char('\'') && c == quote && k + 1 < s.size() && s[k + 1] == quote)
                ++k;
            else if (c == quote)
                quote = QChar();
            continue;
        }
        const QChar prev = k > 0 ? s[k - 1] : QChar();
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            if (k == 0 || prev == QLatin1Char(' ') || prev == QLatin1Char(':') || prev == QLatin1Char('-')
                || prev == QLatin1Char('[') || prev == QLatin1Char(','))
                quote = c;
        } else if (c == QLatin1Char('#') && (k == 0 || prev == QLatin1Char(' '))) {
            return s.left(k).trimmed();
        }
    }
    return s.trimmed();
}

}

using namespace detail;

TreeNode scalar(const QString& text, int line) { return scalarAt(text, line, 0); }
TreeNode flow(const QString& text, int line) { return flowAt(text.trimmed(), line, 0, false, nullptr); }

std::optional<std::pair<QString, QString>> splitKey(const QString& line)
{
    if (auto kv = splitKeyView(line))
        return std::make_pair(kv->key.toString(), kv->value.toString());
    return std::nullopt;
}

QString stripComment(const QString& s) { return stripCommentView(s).toString(); }

}
