#include "plugins/YAMLScanner.h"

#include "plugins/AnalysisBudget.h"
#include "plugins/FormatPlugin.h"

namespace YAMLSyntax::detail {

namespace {

// Implicit keys end within this many characters, as the grammar limits them.
constexpr qsizetype maxKeyLength = 1024;
// Deeper flow nesting is refused before its keys make every token slower.
constexpr int maxFlowDepth = 512;

bool isHex(char16_t c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

}

QString describe(const Tok& t)
{
    switch (t.type) {
    case T::streamEnd: return QStringLiteral("文件结尾");
    case T::directive: return QStringLiteral("指令 %");
    case T::documentStart: return QStringLiteral("文档开始标记 ---");
    case T::documentEnd: return QStringLiteral("文档结束标记 ...");
    case T::blockSequenceStart:
    case T::blockEntry: return QStringLiteral("序列项 -");
    case T::blockMappingStart: return QStringLiteral("映射");
    case T::blockEnd: return QStringLiteral("缩进减少");
    case T::flowSequenceStart: return QStringLiteral("[");
    case T::flowMappingStart: return QStringLiteral("{");
    case T::flowSequenceEnd: return QStringLiteral("]");
    case T::flowMappingEnd: return QStringLiteral("}");
    case T::key: return QStringLiteral("键 ?");
    case T::value: return QStringLiteral("冒号 :");
    case T::flowEntry: return QStringLiteral("逗号 ,");
    case T::alias: return QStringLiteral("别名 *");
    case T::anchor: return QStringLiteral("锚点 &");
    case T::tag: return QStringLiteral("标签 !");
    case T::scalar: return QStringLiteral("标量");
    }
    return {};
}

Scanner::Scanner(const QString& text) : src(text), s(reinterpret_cast<const char16_t*>(text.utf16())), n(text.size())
{
    if (n > 0 && s[0] == 0xFEFF)
        p = lineStart = 1;
}

void Scanner::fail(const QString& message, int atLine) const
{
    throw PluginError(message, (atLine < 0 ? line : atLine) + 1);
}

bool Scanner::blankAt(qsizetype k) const
{
    return k >= n || s[k] == ' ' || s[k] == '\t' || s[k] == '\n' || s[k] == '\r' || s[k] == 0xFEFF;
}

bool Scanner::flowIndicatorAt(qsizetype k) const
{
    const char16_t c = at(k);
    return c == ',' || c == '[' || c == ']' || c == '{' || c == '}';
}

void Scanner::lineBreak()
{
    p += (s[p] == '\r' && at(p + 1) == '\n') ? 2 : 1;
    ++line;
    lineStart = p;
    lineTab = false;
}

bool Scanner::markerAt(qsizetype k, char16_t c) const
{
    return k == lineStart && at(k) == c && at(k + 1) == c && at(k + 2) == c && blankAt(k + 3);
}

const Tok& Scanner::peek()
{
    while (needMore())
        fetch();
    return queue.front();
}

Tok Scanner::next()
{
    peek();
    Tok t = queue.front();
    queue.pop_front();
    ++taken;
    return t;
}

bool Scanner::needMore()
{
    if (queue.empty())
        return !done;
    if (done || possibleKeys == 0)
        return false;
    staleKeys();
    for (int level = 0; level <= flow; ++level)
        if (keys[std::size_t(level)].possible && keys[std::size_t(level)].token == taken)
            return true;
    return false;
}

void Scanner::push(T type, int l, int c, qsizetype a, qsizetype b, char16_t style)
{
    queue.push_back(Tok{type, l, c, a, b, style});
    lastLine = l;
    jsonLike = flow > 0
        && ((type == T::scalar && style != 0) || type == T::flowSequenceEnd || type == T::flowMappingEnd);
}

void Scanner::staleKeys()
{
    if (possibleKeys == 0)
        return;
    for (int level = 0; level <= flow; ++level) {
        SimpleKey& k = keys[std::size_t(level)];
        if (k.possible && (k.line != line || k.index + maxKeyLength < p)) {
            if (k.required)
                fail(QStringLiteral("应为 key: value 形式（冒号后需要空格）"), k.line);
            k.possible = false;
            --possibleKeys;
        }
    }
}

void Scanner::saveKey()
{
    const bool required = flow == 0 && indent == col();
    if (!allowKey)
        return;
    removeKey();
    SimpleKey& k = keys[std::size_t(flow)];
    k = SimpleKey{true, required, lineTab && flow == 0, taken + qsizetype(queue.size()), p, line, col()};
    ++possibleKeys;
}

void Scanner::removeKey()
{
    SimpleKey& k = keys[std::size_t(flow)];
    if (k.possible && k.required)
        fail(QStringLiteral("应为 key: value 形式（冒号后需要空格）"), k.line);
    if (k.possible)
        --possibleKeys;
    k.possible = false;
}

void Scanner::unwind(int column)
{
    if (flow > 0)
        return;
    while (indent > column) {
        indent = indents.back();
        indents.pop_back();
        push(T::blockEnd, line, col());
    }
}

bool Scanner::addIndent(int column)
{
    if (indent >= column)
        return false;
    indents.push_back(indent);
    indent = column;
    return true;
}

void Scanner::skipToToken()
{
    for (;;) {
        while (p < n && (s[p] == ' ' || s[p] == '\t')) {
            if (s[p] == '\t' && !lineTab) {
                // Indentation, or the space after "- ", "? " or ": " that opens a nested collection.
                bool structural = true;
                for (qsizetype k = lineStart; k < p && structural; ++k)
                    structural = s[k] == ' ' || s[k] == '\t' || s[k] == '-' || s[k] == '?' || s[k] == ':';
                lineTab = structural;
            }
            ++p;
        }
        if (p < n && s[p] == '#') {
            if (p > lineStart && !blankAt(p - 1))
                fail(QStringLiteral("注释 # 前面需要空格"));
            while (p < n && !breakAt(p))
                ++p;
        }
        if (breakAt(p)) {
            lineBreak();
            if (flow == 0)
                allowKey = true;
            continue;
        }
        if (p < n && s[p] == 0xFEFF && p == lineStart) {
            ++p;
            lineStart = p;
            continue;
        }
        return;
    }
}

void Scanner::fetch()
{
    AnalysisBudget::poll();
    skipToToken();
    staleKeys();
    unwind(col());
    if (p >= n) {
        unwind(-1);
        removeKey();
        allowKey = false;
        push(T::streamEnd, line, col());
        done = true;
        return;
    }
    const char16_t c = s[p];
    if (line != lastLine)
        checkFlowLine();
    if (p == lineStart) {
        if (c == '%') {
            directive();
            return;
        }
        if (markerAt(p, '-')) {
            documentMarker(T::documentStart);
            return;
        }
        if (markerAt(p, '.')) {
            documentMarker(T::documentEnd);
            return;
        }
    }
    switch (c) {
    case '[': flowStart(T::flowSequenceStart); return;
    case '{': flowStart(T::flowMappingStart); return;
    case ']': flowEnd(T::flowSequenceEnd); return;
    case '}': flowEnd(T::flowMappingEnd); return;
    case ',':
        if (flow > 0) {
            allowKey = true;
            removeKey();
            push(T::flowEntry, line, col());
            ++p;
            return;
        }
        break;
    case '*': anchorOrAlias(T::alias); return;
    case '&': anchorOrAlias(T::anchor); return;
    case '!': tag(); return;
    case '\'':
    case '"': quoted(); return;
    default: break;
    }
    if (c == '-' && (blankAt(p + 1))) {
        blockIndicator(T::blockEntry);
        return;
    }
    if (c == '?' && (blankAt(p + 1) || (flow > 0 && flowIndicatorAt(p + 1)))) {
        blockIndicator(T::key);
        return;
    }
    if (c == ':' && (blankAt(p + 1) || (flow > 0 && (flowIndicatorAt(p + 1) || jsonLike)))) {
        value();
        return;
    }
    if ((c == '|' || c == '>') && flow == 0) {
        blockScalar();
        return;
    }
    if (plainStarts()) {
        plain();
        return;
    }
    if (c == '\t')
        fail(QStringLiteral("缩进不能使用 Tab"));
    fail(QStringLiteral("此处不能出现字符 %1").arg(QChar(c)));
}

void Scanner::checkFlowLine() const
{
    if (flow == 0 || indent < 0)
        return;
    qsizetype lead = lineStart;
    while (lead < n && s[lead] == ' ')
        ++lead;
    // Mostly a bracket left open, with the next entries of the block below it;
    // a closing bracket may stand at the block's own indentation.
    if (lead - lineStart <= indent && at(lead) != ']' && at(lead) != '}')
        fail(opens.back().second == '[' ? QStringLiteral("[ 未闭合，缺少 ]") : QStringLiteral("{ 未闭合，缺少 }"),
             opens.back().first);
}

void Scanner::directive()
{
    unwind(-1);
    removeKey();
    allowKey = false;
    const int l = line;
    const qsizetype a = ++p;
    while (p < n && !blankAt(p))
        ++p;
    const QStringView name = src.mid(a, p - a);
    const qsizetype argsFrom = p;
    while (p < n && !breakAt(p) && !(s[p] == '#' && blankAt(p - 1)))
        ++p;
    const QStringView args = src.mid(argsFrom, p - argsFrom).trimmed();
    if (name == QLatin1String("YAML")) {
        const qsizetype dot = args.indexOf(QLatin1Char('.'));
        bool ok = dot > 0 && dot + 1 < args.size();
        for (qsizetype k = 0; ok && k < args.size(); ++k)
            ok = k == dot || (args[k] >= QLatin1Char('0') && args[k] <= QLatin1Char('9'));
        if (!ok)
            fail(QStringLiteral("%YAML 指令的版本号格式错误"));
    } else if (name == QLatin1String("TAG")) {
        const qsizetype sp = args.indexOf(QLatin1Char(' '));
        if (sp <= 0 || !args.startsWith(QLatin1Char('!')) || args[sp - 1] != QLatin1Char('!'))
            fail(QStringLiteral("%TAG 指令格式错误"));
    }
    push(T::directive, l, 0, a, p);
}

void Scanner::documentMarker(T type)
{
    unwind(-1);
    removeKey();
    allowKey = false;
    push(type, line, 0);
    p += 3;
    if (type == T::documentEnd) {
        qsizetype k = p;
        while (k < n && (s[k] == ' ' || s[k] == '\t'))
            ++k;
        if (k < n && !breakAt(k) && s[k] != '#')
            fail(QStringLiteral("文档结束标记 ... 后面不能有内容"));
    }
}

void Scanner::flowStart(T type)
{
    saveKey();
    if (flow >= maxFlowDepth)
        fail(QStringLiteral("嵌套层级过深（最多 %1 层）").arg(maxFlowDepth));
    ++flow;
    if (keys.size() <= std::size_t(flow))
        keys.resize(std::size_t(flow) + 1);
    keys[std::size_t(flow)] = SimpleKey{};  // left clear when this level last closed
    opens.emplace_back(line, s[p]);
    allowKey = true;
    push(type, line, col());
    ++p;
}

void Scanner::flowEnd(T type)
{
    removeKey();
    if (flow == 0)
        fail(QStringLiteral("多余的 %1").arg(QChar(s[p])));
    --flow;
    opens.pop_back();
    allowKey = false;
    push(type, line, col());
    jsonLike = flow > 0;
    ++p;
}

// "- " or "? ": in a block, an entry that may open a collection at its column.
void Scanner::blockIndicator(T type)
{
    const bool item = type == T::blockEntry;
    if (flow == 0) {
        if (!allowKey)
            fail(item ? QStringLiteral("此处不能开始序列项 -") : QStringLiteral("此处不能开始映射键 ?"));
        if (lineTab)
            fail(QStringLiteral("缩进不能使用 Tab"));
        if (addIndent(col()))
            push(item ? T::blockSequenceStart : T::blockMappingStart, line, col());
    }
    allowKey = item || flow == 0;
    removeKey();
    push(type, line, col());
    ++p;
}

void Scanner::value()
{
    SimpleKey& k = keys[std::size_t(flow)];
    if (k.possible) {
        if (k.tab)
            fail(QStringLiteral("缩进不能使用 Tab"), k.line);
        const auto where = queue.begin() + (k.token - taken);
        const auto key = queue.insert(where, Tok{T::key, k.line, k.col});
        if (flow == 0 && addIndent(k.col))
            queue.insert(key, Tok{T::blockMappingStart, k.line, k.col});
        k.possible = false;
        --possibleKeys;
        allowKey = false;
    } else {
        if (flow == 0) {
            if (!allowKey)
                fail(lastLine == line ? QStringLiteral("值中出现未加引号的 \": \"，需要加引号")
                                      : QStringLiteral("缩进错误，此行比同级的键缩进更深"));
            if (lineTab)
                fail(QStringLiteral("缩进不能使用 Tab"));
            if (addIndent(col()))
                push(T::blockMappingStart, line, col());
        }
        allowKey = flow == 0;
        removeKey();
    }
    push(T::value, line, col());
    ++p;
}

void Scanner::anchorOrAlias(T type)
{
    saveKey();
    allowKey = false;
    const int l = line, c = col();
    const qsizetype a = ++p;
    while (p < n && !blankAt(p) && !flowIndicatorAt(p))
        ++p;
    if (p == a)
        fail(type == T::alias ? QStringLiteral("别名 * 缺少名称") : QStringLiteral("锚点 & 缺少名称"));
    push(type, l, c, a, p);
}

void Scanner::tag()
{
    saveKey();
    allowKey = false;
    const int l = line, c = col();
    const qsizetype a = p;
    ++p;
    if (at(p) == '<') {
        while (p < n && s[p] != '>' && !blankAt(p))
            ++p;
        if (at(p) != '>' || p == a + 2)
            fail(QStringLiteral("标签 !<…> 缺少 >"));
        ++p;
    } else {
        while (p < n && !blankAt(p) && !(flow > 0 && flowIndicatorAt(p))) {
            if (s[p] == '%' && !(isHex(at(p + 1)) && isHex(at(p + 2))))
                fail(QStringLiteral("标签中的 % 后面应为两位十六进制数"));
            if (s[p] == '{' || s[p] == '}' || s[p] == '[' || s[p] == ']' || s[p] == ',')
                fail(QStringLiteral("标签中不能有字符 %1").arg(QChar(s[p])));
            ++p;
        }
    }
    if (!blankAt(p) && !(flow > 0 && flowIndicatorAt(p)))
        fail(QStringLiteral("标签后面需要空格"));
    push(T::tag, l, c, a, p);
}

void Scanner::blockScalar()
{
    allowKey = true;
    removeKey();
    const int l = line, c = col();
    const char16_t style = s[p];
    ++p;
    int increment = 0;
    char16_t chomp = 0;
    for (int k = 0; k < 2; ++k) {
        const char16_t x = at(p);
        if ((x == '+' || x == '-') && !chomp) {
            chomp = x;
            ++p;
        } else if (x >= '1' && x <= '9' && !increment) {
            increment = x - '0';
            ++p;
        } else if (x == '0') {
            fail(QStringLiteral("块标量的缩进指示符应为 1 到 9"));
        }
    }
    const qsizetype afterIndicators = p;
    while (p < n && (s[p] == ' ' || s[p] == '\t'))
        ++p;
    if (at(p) == '#') {
        if (p == afterIndicators)
            fail(QStringLiteral("注释 # 前面需要空格"));
        while (p < n && !breakAt(p))
            ++p;
    }
    if (p < n && !breakAt(p))
        fail(QStringLiteral("块标量指示符 %1 后面只能有注释").arg(QChar(style)));
    if (p < n)
        lineBreak();
    const qsizetype content = p;
    const int minIndent = std::max(indent + 1, 0);
    int blockIndent = increment ? std::max(indent, 0) + increment : -1;
    // Leading empty lines, then the first content line's indentation.
    if (blockIndent < 0) {
        int widest = 0;
        int widestLine = line;
        qsizetype k = p;
        int kLine = line;
        for (;;) {
            qsizetype sp = k;
            while (sp < n && s[sp] == ' ')
                ++sp;
            if (sp < n && s[sp] == '\t' && int(sp - k) < std::max(widest, minIndent)) {
                qsizetype e = sp;
                while (e < n && (s[e] == ' ' || s[e] == '\t'))
                    ++e;
                if (e >= n || breakAt(e))
                    fail(QStringLiteral("缩进不能使用 Tab"), kLine);
            }
            if (sp < n && !breakAt(sp)) {
                const int content = int(sp - k);
                if (widest > content && content >= minIndent)
                    fail(QStringLiteral("块标量开头的空行比内容缩进得更深"), widestLine);
                blockIndent = std::max(content, minIndent);
                break;
            }
            if (int(sp - k) > widest) {
                widest = int(sp - k);
                widestLine = kLine;
            }
            if (sp >= n) {
                blockIndent = std::max(widest, minIndent);
                break;
            }
            k = sp + ((s[sp] == '\r' && at(sp + 1) == '\n') ? 2 : 1);
            ++kLine;
        }
    }
    for (;;) {
        AnalysisBudget::poll();
        if (p >= n)
            break;
        qsizetype sp = p;
        while (sp < n && s[sp] == ' ' && sp - p < blockIndent)
            ++sp;
        if (int(sp - p) < blockIndent) {
            qsizetype e = sp;
            while (e < n && s[e] == ' ')
                ++e;
            if (e < n && !breakAt(e))
                break;  // less indented: the scalar ends
            p = e;
            if (p < n)
                lineBreak();
            continue;
        }
        if (markerAt(p, '-') || markerAt(p, '.'))
            break;
        p = sp;
        while (p < n && !breakAt(p))
            ++p;
        if (p < n)
            lineBreak();
    }
    push(T::scalar, l, c, content, p, style);
    pushed().chomp = chomp;
    pushed().indent = blockIndent;
}

void Scanner::quoted()
{
    saveKey();
    allowKey = false;
    const char16_t q = s[p];
    const int l = line, c = col();
    const qsizetype a = p + 1;
    ++p;
    for (;;) {
        if (p >= n)
            fail(q == '"' ? QStringLiteral("双引号字符串未闭合") : QStringLiteral("单引号字符串未闭合"), l);
        const char16_t x = s[p];
        if (x == q) {
            if (q == '\'' && at(p + 1) == '\'') {
                p += 2;
                continue;
            }
            break;
        }
        if (q == '"' && x == '\\') {
            const char16_t e = at(p + 1);
            int hex = 0;
            switch (e) {
            case '0':
            case 'a':
            case 'b':
            case 't':
            case '\t':
            case 'n':
            case 'v':
            case 'f':
            case 'r':
            case 'e':
            case ' ':
            case '"':
            case '/':
            case '\\':
            case 'N':
            case '_':
            case 'L':
            case 'P': p += 2; continue;
            case 'x': hex = 2; break;
            case 'u': hex = 4; break;
            case 'U': hex = 8; break;
            case '\n':
            case '\r': ++p; continue;
            default: fail(QStringLiteral("无效的转义 \\") + (e ? QString(QChar(e)) : QString()));
            }
            for (int k = 0; k < hex; ++k)
                if (!isHex(at(p + 2 + k)))
                    fail(QStringLiteral("无效的转义 \\") + QChar(e)
                         + src.mid(p + 2, std::min<qsizetype>(hex, n - p - 2)).toString());
            p += 2 + hex;
            continue;
        }
        if (breakAt(p)) {
            lineBreak();
            if (markerAt(p, '-') || markerAt(p, '.'))
                fail(QStringLiteral("引号字符串中不能出现文档标记"));
            qsizetype sp = p;
            while (sp < n && s[sp] == ' ')
                ++sp;
            qsizetype e = sp;
            while (e < n && (s[e] == ' ' || s[e] == '\t'))
                ++e;
            // An under-indented line mostly means the closing quote is missing.
            if (int(sp - p) <= indent && e < n && !breakAt(e))
                fail(q == '"' ? QStringLiteral("双引号字符串未闭合") : QStringLiteral("单引号字符串未闭合"), l);
            p = e;
            continue;
        }
        ++p;
    }
    push(T::scalar, l, c, a, p, q);
    ++p;
}

bool Scanner::plainStarts() const
{
    const char16_t c = s[p];
    switch (c) {
    case '-':
    case '?':
    case ':': return !blankAt(p + 1) && !(flow > 0 && flowIndicatorAt(p + 1));
    case ',':
    case '[':
    case ']':
    case '{':
    case '}':
    case '#':
    case '&':
    case '*':
    case '!':
    case '|':
    case '>':
    case '\'':
    case '"':
    case '%':
    case '@':
    case '`':
    case ' ':
    case '\t':
    case '\n':
    case '\r': return false;
    default: return true;
    }
}

void Scanner::plain()
{
    saveKey();
    allowKey = false;
    const int l = line, c = col();
    const qsizetype a = p;
    qsizetype end = p;
    const int minCol = indent + 1;
    for (;;) {
        if (at(p) == '#')
            break;
        const qsizetype runStart = p;
        while (p < n) {
            const char16_t x = s[p];
            if (x == ' ' || x == '\t' || x == '\n' || x == '\r')
                break;
            if (x == ':' && (blankAt(p + 1) || (flow > 0 && flowIndicatorAt(p + 1))))
                break;
            if (flow > 0 && (x == ',' || x == '[' || x == ']' || x == '{' || x == '}'))
                break;
            ++p;
        }
        if (p == runStart)
            break;
        allowKey = false;
        end = p;
        // Blanks, and line breaks with the indentation after them.
        while (p < n && (s[p] == ' ' || s[p] == '\t'))
            ++p;
        if (!breakAt(p))
            continue;
        bool stop = false;
        while (breakAt(p)) {
            lineBreak();
            allowKey = true;
            if (markerAt(p, '-') || markerAt(p, '.')) {
                stop = true;
                break;
            }
            while (p < n && s[p] == ' ')
                ++p;
            // Only spaces indent: a line less indented ends the scalar, before its tabs.
            if (flow == 0 && col() < minCol) {
                qsizetype e = p;
                while (e < n && (s[e] == ' ' || s[e] == '\t'))
                    ++e;
                if (e < n && !breakAt(e)) {
                    stop = true;
                    break;
                }
            }
            while (p < n && (s[p] == ' ' || s[p] == '\t')) {
                lineTab = lineTab || flow == 0;
                ++p;
            }
            if (p < n && !breakAt(p))
                checkFlowLine();
        }
        if (stop || (flow == 0 && col() < minCol))
            break;
        lineTab = false;
    }
    push(T::scalar, l, c, a, end, 0);
}

}
