#include "plugins/YAML.h"

#include "plugins/AnalysisBudget.h"
#include "plugins/FormatPlugin.h"
#include "plugins/KeySet.h"
#include "plugins/YAMLScalars.h"
#include "text/Blanks.h"
#include "text/LineEnding.h"

namespace YAML {

using namespace detail;

namespace {

// Views into the normalised document, which outlives the parse.
struct Line {
    int no = 0;
    int indent = 0;
    QStringView full;    // trimmed, comment removed
    qsizetype from = 0;  // a sequence item continuing on its dash's line starts further in
    bool tab = false;    // tab in the indentation: wrong unless the line turns out to be scalar content
    QStringView text() const { return full.mid(from); }
};

class P {
public:
    std::vector<Line> lines;
    const std::vector<QStringView>* raw = nullptr;
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
            value = node(minIndent);  // properties alone on their line belong to the node below
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
            return TreeNode::makeString(blockScalar(no, parentIndent, first == QLatin1Char('>'),
                                                    v.contains(QLatin1Char('+')), v.contains(QLatin1Char('-'))));
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
        QString out = trimBlanks(v).toString();
        int breaks = 0;
        for (qsizetype k = no; k < qsizetype(raw->size()); ++k) {
            AnalysisBudget::poll();
            const QStringView r = (*raw)[k];
            if (isDocumentMarker(r))
                break;
            const QStringView t = trimBlanks(r);
            if (t.isEmpty()) {
                ++breaks;
                continue;
            }
            qsizetype slashes = 0;
            while (slashes < out.size() && out[out.size() - 1 - slashes] == QLatin1Char('\\'))
                ++slashes;
            const bool escaped = q == QLatin1Char('"') && breaks == 0 && slashes % 2 == 1;
            if (escaped)
                out.chop(1);  // an escaped line break joins without a space
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
                throw PluginError(q == QLatin1Char('"') ? QStringLiteral("双引号字符串未闭合")
                                                        : QStringLiteral("单引号字符串未闭合"),
                                  no);
            return out;
        }
        return v.toString();  // never closed: reported as on one line
    }

    // A flow collection, joined with the following raw lines until its
    // brackets balance.
    QString flowLines(QStringView v, int no, bool& nestingChecked)
    {
        FlowScan scan;
        scan.feed(v);
        if (scan.depth <= 0 || scan.deepest > maxDepth) {
            // One line, already measured: the nesting bound needs no second pass.
            nestingChecked = scan.depth == 0 && scan.quote.isNull() && depth + scan.deepest <= maxDepth;
            return v.toString();
        }
        QString out = v.toString();
        bool quoteSpansLines = false;
        for (qsizetype k = no; k < qsizetype(raw->size()); ++k) {
            AnalysisBudget::poll();
            const QStringView r = (*raw)[k];
            if (isDocumentMarker(r))
                break;
            QStringView t = trimBlanks(r);
            QStringView head;  // the rest of a quoted value that began on an earlier line
            if (!scan.quote.isNull()) {
                quoteSpansLines = true;
                const qsizetype close = scan.feed(t, true);
                if (close < 0) {
                    out += QLatin1Char(' ');
                    out += t;
                    continue;
                }
                head = t.left(close);
                t = t.mid(close);
            }
            t = stripCommentView(t);
            if (head.isEmpty() && t.isEmpty())
                continue;
            scan.feed(t);
            out += QLatin1Char(' ');
            out += head;
            out += t;
            if (scan.depth <= 0 && scan.quote.isNull()) {
                skipThrough(int(k + 1));
                return out;
            }
        }
        // Never balanced: an open quote is reported as on its first line.
        return quoteSpansLines ? v.toString() : out;
    }

    TreeNode map(int indent)
    {
        std::vector<std::pair<QString, TreeNode>> pairs;
        KeySet seen;
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
            value.line = l.no - 1;
            pairs.emplace_back(kv->key.toString(), std::move(value));
        }
        if (pos < lines.size() && lines[pos].indent > indent) {
            checkTab(lines[pos]);
            throw PluginError(QStringLiteral("缩进错误，此行比同级的键缩进更深"), lines[pos].no);
        }
        applyMerges(pairs);
        return TreeNode::makeMap(std::move(pairs));
    }

    // "? key" on line l, then optionally ": value" at the same indent.
    void explicitPair(const Line& l, int indent, KeySet& seen, std::vector<std::pair<QString, TreeNode>>& pairs)
    {
        Props keyProps;
        QStringView key = takeProps(l.text().mid(1).trimmed(), keyProps);
        if (key.size() >= 2 && (key.front() == QLatin1Char('"') || key.front() == QLatin1Char('\''))
            && key.back() == key.front())
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
        value.line = l.no - 1;
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
            item.line = l.no - 1;
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
        for (; k < qsizetype(raw->size()); ++k) {
            AnalysisBudget::poll();
            const QStringView r = (*raw)[k];
            if (isBlank(r)) {
                parts << QString();
                continue;
            }
            const int lead = leadingSpaces(r);
            if (lead <= indent || (lead == 0 && isDocumentMarker(r)))
                break;
            if (contentIndent < 0)
                contentIndent = lead;
            parts << r.mid(std::min(contentIndent, lead)).toString();
        }
        skipThrough(int(k));  // 1-based number of the last line taken
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
        root.line = p.lines.front().no - 1;
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

namespace {

std::vector<TreeNode> parseAll(const QString& text)
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
    bool started = false;  // the current document was opened by "---"
    bool ended = false;    // "..." closed it: what follows starts the next one
    for (qsizetype k = 0; k < qsizetype(raw.size()); ++k) {
        AnalysisBudget::poll();
        const QStringView r = raw[k];
        if (isMarker(r, QLatin1Char('-'))) {
            if (!docs.back().empty() || started || ended)
                docs.emplace_back();
            started = true;
            ended = false;
            // "--- !tag", "--- |" or "--- value": the document starts on this line.
            const QStringView rest = stripCommentView(trimBlanks(r.mid(3)));
            if (!rest.isEmpty())
                docs.back().push_back(Line{int(k + 1), 0, rest});
            continue;
        }
        if (isMarker(r, QLatin1Char('.'))) {
            ended = true;
            started = false;
            continue;
        }
        const QStringView t = trimBlanks(r);
        if (t.isEmpty() || t.startsWith(QLatin1Char('#')) || t == QLatin1String("---"))
            continue;
        if (r.startsWith(QLatin1Char('%')) && (ended || (docs.back().empty() && !started)))
            continue;  // a directive before the document's start
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
        p.lines = std::move(lines);
        out.push_back(parseDocument(p));
    }
    if (out.empty())
        out.push_back(TreeNode::makeNull());
    return out;
}

}

std::vector<TreeNode> parseDocuments(const QString& text) { return parseAll(text); }

TreeNode parse(const QString& text) { return parseDocuments(text).front(); }

}
