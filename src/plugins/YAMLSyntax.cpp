#include "plugins/YAMLSyntax.h"

#include "plugins/FormatPlugin.h"
#include "plugins/KeySet.h"
#include "plugins/YAMLScanner.h"

#include <QSet>
#include <QStringList>

namespace YAMLSyntax {

using namespace detail;

namespace {

constexpr int maxDepth = 512;

// A node's text when it is a one-line scalar that can be compared as a key.
struct NodeInfo {
    bool simple = false;
    QStringView text;
    int line = 0;
};

class Parser {
public:
    explicit Parser(const QString& text) : sc(text) {}

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
            if (t.type != T::directive && t.type != T::documentStart) {
                if (any && !ended)
                    fail(QStringLiteral("缩进错误，此行与上文层级不匹配"), t);
                node(true, false);
            } else {
                if (t.type == T::directive && any && !ended)
                    fail(QStringLiteral("指令前需要用 ... 结束上一个文档"), t);
                directives();
                const Tok& start = sc.peek();
                if (start.type != T::documentStart)
                    fail(QStringLiteral("指令后面应为文档开始标记 ---"), start);
                sc.next();
                const T c = sc.peek().type;
                if (c != T::directive && c != T::documentStart && c != T::documentEnd && c != T::streamEnd)
                    node(true, false);
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
    Scanner sc;
    QSet<QString> anchors;
    QSet<QString> handles;
    int depth = 0;

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
        NodeInfo info{false, {}, first.line};
        if (first.type == T::alias) {
            const Tok t = sc.next();
            if (!anchors.contains(sc.text(t).toString()))
                fail(QStringLiteral("未定义的别名 *") + sc.text(t).toString(), t);
            return info;
        }
        bool props = false;
        bool anchor = false, tag = false;
        while ((sc.peek().type == T::anchor && !anchor) || (sc.peek().type == T::tag && !tag)) {
            const Tok t = sc.next();
            props = true;
            if (t.type == T::anchor) {
                anchor = true;
                anchors.insert(sc.text(t).toString());
            } else {
                tag = true;
                checkTag(t);
            }
        }
        const Tok& t = sc.peek();
        if (indentlessSequence && t.type == T::blockEntry) {
            indentless();
            return info;
        }
        switch (t.type) {
        case T::scalar: {
            const Tok s = sc.next();
            if (s.style != '|' && s.style != '>') {
                info.simple = true;
                info.text = sc.text(s);
            }
            return info;
        }
        case T::flowSequenceStart:
        case T::flowMappingStart: flowCollection(); return info;
        case T::blockSequenceStart:
            if (block) {
                blockSequence();
                return info;
            }
            break;
        case T::blockMappingStart:
            if (block) {
                blockMapping();
                return info;
            }
            break;
        default: break;
        }
        if (props)
            return info;  // an empty node with properties
        fail(QStringLiteral("此处应为内容，但遇到%1").arg(describe(t)), t);
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

    void blockSequence()
    {
        sc.next();
        while (sc.peek().type == T::blockEntry) {
            sc.next();
            if (!ends(sc.peek().type, {T::blockEntry, T::blockEnd}))
                node(true, false);
        }
        const Tok& t = sc.peek();
        if (t.type != T::blockEnd)
            fail(QStringLiteral("序列中此处应为“- ”开头的项，但遇到%1（请检查缩进）").arg(describe(t)), t);
        sc.next();
    }

    void indentless()
    {
        while (sc.peek().type == T::blockEntry) {
            sc.next();
            if (!ends(sc.peek().type, {T::blockEntry, T::key, T::value, T::blockEnd}))
                node(true, false);
        }
    }

    void addKey(KeySet& keys, const NodeInfo& key)
    {
        if (key.simple && !keys.add(key.text))
            throw PluginError(QStringLiteral("重复的键 ") + key.text.toString(), key.line + 1);
    }

    void blockMapping()
    {
        sc.next();
        KeySet keys;
        for (;;) {
            const T t = sc.peek().type;
            if (t == T::key) {
                sc.next();
                if (!ends(sc.peek().type, {T::key, T::value, T::blockEnd}))
                    addKey(keys, node(true, true));
            } else if (t != T::value) {
                break;
            }
            if (sc.peek().type == T::value) {
                sc.next();
                if (!ends(sc.peek().type, {T::key, T::value, T::blockEnd}))
                    node(true, true);
            }
        }
        const Tok& t = sc.peek();
        if (t.type != T::blockEnd)
            fail(QStringLiteral("映射中此处应为“键: 值”，但遇到%1（请检查缩进）").arg(describe(t)), t);
        sc.next();
    }

    // A pair inside a flow collection, after "?" or before ":".
    void flowPair(T close, KeySet* keys)
    {
        if (sc.peek().type == T::key) {
            sc.next();
            if (!ends(sc.peek().type, {T::value, T::flowEntry, close})) {
                const NodeInfo k = node(false, false);
                if (keys)
                    addKey(*keys, k);
            }
        } else if (sc.peek().type != T::value) {
            const NodeInfo k = node(false, false);
            if (keys)
                addKey(*keys, k);
        }
        if (sc.peek().type == T::value) {
            sc.next();
            if (!ends(sc.peek().type, {T::flowEntry, close}))
                node(false, false);
        }
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
    void flowCollection()
    {
        const Tok open = sc.next();
        const bool mapping = open.type == T::flowMappingStart;
        const T close = mapping ? T::flowMappingEnd : T::flowSequenceEnd;
        KeySet keys;
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
            if (mapping || t == T::key || t == T::value)
                flowPair(close, mapping ? &keys : nullptr);
            else
                node(false, false);
        }
        sc.next();
    }
};

}

void check(const QString& text) { Parser(text).stream(); }

}
