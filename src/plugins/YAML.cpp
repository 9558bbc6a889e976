#include "plugins/YAML.h"

#include "core/LineEnding.h"
#include "plugins/FormatPlugin.h"
#include "plugins/JSONText.h"
#include "plugins/Regex.h"

#include <QSet>
#include <vector>

namespace YAML {

namespace {

struct Line {
    int no = 0;
    int indent = 0;
    QString full;
    qsizetype from = 0; // a sequence item continuing on its dash's line starts further in
    QStringView text() const { return QStringView(full).mid(from); }
};

std::optional<std::pair<QString, QString>> splitKeyView(QStringView line);

bool isItem(QStringView t) { return t == QLatin1String("-") || t.startsWith(QLatin1String("- ")); }

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

QString trimSpacesTabs(QStringView s)
{
    qsizetype a = 0, b = s.size();
    while (a < b && (s[a] == QLatin1Char(' ') || s[a] == QLatin1Char('\t')))
        ++a;
    while (b > a && (s[b - 1] == QLatin1Char(' ') || s[b - 1] == QLatin1Char('\t')))
        --b;
    return s.mid(a, b - a).toString();
}

TreeNode flowAt(const QString& s, int line, int depth, bool nestingChecked);

TreeNode scalarAt(const QString& text, int line, int depth, bool inFlow = false)
{
    const QString s = text.trimmed();
    const QChar first = s.isEmpty() ? QChar() : s[0];
    if (first == QLatin1Char('"')) {
        const bool closed = s.size() >= 2 && s.endsWith(QLatin1Char('"'))
            && (!s.endsWith(QLatin1String("\\\"")) || s.endsWith(QLatin1String("\\\\\"")));
        if (!closed)
            throw PluginError(QStringLiteral("双引号字符串未闭合"), line);
        try {
            return TreeNode::makeString(JSONText::unescape(s));
        } catch (const PluginError&) {
            return TreeNode::makeString(s.mid(1, s.size() - 2));
        }
    }
    if (first == QLatin1Char('\'')) {
        if (s.size() < 2 || !s.endsWith(QLatin1Char('\'')))
            throw PluginError(QStringLiteral("单引号字符串未闭合"), line);
        return TreeNode::makeString(s.mid(1, s.size() - 2).replace(QLatin1String("''"), QLatin1String("'")));
    }
    if (first == QLatin1Char('[') || first == QLatin1Char('{'))
        return flowAt(s, line, depth, inFlow);
    if (first == QLatin1Char('&') || first == QLatin1Char('*'))
        return TreeNode::makeString(s);
    static const QStringList nulls{QString(), QStringLiteral("~"), QStringLiteral("null"), QStringLiteral("Null"), QStringLiteral("NULL")};
    static const QStringList trues{QStringLiteral("true"), QStringLiteral("True"), QStringLiteral("TRUE"), QStringLiteral("yes"),
                                   QStringLiteral("Yes"), QStringLiteral("on"), QStringLiteral("On")};
    static const QStringList falses{QStringLiteral("false"), QStringLiteral("False"), QStringLiteral("FALSE"), QStringLiteral("no"),
                                    QStringLiteral("No"), QStringLiteral("off"), QStringLiteral("Off")};
    if (s.isEmpty() || nulls.contains(s))
        return TreeNode::makeNull();
    if (trues.contains(s))
        return TreeNode::makeBool(true);
    if (falses.contains(s))
        return TreeNode::makeBool(false);
    if (Regex::reMatches(s, QStringLiteral("^[-+]?(\\d[\\d_]*(\\.\\d*)?([eE][-+]?\\d+)?|0x[0-9a-fA-F]+|\\.inf|\\.nan)$")))
        return TreeNode::makeNumber(s);
    if (!s.contains(QLatin1String("://")) && Regex::reMatches(s, QStringLiteral("^\\S.*:\\s")))
        throw PluginError(QStringLiteral("值中出现未加引号的 \": \"，需要加引号"), line);
    return TreeNode::makeString(s);
}

// Splits a flow collection's inside at top-level commas.
std::vector<QString> splitFlow(QStringView inside, int line)
{
    std::vector<QString> parts;
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
            if (b == start || prev == QLatin1Char('[') || prev == QLatin1Char('{') || prev == QLatin1Char(',') || prev == QLatin1Char(':'))
                quote = c;
        } else if (c == QLatin1Char('[') || c == QLatin1Char('{')) {
            ++depth;
        } else if (c == QLatin1Char(']') || c == QLatin1Char('}')) {
            if (--depth < 0)
                fail();
        } else if (c == QLatin1Char(',') && depth == 0) {
            parts.push_back(inside.mid(start, k - start).trimmed().toString());
            start = k + 1;
        }
    }
    if (depth != 0 || !quote.isNull())
        fail();
    parts.push_back(inside.mid(start).trimmed().toString());
    return parts;
}

// Deepest bracket nesting outside quoted values, found in one pass so that
// hostile nesting is refused before the per-level splitting starts.
int flowNesting(QStringView s)
{
    int depth = 0, deepest = 0;
    QChar quote;
    QChar prev = QLatin1Char(',');
    for (qsizetype k = 0; k < s.size(); ++k) {
        const QChar c = s[k];
        if (!quote.isNull()) {
            if (quote == QLatin1Char('"') && c == QLatin1Char('\\'))
                ++k;
            else if (c == quote)
                quote = QChar();
            continue;
        }
        if ((c == QLatin1Char('"') || c == QLatin1Char('\''))
            && (prev == QLatin1Char('[') || prev == QLatin1Char('{') || prev == QLatin1Char(',') || prev == QLatin1Char(':')))
            quote = c;
        else if (c == QLatin1Char('[') || c == QLatin1Char('{'))
            deepest = std::max(deepest, ++depth);
        else if (c == QLatin1Char(']') || c == QLatin1Char('}'))
            --depth;
        if (!c.isSpace())
            prev = c;
    }
    return deepest;
}

TreeNode flowAt(const QString& s, int line, int depth, bool nestingChecked)
{
    if (depth >= maxDepth || (!nestingChecked && depth + flowNesting(s) > maxDepth))
        throw PluginError(QStringLiteral("嵌套层级过深（最多 %1 层）").arg(maxDepth), line);
    const bool isList = s.startsWith(QLatin1Char('['));
    const QChar close = isList ? QLatin1Char(']') : QLatin1Char('}');
    if (!s.endsWith(close) || s.size() < 2)
        throw PluginError(s.left(1) + QStringLiteral(" 未闭合，缺少 ") + close, line);
    const std::vector<QString> parts = splitFlow(QStringView(s).mid(1, s.size() - 2), line);
    if (isList) {
        std::vector<TreeNode> items;
        for (const QString& part : parts)
            if (!part.isEmpty())
                items.push_back(scalarAt(part, line, depth + 1, true));
        return TreeNode::makeList(std::move(items));
    }
    std::vector<std::pair<QString, TreeNode>> pairs;
    for (const QString& part : parts) {
        if (part.isEmpty())
            continue;
        if (auto kv = splitKey(part)) {
            pairs.emplace_back(kv->first, scalarAt(kv->second, line, depth + 1, true));
        } else {
            QString key = part;
            if (key.endsWith(QLatin1Char(':')))
                key.chop(1);
            pairs.emplace_back(key, TreeNode::makeNull());
        }
    }
    return TreeNode::makeMap(std::move(pairs));
}

class P {
public:
    std::vector<Line> lines;
    QStringList raw;
    size_t pos = 0;

    TreeNode node(int minIndent)
    {
        if (pos >= lines.size() || lines[pos].indent < minIndent)
            return TreeNode::makeNull();
        const Line& l = lines[pos];
        Depth guard(*this, l.no);
        if (isItem(l.text()))
            return seq(l.indent);
        if (splitKeyView(l.text()))
            return map(l.indent);
        ++pos;
        return scalarAt(l.text().toString(), l.no, depth);
    }

private:
    int depth = 0;

    struct Depth {
        P& p;
        Depth(P& parser, int line) : p(parser)
        {
            if (++p.depth > maxDepth)
                throw PluginError(QStringLiteral("嵌套层级过深（最多 %1 层）").arg(maxDepth), line);
        }
        ~Depth() { --p.depth; }
    };

    TreeNode map(int indent)
    {
        std::vector<std::pair<QString, TreeNode>> pairs;
        QSet<QString> seen;
        while (pos < lines.size()) {
            const Line l = lines[pos];
            if (l.indent != indent || isItem(l.text()))
                break;
            const auto kv = splitKeyView(l.text());
            if (!kv)
                throw PluginError(QStringLiteral("应为 key: value 形式（冒号后需要空格）"), l.no);
            if (seen.contains(kv->first))
                throw PluginError(QStringLiteral("重复的键 ") + kv->first, l.no);
            seen.insert(kv->first);
            ++pos;
            const QString& v = kv->second;
            TreeNode value;
            if (!v.isEmpty()) {
                if ((v.startsWith(QLatin1Char('|')) || v.startsWith(QLatin1Char('>'))) && v.size() < 4)
                    value = TreeNode::makeString(blockScalar(l.no, indent, v.startsWith(QLatin1Char('>')),
                                                             v.contains(QLatin1Char('+')), v.contains(QLatin1Char('-'))));
                else
                    value = scalarAt(v, l.no, depth);
            } else if (pos < lines.size()) {
                const Line& next = lines[pos];
                if (next.indent > indent)
                    value = node(indent + 1);
                else if (next.indent == indent && isItem(next.text()))
                    value = seq(indent);
            }
            pairs.emplace_back(kv->first, std::move(value));
        }
        if (pos < lines.size() && lines[pos].indent > indent)
            throw PluginError(QStringLiteral("缩进错误，此行比同级的键缩进更深"), lines[pos].no);
        return TreeNode::makeMap(std::move(pairs));
    }

    TreeNode seq(int indent)
    {
        std::vector<TreeNode> items;
        while (pos < lines.size() && lines[pos].indent == indent && isItem(lines[pos].text())) {
            Line& l = lines[pos];
            const QStringView r = l.text().mid(1).trimmed();
            TreeNode item;
            if (r.isEmpty()) {
                ++pos;
                if (pos < lines.size() && lines[pos].indent > indent)
                    item = node(indent + 1);
            } else if (isItem(r) || splitKeyView(r)) {
                const int newIndent = indent + int(l.text().size() - r.size());
                l.from = l.full.size() - r.size();
                l.indent = newIndent;
                item = node(newIndent);
            } else {
                ++pos;
                item = scalarAt(r.toString(), l.no, depth);
            }
            items.push_back(std::move(item));
            if (pos < lines.size() && lines[pos].indent > indent)
                throw PluginError(QStringLiteral("缩进错误，序列项内容层级不一致"), lines[pos].no);
        }
        return TreeNode::makeList(std::move(items));
    }

    // `after` is the 1-based number of the key's line, so raw[after] is the first content line.
    QString blockScalar(int after, int indent, bool folded, bool keep, bool strip)
    {
        QStringList parts;
        int contentIndent = -1;
        qsizetype k = after;
        for (; k < raw.size(); ++k) {
            const QString& r = raw[k];
            if (isBlank(r)) {
                parts << QString();
                continue;
            }
            const int lead = leadingSpaces(r);
            if (lead <= indent)
                break;
            if (contentIndent < 0)
                contentIndent = lead;
            parts << r.mid(std::min(contentIndent, lead));
        }
        const int lastRead = int(k); // 1-based number of the last line taken
        while (pos < lines.size() && lines[pos].no <= lastRead)
            ++pos;
        if (!keep)
            while (!parts.isEmpty() && parts.last().isEmpty())
                parts.removeLast();
        QString out;
        if (folded)
            out = parts.join(QLatin1Char(' ')).replace(QLatin1String("  "), QLatin1String("\n"));
        else
            out = parts.join(QLatin1Char('\n'));
        if (!strip)
            out += QLatin1Char('\n');
        return out;
    }
};

}

TreeNode scalar(const QString& text, int line) { return scalarAt(text, line, 0); }
TreeNode flow(const QString& text, int line) { return flowAt(text.trimmed(), line, 0, false); }

std::optional<std::pair<QString, QString>> splitKey(const QString& line) { return splitKeyView(line); }

namespace {

std::optional<std::pair<QString, QString>> splitKeyView(QStringView line)
{
    if (line.isEmpty() || line[0] == QLatin1Char('[') || line[0] == QLatin1Char('{'))
        return std::nullopt;
    QChar quote;
    qsizetype k = 0;
    if (line[0] == QLatin1Char('"') || line[0] == QLatin1Char('\'')) {
        quote = line[0];
        const qsizetype close = line.indexOf(quote, 1);
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
        } else if (c == QLatin1Char(':') && depth == 0 && (k + 1 == line.size() || line[k + 1] == QLatin1Char(' '))) {
            QString key = line.left(k).trimmed().toString();
            if (key.size() >= 2
                && ((key.startsWith(QLatin1Char('"')) && key.endsWith(QLatin1Char('"')))
                    || (key.startsWith(QLatin1Char('\'')) && key.endsWith(QLatin1Char('\'')))))
                key = key.mid(1, key.size() - 2);
            if (key.isEmpty())
                return std::nullopt;
            return std::make_pair(key, line.mid(k + 1).trimmed().toString());
        }
    }
    return std::nullopt;
}

}

QString stripComment(const QString& s)
{
    QChar quote;
    for (qsizetype k = 0; k < s.size(); ++k) {
        const QChar c = s[k];
        if (!quote.isNull()) {
            if (c == quote)
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

TreeNode parse(const QString& text)
{
    P p;
    p.raw = LineEnding::normalize(text).split(QLatin1Char('\n'));
    for (qsizetype k = 0; k < p.raw.size(); ++k) {
        const QString& r = p.raw[k];
        const QString t = trimSpacesTabs(r);
        if (t.isEmpty() || t.startsWith(QLatin1Char('#')) || t == QLatin1String("---"))
            continue;
        int lead = 0;
        bool tab = false;
        while (lead < r.size() && (r[lead] == QLatin1Char(' ') || r[lead] == QLatin1Char('\t'))) {
            tab = tab || r[lead] == QLatin1Char('\t');
            ++lead;
        }
        if (tab)
            throw PluginError(QStringLiteral("缩进不能使用 Tab"), int(k + 1));
        p.lines.push_back(Line{int(k + 1), lead, stripComment(t)});
    }
    if (p.lines.empty())
        return TreeNode::makeNull();
    TreeNode root = p.node(0);
    if (p.pos < p.lines.size())
        throw PluginError(QStringLiteral("缩进错误，此行与上文层级不匹配"), p.lines[p.pos].no);
    return root;
}

}
