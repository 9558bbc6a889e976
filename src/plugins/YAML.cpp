#include "plugins/YAML.h"

#include "core/LineEnding.h"
#include "plugins/AnalysisBudget.h"
#include "plugins/FormatPlugin.h"
#include "plugins/JSONText.h"

#include <QHash>
#include <QSet>
#include <string_view>
#include <unordered_set>

namespace YAML {

namespace {

// Views into the normalised document, which outlives the parse.
struct Line {
    int no = 0;
    int indent = 0;
    QStringView full;   // trimmed, comment removed
    qsizetype from = 0; // a sequence item continuing on its dash's line starts further in
    bool tab = false;   // tab in the indentation: wrong unless the line turns out to be scalar content
    QStringView text() const { return full.mid(from); }
};

struct KeyValue {
    QStringView key;
    QStringView value;
};
std::optional<KeyValue> splitKeyView(QStringView line);
QStringView stripCommentView(QStringView s);

bool isItem(QStringView t) { return t == QLatin1String("-") || t.startsWith(QLatin1String("- ")); }
// "? key" and ": value": a key and its value on lines of their own.
bool isExplicitKey(QStringView t) { return t == QLatin1String("?") || t.startsWith(QLatin1String("? ")); }
bool isExplicitValue(QStringView t) { return t == QLatin1String(":") || t.startsWith(QLatin1String(": ")); }

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

QStringView trimSpacesTabs(QStringView s)
{
    qsizetype a = 0, b = s.size();
    while (a < b && (s[a] == QLatin1Char(' ') || s[a] == QLatin1Char('\t')))
        ++a;
    while (b > a && (s[b - 1] == QLatin1Char(' ') || s[b - 1] == QLatin1Char('\t')))
        --b;
    return s.mid(a, b - a);
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

// Anchors of one document and the copying budget of their aliases.
struct Anchors {
    QHash<QString, std::pair<TreeNode, qint64>> byName;
    qint64 budget = aliasNodeBudget;
    bool record = true; // false when only checking: no values are kept
};

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
    if (anchors && anchors->record && !name.isEmpty())
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
    if (anchors && anchors->record) {
        const auto it = anchors->byName.constFind(s.mid(1).toString());
        if (it != anchors->byName.cend() && anchors->budget >= it->second) {
            anchors->budget -= it->second;
            return it->first;
        }
    }
    return TreeNode::makeString(s.toString());
}

struct Props {
    QString anchor;
    QString tag;
};

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

TreeNode flowAt(const QString& s, int line, int depth, bool nestingChecked, Anchors* anchors);
void applyMerges(std::vector<std::pair<QString, TreeNode>>& pairs);

TreeNode scalarAt(QStringView text, int line, int depth, bool inFlow = false, Anchors* anchors = nullptr)
{
    const QStringView s = text.trimmed();
    const bool keep = !anchors || anchors->record; // checking only: the value itself is not needed
    const QChar first = s.isEmpty() ? QChar() : s[0];
    if (first == QLatin1Char('"')) {
        const bool closed = s.size() >= 2 && s.endsWith(QLatin1Char('"'))
            && (!s.endsWith(QLatin1String("\\\"")) || s.endsWith(QLatin1String("\\\\\"")));
        if (!closed)
            throw PluginError(QStringLiteral("双引号字符串未闭合"), line);
        if (!keep)
            return TreeNode::makeNull();
        if (!s.contains(QLatin1Char('\\')))
            return TreeNode::makeString(s.mid(1, s.size() - 2).toString());
        try {
            return TreeNode::makeString(JSONText::unescape(s.toString()));
        } catch (const PluginError&) {
            return TreeNode::makeString(s.mid(1, s.size() - 2).toString());
        }
    }
    if (first == QLatin1Char('\'')) {
        if (s.size() < 2 || !s.endsWith(QLatin1Char('\'')))
            throw PluginError(QStringLiteral("单引号字符串未闭合"), line);
        if (!keep)
            return TreeNode::makeNull();
        return TreeNode::makeString(s.mid(1, s.size() - 2).toString().replace(QLatin1String("''"), QLatin1String("'")));
    }
    if (first == QLatin1Char('[') || first == QLatin1Char('{'))
        return flowAt(s.toString(), line, depth, inFlow, anchors);
    Props props;
    const QStringView rest = anchors && (first == QLatin1Char('&') || first == QLatin1Char('!')) ? takeProps(s, props) : s;
    if (rest.size() < s.size()) { // "&" before a flow indicator is no anchor: nothing was taken
        TreeNode value = rest.isEmpty()                             ? TreeNode::makeNull()
            : forcesString(props) && rest[0] != QLatin1Char('"') && rest[0] != QLatin1Char('\'') ? TreeNode::makeString(rest.toString())
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
    case 0:
        return TreeNode::makeNull();
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
        return keep ? TreeNode::makeNumber(s.toString()) : TreeNode::makeNull();
    if (hasUnquotedColon(s) && !s.contains(QLatin1String("://")))
        throw PluginError(QStringLiteral("值中出现未加引号的 \": \"，需要加引号"), line);
    return keep ? TreeNode::makeString(s.toString()) : TreeNode::makeNull();
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
            if (b == start || prev == QLatin1Char('[') || prev == QLatin1Char('{') || prev == QLatin1Char(',') || prev == QLatin1Char(':'))
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

// Bracket nesting outside quoted values, found in one pass: the deepest
// level, the level at the end, and whether a quote is still open there.
struct Nesting {
    int deepest = 0;
    int last = 0;
    bool quoteOpen = false;
};

Nesting flowNesting(QStringView s)
{
    Nesting out;
    int depth = 0;
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
            out.deepest = std::max(out.deepest, ++depth);
        else if (c == QLatin1Char(']') || c == QLatin1Char('}'))
            --depth;
        if (!c.isSpace())
            prev = c;
    }
    out.last = depth;
    out.quoteOpen = !quote.isNull();
    return out;
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
    const bool keep = !anchors || anchors->record;
    if (isList) {
        std::vector<TreeNode> items;
        for (const QStringView part : parts)
            if (!part.isEmpty()) {
                TreeNode item = scalarAt(part, line, depth + 1, true, anchors);
                if (keep)
                    items.push_back(std::move(item));
            }
        return TreeNode::makeList(std::move(items));
    }
    std::vector<std::pair<QString, TreeNode>> pairs;
    for (const QStringView part : parts) {
        if (part.isEmpty())
            continue;
        if (auto kv = splitKeyView(part)) {
            TreeNode value = scalarAt(kv->value, line, depth + 1, true, anchors);
            if (keep)
                pairs.emplace_back(kv->key.toString(), std::move(value));
        } else if (keep) {
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

class P {
public:
    std::vector<Line> lines;
    const std::vector<QStringView>* raw = nullptr;
    bool build = true; // false: check only, keep no values
    size_t pos = 0;
    Anchors anchors;

    TreeNode node(int minIndent)
    {
        if (pos >= lines.size() || lines[pos].indent < minIndent)
            return TreeNode::makeNull();
        const Line& l = lines[pos];
        checkTab(l);
        Depth guard(*this, l.no);
        if (isItem(l.text()))
            return seq(l.indent);
        if (isExplicitKey(l.text()) || splitKeyView(l.text()))
            return map(l.indent);
        ++pos;
        Props props;
        const QStringView rest = takeProps(l.text(), props);
        TreeNode value;
        if (rest.isEmpty())
            value = node(minIndent); // properties alone on their line belong to the node below
        else
            value = inlineValue(rest, props, lines[pos - 1], minIndent - 1);
        define(&anchors, props.anchor, value);
        return value;
    }

    // The first line whose indentation holds a tab and which was not taken
    // as scalar content.
    const Line* firstTab() const
    {
        for (const Line& l : lines)
            if (l.tab)
                return &l;
        return nullptr;
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


    // Keys of one mapping, as views into the document: a short list is
    // searched directly, a long one hashed.
    class Keys {
    public:
        bool add(QStringView key)
        {
            if (!set_.empty() || few_.size() >= 16) {
                if (set_.empty())
                    for (const QStringView k : few_)
                        set_.insert(std::u16string_view(k.utf16(), size_t(k.size())));
                return set_.insert(std::u16string_view(key.utf16(), size_t(key.size()))).second;
            }
            for (const QStringView k : few_)
                if (k == key)
                    return false;
            few_.push_back(key);
            return true;
        }

    private:
        std::vector<QStringView> few_;
        std::unordered_set<std::u16string_view> set_;
    };

    static void checkTab(const Line& l)
    {
        if (l.tab)
            throw PluginError(QStringLiteral("缩进不能使用 Tab"), l.no);
    }

    // Skips the Lines up to raw line number `last`; they were scalar content.
    void skipThrough(int last)
    {
        while (pos < lines.size() && lines[pos].no <= last) {
            lines[pos].tab = false;
            ++pos;
        }
    }

    // A value that starts on the line of its key or dash; continuation lines
    // must be indented deeper than `parentIndent`.
    TreeNode inlineValue(QStringView v, const Props& props, const Line& l, int parentIndent)
    {
        const QChar first = v[0];
        const int no = l.no;
        if ((first == QLatin1Char('|') || first == QLatin1Char('>')) && v.size() < 4)
            return TreeNode::makeString(blockScalar(no, parentIndent, first == QLatin1Char('>'), v.contains(QLatin1Char('+')),
                                                    v.contains(QLatin1Char('-'))));
        if (first == QLatin1Char('"') || first == QLatin1Char('\''))
            return scalarAt(quoted(v, no), no, depth, false, &anchors);
        if (first == QLatin1Char('[') || first == QLatin1Char('{')) {
            bool nestingChecked = false;
            const QString flow = flowLines(v, no, nestingChecked);
            return flowAt(flow, no, depth, nestingChecked, &anchors);
        }
        if (first == QLatin1Char('*'))
            return scalarAt(v, no, depth, false, &anchors);
        QString joined;
        const QStringView text = plain(v, parentIndent, joined);
        if (forcesString(props))
            return TreeNode::makeString(text.toString());
        return scalarAt(text, no, depth, false, &anchors);
    }

    // A plain scalar folded with the deeper lines that continue it; lines
    // that look like keys or items are left to the caller.
    QStringView plain(QStringView v, int parentIndent, QString& out)
    {
        if (pos >= lines.size() || lines[pos].indent <= parentIndent)
            return v;
        out = v.toString();
        int last = pos > 0 ? lines[pos - 1].no : 0;
        while (pos < lines.size()) {
            AnalysisBudget::poll();
            const Line& c = lines[pos];
            if (c.indent <= parentIndent || isItem(c.text()) || splitKeyView(c.text()))
                break;
            bool gap = false;
            for (int k = last; k < c.no - 1; ++k)
                if (isBlank((*raw)[k])) {
                    out += QLatin1Char('\n');
                    gap = true;
                }
            if (!gap)
                out += QLatin1Char(' ');
            out += c.text();
            last = c.no;
            lines[pos].tab = false;
            ++pos;
        }
        return out;
    }

    // A quoted scalar, joined with the following raw lines when its closing
    // quote comes later. Line breaks fold to spaces, empty lines to line feeds.
    QString quoted(QStringView v, int no)
    {
        const QChar q = v[0];
        auto closeIn = [q](QStringView s, qsizetype from) -> qsizetype {
            for (qsizetype k = from; k < s.size(); ++k) {
                if (q == QLatin1Char('"') && s[k] == QLatin1Char('\\'))
                    ++k;
                else if (s[k] == q) {
                    if (q == QLatin1Char('\'') && k + 1 < s.size() && s[k + 1] == q)
                        ++k;
                    else
                        return k;
                }
            }
            return -1;
        };
        if (closeIn(v, 1) >= 0)
            return v.toString();
        QString out = trimSpacesTabs(v).toString();
        int breaks = 0;
        for (qsizetype k = no; k < raw->size(); ++k) {
            AnalysisBudget::poll();
            const QStringView r = (*raw)[k];
            if (isDocumentMarker(r))
                break;
            const QStringView t = trimSpacesTabs(r);
            if (t.isEmpty()) {
                ++breaks;
                continue;
            }
            qsizetype slashes = 0;
            while (slashes < out.size() && out[out.size() - 1 - slashes] == QLatin1Char('\\'))
                ++slashes;
            const bool escaped = q == QLatin1Char('"') && breaks == 0 && slashes % 2 == 1;
            if (escaped)
                out.chop(1); // an escaped line break joins without a space
            else if (breaks == 0)
                out += QLatin1Char(' ');
            for (int b = 0; b < breaks; ++b)
                out += q == QLatin1Char('"') ? QStringLiteral("\\n") : QStringLiteral("\n");
            breaks = 0;
            const qsizetype close = closeIn(t, 0);
            if (close < 0) {
                out += t;
                continue;
            }
            out += t.left(close + 1);
            const QStringView after = stripCommentView(t.mid(close + 1));
            skipThrough(int(k + 1));
            if (!after.isEmpty())
                throw PluginError(q == QLatin1Char('"') ? QStringLiteral("双引号字符串未闭合") : QStringLiteral("单引号字符串未闭合"), no);
            return out;
        }
        return v.toString(); // never closed: reported as on one line
    }

    // A flow collection, joined with the following raw lines until its
    // brackets balance.
    QString flowLines(QStringView v, int no, bool& nestingChecked)
    {
        const Nesting first = flowNesting(v);
        if (first.last <= 0 || first.quoteOpen || first.deepest > maxDepth) {
            // One line, already measured: the nesting bound needs no second pass.
            nestingChecked = first.last == 0 && !first.quoteOpen && depth + first.deepest <= maxDepth;
            return v.toString();
        }
        QString out = v.toString();
        int level = first.last;
        for (qsizetype k = no; k < raw->size() && level > 0; ++k) {
            AnalysisBudget::poll();
            const QStringView r = (*raw)[k];
            if (isDocumentMarker(r))
                break;
            const QStringView t = stripCommentView(trimSpacesTabs(r));
            if (t.isEmpty())
                continue;
            const Nesting n = flowNesting(t);
            if (n.quoteOpen)
                break;
            out += QLatin1Char(' ');
            out += t;
            level += n.last;
            if (level <= 0)
                skipThrough(int(k + 1));
        }
        return out;
    }

    TreeNode map(int indent)
    {
        std::vector<std::pair<QString, TreeNode>> pairs;
        Keys seen;
        while (pos < lines.size()) {
            AnalysisBudget::poll();
            const Line l = lines[pos];
            if (l.indent != indent || isItem(l.text()))
                break;
            checkTab(l);
            if (isExplicitKey(l.text())) {
                explicitPair(l, indent, seen, pairs);
                continue;
            }
            auto kv = splitKeyView(l.text());
            if (!kv)
                throw PluginError(QStringLiteral("应为 key: value 形式（冒号后需要空格）"), l.no);
            if (kv->key.startsWith(QLatin1Char('&')) || kv->key.startsWith(QLatin1Char('!'))) {
                Props keyProps;
                const QStringView bare = takeProps(kv->key, keyProps);
                if (!bare.isEmpty()) {
                    kv->key = bare;
                    define(&anchors, keyProps.anchor, TreeNode::makeString(bare.toString()));
                }
            }
            if (!seen.add(kv->key))
                throw PluginError(QStringLiteral("重复的键 ") + kv->key.toString(), l.no);
            ++pos;
            Props props;
            const QStringView v = takeProps(kv->value, props);
            TreeNode value;
            if (!v.isEmpty()) {
                value = inlineValue(v, props, l, indent);
            } else if (pos < lines.size()) {
                const Line& next = lines[pos];
                if (next.indent > indent)
                    value = node(indent + 1);
                else if (next.indent == indent && isItem(next.text()))
                    value = seq(indent);
            }
            define(&anchors, props.anchor, value);
            if (build)
                pairs.emplace_back(kv->key.toString(), std::move(value));
        }
        if (pos < lines.size() && lines[pos].indent > indent) {
            checkTab(lines[pos]);
            throw PluginError(QStringLiteral("缩进错误，此行比同级的键缩进更深"), lines[pos].no);
        }
        if (build)
            applyMerges(pairs);
        return TreeNode::makeMap(std::move(pairs));
    }

    // "? key" on line l, then optionally ": value" at the same indent.
    void explicitPair(const Line& l, int indent, Keys& seen, std::vector<std::pair<QString, TreeNode>>& pairs)
    {
        Props keyProps;
        QStringView key = takeProps(l.text().mid(1).trimmed(), keyProps);
        if (key.size() >= 2 && (key.front() == QLatin1Char('"') || key.front() == QLatin1Char('\'')) && key.back() == key.front())
            key = key.mid(1, key.size() - 2);
        if (!seen.add(key))
            throw PluginError(QStringLiteral("重复的键 ") + key.toString(), l.no);
        define(&anchors, keyProps.anchor, TreeNode::makeString(key.toString()));
        ++pos;
        TreeNode value;
        if (pos < lines.size() && lines[pos].indent == indent && isExplicitValue(lines[pos].text())) {
            Line& v = lines[pos];
            checkTab(v);
            const QStringView r = v.text().mid(1).trimmed();
            Props props;
            const QStringView rest = takeProps(r, props);
            if (rest.isEmpty()) {
                ++pos;
                if (pos < lines.size() && lines[pos].indent > indent)
                    value = node(indent + 1);
                else if (pos < lines.size() && lines[pos].indent == indent && isItem(lines[pos].text()))
                    value = seq(indent);
            } else if (isItem(r) || splitKeyView(r)) {
                // ": name: x" opens a mapping that goes on below, as "- name: x" does.
                props = Props();
                const int newIndent = indent + int(v.text().size() - r.size());
                v.from = v.full.size() - r.size();
                v.indent = newIndent;
                value = node(newIndent);
            } else {
                ++pos;
                value = inlineValue(rest, props, v, indent);
            }
            define(&anchors, props.anchor, value);
        }
        if (build)
            pairs.emplace_back(key.toString(), std::move(value));
    }

    TreeNode seq(int indent)
    {
        std::vector<TreeNode> items;
        while (pos < lines.size() && lines[pos].indent == indent && isItem(lines[pos].text())) {
            AnalysisBudget::poll();
            Line& l = lines[pos];
            checkTab(l);
            const QStringView r = l.text().mid(1).trimmed();
            Props props;
            const QStringView rest = takeProps(r, props);
            TreeNode item;
            if (rest.isEmpty()) {
                ++pos;
                if (pos < lines.size() && lines[pos].indent > indent)
                    item = node(indent + 1);
            } else if (isItem(r) || splitKeyView(r)) {
                // Properties before a key belong to the key; the mapping starts where they do.
                props = Props();
                const int newIndent = indent + int(l.text().size() - r.size());
                l.from = l.full.size() - r.size();
                l.indent = newIndent;
                item = node(newIndent);
            } else {
                ++pos;
                item = inlineValue(rest, props, l, indent);
            }
            define(&anchors, props.anchor, item);
            if (build)
                items.push_back(std::move(item));
            if (pos < lines.size() && lines[pos].indent > indent) {
                checkTab(lines[pos]);
                throw PluginError(QStringLiteral("缩进错误，序列项内容层级不一致"), lines[pos].no);
            }
        }
        return TreeNode::makeList(std::move(items));
    }

    // `after` is the 1-based number of the key's line, so raw[after] is the first content line.
    QString blockScalar(int after, int indent, bool folded, bool keep, bool strip)
    {
        QStringList parts;
        int contentIndent = -1;
        qsizetype k = after;
        for (; k < raw->size(); ++k) {
            AnalysisBudget::poll();
            const QStringView r = (*raw)[k];
            if (isBlank(r)) {
                if (build)
                    parts << QString();
                continue;
            }
            const int lead = leadingSpaces(r);
            if (lead <= indent || (lead == 0 && isDocumentMarker(r)))
                break;
            if (contentIndent < 0)
                contentIndent = lead;
            if (build)
                parts << r.mid(std::min(contentIndent, lead)).toString();
        }
        skipThrough(int(k)); // 1-based number of the last line taken
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

TreeNode parseDocument(P& p)
{
    const auto tabFirst = [&p] {
        if (const Line* t = p.firstTab())
            throw PluginError(QStringLiteral("缩进不能使用 Tab"), t->no);
    };
    if (p.lines.empty())
        return TreeNode::makeNull();
    TreeNode root;
    try {
        root = p.node(0);
        if (p.pos < p.lines.size())
            throw PluginError(QStringLiteral("缩进错误，此行与上文层级不匹配"), p.lines[p.pos].no);
    } catch (const PluginError&) {
        // A tab in the indentation is reported first, as it makes every later level doubtful.
        tabFirst();
        throw;
    }
    tabFirst();
    return root;
}

}

TreeNode scalar(const QString& text, int line) { return scalarAt(text, line, 0); }
TreeNode flow(const QString& text, int line) { return flowAt(text.trimmed(), line, 0, false, nullptr); }

std::optional<std::pair<QString, QString>> splitKey(const QString& line)
{
    if (auto kv = splitKeyView(line))
        return std::make_pair(kv->key.toString(), kv->value.toString());
    return std::nullopt;
}

namespace {

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
        } else if (c == QLatin1Char(':') && depth == 0 && (k + 1 == line.size() || line[k + 1] == QLatin1Char(' '))) {
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

}

namespace {

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

QString stripComment(const QString& s) { return stripCommentView(s).toString(); }

namespace {

std::vector<TreeNode> parseAll(const QString& text, bool build)
{
    const QString norm = LineEnding::normalize(text);
    std::vector<QStringView> raw;
    for (qsizetype a = 0;;) {
        const qsizetype b = norm.indexOf(QLatin1Char('\n'), a);
        raw.push_back(QStringView(norm).mid(a, (b < 0 ? norm.size() : b) - a));
        if (b < 0)
            break;
        a = b + 1;
    }
    std::vector<std::vector<Line>> docs(1);
    docs.back().reserve(raw.size());
    bool started = false; // the current document was opened by "---"
    bool ended = false;   // "..." closed it: what follows starts the next one
    for (qsizetype k = 0; k < raw.size(); ++k) {
        AnalysisBudget::poll();
        const QStringView r = raw[k];
        if (isMarker(r, QLatin1Char('-'))) {
            if (!docs.back().empty() || started || ended)
                docs.emplace_back();
            started = true;
            ended = false;
            // "--- !tag", "--- |" or "--- value": the document starts on this line.
            const QStringView rest = stripCommentView(trimSpacesTabs(r.mid(3)));
            if (!rest.isEmpty())
                docs.back().push_back(Line{int(k + 1), 0, rest});
            continue;
        }
        if (isMarker(r, QLatin1Char('.'))) {
            ended = true;
            started = false;
            continue;
        }
        const QStringView t = trimSpacesTabs(r);
        if (t.isEmpty() || t.startsWith(QLatin1Char('#')) || t == QLatin1String("---"))
            continue;
        if (r.startsWith(QLatin1Char('%')) && (ended || (docs.back().empty() && !started)))
            continue; // a directive before the document's start
        if (ended) {
            docs.emplace_back();
            ended = false;
        }
        int lead = 0;
        bool tab = false;
        while (lead < r.size() && (r[lead] == QLatin1Char(' ') || r[lead] == QLatin1Char('\t'))) {
            tab = tab || r[lead] == QLatin1Char('\t');
            ++lead;
        }
        docs.back().push_back(Line{int(k + 1), lead, stripCommentView(t), 0, tab});
    }
    std::vector<TreeNode> out;
    for (auto& lines : docs) {
        if (lines.empty())
            continue;
        P p;
        p.raw = &raw;
        p.build = build;
        p.anchors.record = build;
        p.lines = std::move(lines);
        out.push_back(parseDocument(p));
    }
    if (out.empty())
        out.push_back(TreeNode::makeNull());
    return out;
}

}

std::vector<TreeNode> parseDocuments(const QString& text) { return parseAll(text, true); }

void check(const QString& text) { parseAll(text, false); }

TreeNode parse(const QString& text) { return parseDocuments(text).front(); }

}
