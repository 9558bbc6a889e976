#include "plugins/YAMLSyntax.h"

#include "plugins/FormatPlugin.h"
#include "plugins/KeySet.h"
#include "plugins/YAML.h"
#include "plugins/YAMLScanner.h"
#include "plugins/YAMLValues.h"

#include <QHash>
#include <QSet>
#include <QStringList>

namespace YAMLSyntax {

using namespace detail;

namespace {

using YAML::maxDepth;

using Pairs = std::vector<std::pair<QString, TreeNode>>;

// A node as the check sees it (its text when it is a one-line scalar that can
// be compared as a key) and, when the tree is built, its value.
struct NodeInfo {
    bool simple = false;
    QStringView text;
    int line = 0;
    TreeNode value;
    QString key;  // a scalar's text, the value as a mapping's key

    // Collections are written out only when they are keys.
    QString takeKey()
    {
        const bool collection = value.kind == TreeNode::Kind::map || value.kind == TreeNode::Kind::list;
        return collection ? keyText(value) : std::move(key);
    }
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

bool isStrTag(QStringView tag)
{
    return tag == QLatin1String("!!str") || tag == QLatin1String("!<tag:yaml.org,2002:str>")
        || tag == QLatin1String("!");
}

class Parser {
public:
    // With `build` the values are composed into trees, one per document.
    Parser(const QString& text, bool build) : sc(text), build(build) {}

    std::vector<TreeNode> docs;

    void stream()
    {
        bool ended = true;  // the previous document was closed by "..." (or there was none)
        bool any = false;
        for (;;) {
            while (sc.peek().type == T::documentEnd) {
                sc.next();
                ended = true;
            }
            const Tok& t = sc.peek();
            if (t.type == T::streamEnd)
                return;
            anchors.clear();
            handles.clear();
            defined.clear();
            budget = YAML::aliasNodeBudget;
            if (t.type != T::directive && t.type != T::documentStart) {
                if (any && !ended)
                    fail(QStringLiteral("缩进错误，此行与上文层级不匹配"), t);
                document(node(true, false));
            } else {
                if (t.type == T::directive && any && !ended)
                    fail(QStringLiteral("指令前需要用 ... 结束上一个文档"), t);
                directives();
                const Tok& start = sc.peek();
                if (start.type != T::documentStart)
                    fail(QStringLiteral("指令后面应为文档开始标记 ---"), start);
                const int line = sc.next().line;
                const T c = sc.peek().type;
                if (c != T::directive && c != T::documentStart && c != T::documentEnd && c != T::streamEnd) {
                    document(node(true, false));
                } else {
                    NodeInfo empty;
                    empty.line = line;
                    document(std::move(empty));
                }
            }
            any = true;
            ended = false;
            const Tok& after = sc.peek();
            if (after.type != T::documentStart && after.type != T::documentEnd && after.type != T::streamEnd
                && after.type != T::directive)
                fail(QStringLiteral("缩进错误，此行与上文层级不匹配"), after);
        }
    }

private:
    // An anchored value, its key text and its size for the alias budget.
    struct Anchor {
        TreeNode value;
        QString key;
        qint64 nodes = 0;
    };

    Scanner sc;
    bool build;
    QSet<QString> anchors;
    QSet<QString> handles;
    int depth = 0;
    QHash<QString, Anchor> defined;
    qint64 budget = YAML::aliasNodeBudget;

    void document(NodeInfo info)
    {
        if (!build)
            return;
        info.value.line = info.line;
        docs.push_back(std::move(info.value));
    }

    // An alias copies its anchor's value while the document's budget lasts;
    // past it the alias stays as written.
    void resolve(const QString& name, NodeInfo& info)
    {
        const auto it = defined.constFind(name);
        if (it != defined.cend() && it->nodes <= budget) {
            budget -= it->nodes;
            info.value = it->value;
            info.key = it->key;
        } else {
            info.key = QLatin1Char('*') + name;
            info.value = TreeNode::makeString(info.key);
        }
        info.value.line = info.line;
    }

    void scalar(const Tok& t, QStringView tag, NodeInfo& info)
    {
        const QStringView raw = sc.text(t);
        switch (t.style) {
        case 0: info.key = plainValue(raw); break;
        case '\'': info.key = singleQuotedValue(raw); break;
        case '"': info.key = doubleQuotedValue(raw); break;
        default: info.key = blockValue(raw, t.indent, t.style == '>', t.chomp); break;
        }
        info.value = t.style == 0 && !isStrTag(tag) ? coreValue(info.key) : TreeNode::makeString(info.key);
        info.value.line = info.line;
    }

    [[noreturn]] static void fail(const QString& message, const Tok& t) { throw PluginError(message, t.line + 1); }

    struct Depth {
        Parser& p;
        Depth(Parser& parser, const Tok& t) : p(parser)
        {
            if (++p.depth > maxDepth)
                fail(QStringLiteral("嵌套层级过深（最多 %1 层）").arg(maxDepth), t);
        }
        ~Depth() { --p.depth; }
    };

    void directives()
    {
        bool version = false;
        while (sc.peek().type == T::directive) {
            const Tok t = sc.next();
            const QStringList words = sc.text(t).toString().simplified().split(QLatin1Char(' '));
            const QString& name = words.front();
            if (name == QLatin1String("YAML")) {
                if (version)
                    fail(QStringLiteral("重复的 %YAML 指令"), t);
                version = true;
            } else if (name == QLatin1String("TAG")) {
                const QString handle = words.value(1);
                if (handles.contains(handle))
                    fail(QStringLiteral("重复定义的标签前缀 ") + handle, t);
                handles.insert(handle);
            }
        }
    }

    bool ends(T t, std::initializer_list<T> set) const
    {
        for (T x : set)
            if (x == t)
                return true;
        return false;
    }

    NodeInfo node(bool block, bool indentlessSequence)
    {
        const Tok& first = sc.peek();
        Depth guard(*this, first);
        NodeInfo info;
        info.line = first.line;
        if (first.type == T::alias) {
            const Tok t = sc.next();
            const QString name = sc.text(t).toString();
            if (!anchors.contains(name))
                fail(QStringLiteral("未定义的别名 *") + name, t);
            if (build)
                resolve(name, info);
            return info;
        }
        bool props = false;
        bool anchor = false, tag = false;
        QString anchorName;
        QStringView tagText;
        while ((sc.peek().type == T::anchor && !anchor) || (sc.peek().type == T::tag && !tag)) {
            const Tok t = sc.next();
            props = true;
            if (t.type == T::anchor) {
                anchor = true;
                anchorName = sc.text(t).toString();
                anchors.insert(anchorName);
            } else {
                tag = true;
                tagText = sc.text(t);
                checkTag(t);
            }
        }
        content(info, block, indentlessSequence, props, tagText);
        if (build && anchor) {
            const qint64 nodes = countNodes(info.value);
            defined.insert(anchorName, Anchor{info.value, info.key, nodes});
        }
        return info;
    }

    void content(NodeInfo& info, bool block, bool indentlessSequence, bool props, QStringView tag)
    {
        const Tok& t = sc.peek();
        if (indentlessSequence && t.type == T::blockEntry) {
            indentless(info);
            return;
        }
        switch (t.type) {
        case T::scalar: {
            const Tok s = sc.next();
            if (s.style != '|' && s.style != '>') {
                info.simple = true;
                info.text = sc.text(s);
            }
            if (build)
                scalar(s, tag, info);
            return;
        }
        case T::flowSequenceStart:
        case T::flowMappingStart: flowCollection(info); return;
        case T::blockSequenceStart:
            if (block) {
                blockSequence(info);
                return;
            }
            break;
        case T::blockMappingStart:
            if (block) {
                blockMapping(info);
                return;
            }
            break;
        default: break;
        }
        if (!props)
            fail(QStringLiteral("此处应为内容，但遇到%1").arg(describe(t)), t);
        // An empty node with properties.
        if (build && isStrTag(tag))
            info.value = TreeNode::makeString({});
        info.value.line = info.line;
    }

    void collection(NodeInfo& info, TreeNode value)
    {
        if (!build)
            return;
        info.value = std::move(value);
        info.value.line = info.line;
    }

    void checkTag(const Tok& t)
    {
        const QStringView tag = sc.text(t);
        if (tag.startsWith(QLatin1String("!<")) || tag.size() < 2)
            return;
        const qsizetype second = tag.indexOf(QLatin1Char('!'), 1);
        if (second < 0 || second == 1)
            return;  // "!local" and "!!secondary" need no declaration
        const QString handle = tag.left(second + 1).toString();
        if (!handles.contains(handle))
            fail(QStringLiteral("未定义的标签前缀 ") + handle, t);
    }

    void blockSequence(NodeInfo& info)
    {
        sc.next();
        std::vector<TreeNode> items;
        while (sc.peek().type == T::blockEntry) {
            const int line = sc.next().line;
            TreeNode item;
            if (!ends(sc.peek().type, {T::blockEntry, T::blockEnd}))
                item = node(true, false).value;
            if (build) {
                item.line = line;
                items.push_back(std::move(item));
            }
        }
        collection(info, TreeNode::makeList(std::move(items)));
        const Tok& t = sc.peek();
        if (t.type != T::blockEnd)
            fail(QStringLiteral("序列中此处应为“- ”开头的项，但遇到%1（请检查缩进）").arg(describe(t)), t);
        sc.next();
    }

    void indentless(NodeInfo& info)
    {
        std::vector<TreeNode> items;
        while (sc.peek().type == T::blockEntry) {
            const int line = sc.next().line;
            TreeNode item;
            if (!ends(sc.peek().type, {T::blockEntry, T::key, T::value, T::blockEnd}))
                item = node(true, false).value;
            if (build) {
                item.line = line;
                items.push_back(std::move(item));
            }
        }
        collection(info, TreeNode::makeList(std::move(items)));
    }

    void addPair(Pairs& pairs, QString key, TreeNode value, int line)
    {
        if (!build)
            return;
        value.line = line;
        pairs.emplace_back(std::move(key), std::move(value));
    }

    void finishMap(NodeInfo& info, Pairs pairs)
    {
        if (!build)
            return;
        applyMerges(pairs);
        collection(info, TreeNode::makeMap(std::move(pairs)));
    }

    void addKey(KeySet& keys, const NodeInfo& key)
    {
        if (key.simple && !keys.add(key.text))
            throw PluginError(QStringLiteral("重复的键 ") + key.text.toString(), key.line + 1);
    }

    void blockMapping(NodeInfo& info)
    {
        sc.next();
        KeySet keys;
        Pairs pairs;
        for (;;) {
            const T t = sc.peek().type;
            const int line = sc.peek().line;
            QString key;
            if (t == T::key) {
                sc.next();
                if (!ends(sc.peek().type, {T::key, T::value, T::blockEnd})) {
                    NodeInfo k = node(true, true);
                    addKey(keys, k);
                    key = k.takeKey();
                }
            } else if (t != T::value) {
                break;
            }
            TreeNode value;
            if (sc.peek().type == T::value) {
                sc.next();
                if (!ends(sc.peek().type, {T::key, T::value, T::blockEnd}))
                    value = node(true, true).value;
            }
            addPair(pairs, std::move(key), std::move(value), line);
        }
        finishMap(info, std::move(pairs));
        const Tok& t = sc.peek();
        if (t.type != T::blockEnd)
            fail(QStringLiteral("映射中此处应为“键: 值”，但遇到%1（请检查缩进）").arg(describe(t)), t);
        sc.next();
    }

    // A pair inside a flow collection, after "?" or before ":".
    void flowPair(T close, KeySet* keys, Pairs& pairs)
    {
        const int line = sc.peek().line;
        QString key;
        auto readKey = [&] {
            NodeInfo k = node(false, false);
            if (keys)
                addKey(*keys, k);
            key = k.takeKey();
        };
        if (sc.peek().type == T::key) {
            sc.next();
            if (!ends(sc.peek().type, {T::value, T::flowEntry, close}))
                readKey();
        } else if (sc.peek().type != T::value) {
            readKey();
        }
        TreeNode value;
        if (sc.peek().type == T::value) {
            sc.next();
            if (!ends(sc.peek().type, {T::flowEntry, close}))
                value = node(false, false).value;
        }
        addPair(pairs, std::move(key), std::move(value), line);
    }

    // The end of the text or of the document inside a flow collection.
    static void unclosed(const Tok& open, const Tok& t)
    {
        if (t.type == T::streamEnd || t.type == T::documentStart || t.type == T::documentEnd)
            fail(open.type == T::flowSequenceStart ? QStringLiteral("[ 未闭合，缺少 ]")
                                                   : QStringLiteral("{ 未闭合，缺少 }"),
                 open);
    }

    // "[…]" or "{…}": entries split by commas, a trailing comma allowed.
    void flowCollection(NodeInfo& info)
    {
        const Tok open = sc.next();
        const bool mapping = open.type == T::flowMappingStart;
        const T close = mapping ? T::flowMappingEnd : T::flowSequenceEnd;
        KeySet keys;
        Pairs pairs;
        std::vector<TreeNode> items;
        for (bool first = true;; first = false) {
            if (sc.peek().type == close)
                break;
            unclosed(open, sc.peek());
            if (!first) {
                const Tok& t = sc.peek();
                if (t.type != T::flowEntry)
                    fail((mapping ? QStringLiteral("流式映射中应为 , 或 }，但遇到%1")
                                  : QStringLiteral("流式序列中应为 , 或 ]，但遇到%1"))
                             .arg(describe(t)),
                         t);
                sc.next();
                if (sc.peek().type == close)
                    break;
                unclosed(open, sc.peek());
            }
            const T t = sc.peek().type;
            if (mapping) {
                flowPair(close, &keys, pairs);
            } else if (t == T::key || t == T::value) {
                // "[a: b]": an entry that is a pair is a mapping of one pair.
                NodeInfo single;
                single.line = sc.peek().line;
                Pairs one;
                flowPair(close, nullptr, one);
                finishMap(single, std::move(one));
                if (build)
                    items.push_back(std::move(single.value));
            } else {
                TreeNode item = node(false, false).value;
                if (build)
                    items.push_back(std::move(item));
            }
        }
        sc.next();
        if (mapping)
            finishMap(info, std::move(pairs));
        else
            collection(info, TreeNode::makeList(std::move(items)));
    }
};

}

void check(const QString& text) { Parser(text, false).stream(); }

}

namespace YAML {

std::vector<TreeNode> parseDocuments(const QString& text)
{
    YAMLSyntax::Parser p(text, true);
    p.stream();
    return std::move(p.docs);
}

TreeNode parse(const QString& text)
{
    std::vector<TreeNode> docs = parseDocuments(text);
    return docs.empty() ? TreeNode::makeNull() : std::move(docs.front());
}

}
