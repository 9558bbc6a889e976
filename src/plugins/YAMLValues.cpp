#include "plugins/YAMLValues.h"

#include <QSet>
#include <algorithm>

namespace YAMLSyntax::detail {

namespace {

bool isWhite(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }
bool isBreak(QChar c) { return c == QLatin1Char('\n') || c == QLatin1Char('\r'); }

// Past the line break at k: LF, CR LF or a lone CR.
qsizetype skipBreak(QStringView s, qsizetype k)
{
    return k + ((s[k] == QLatin1Char('\r') && k + 1 < s.size() && s[k + 1] == QLatin1Char('\n')) ? 2 : 1);
}

qsizetype lineEnd(QStringView s, qsizetype k)
{
    while (k < s.size() && !isBreak(s[k]))
        ++k;
    return k;
}

QStringView trimWhite(QStringView s)
{
    qsizetype a = 0, b = s.size();
    while (a < b && isWhite(s[a]))
        ++a;
    while (b > a && isWhite(s[b - 1]))
        --b;
    return s.mid(a, b - a);
}

// After a line break inside a quoted scalar: the empty lines that follow
// (each one a line feed) and the next line's indentation.
int skipEmptyLines(QStringView s, qsizetype& k)
{
    int empty = 0;
    for (;;) {
        while (k < s.size() && isWhite(s[k]))
            ++k;
        if (k >= s.size() || !isBreak(s[k]))
            return empty;
        ++empty;
        k = skipBreak(s, k);
    }
}

// The preview's numbers, from the exact source slice: [-+]? then digits with
// "_" between them, an optional fraction and exponent; 0x hexadecimal, .inf
// and .nan. Digits are any script's decimal digits.
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

// The character a double-quoted escape stands for; k is at the backslash and
// moves past the escape. The scanner has checked the escape already.
void unescape(QStringView s, qsizetype& k, QString& out)
{
    const char16_t e = k + 1 < s.size() ? s[k + 1].unicode() : 0;
    k += 2;
    int hex = 0;
    switch (e) {
    case '0': out += QChar(0); return;
    case 'a': out += QChar(7); return;
    case 'b': out += QChar(8); return;
    case 't':
    case '\t': out += QChar(9); return;
    case 'n': out += QChar(10); return;
    case 'v': out += QChar(11); return;
    case 'f': out += QChar(12); return;
    case 'r': out += QChar(13); return;
    case 'e': out += QChar(27); return;
    case 'N': out += QChar(0x85); return;
    case '_': out += QChar(0xA0); return;
    case 'L': out += QChar(0x2028); return;
    case 'P': out += QChar(0x2029); return;
    case 'x': hex = 2; break;
    case 'u': hex = 4; break;
    case 'U': hex = 8; break;
    default: out += QChar(e); return;
    }
    bool ok = false;
    const uint v = s.mid(k, hex).toUInt(&ok, 16);
    k += hex;
    const char32_t c = ok && v <= 0x10FFFF ? char32_t(v) : char32_t(0xFFFD);
    out += QString::fromUcs4(&c, 1);
}

QString quotedValue(QStringView s, bool escapes)
{
    QString out;
    out.reserve(s.size());
    qsizetype trail = -1;  // where the literal blanks before a line break start in out
    for (qsizetype k = 0; k < s.size();) {
        const QChar c = s[k];
        if (isWhite(c)) {
            if (trail < 0)
                trail = out.size();
            out += c;
            ++k;
            continue;
        }
        if (isBreak(c)) {
            if (trail >= 0)
                out.truncate(trail);
            k = skipBreak(s, k);
            const int empty = skipEmptyLines(s, k);
            out += empty ? QString(empty, QLatin1Char('\n')) : QStringLiteral(" ");
            trail = -1;
            continue;
        }
        trail = -1;
        if (!escapes) {
            out += c;
            k += (c == QLatin1Char('\'') && k + 1 < s.size() && s[k + 1] == c) ? 2 : 1;
        } else if (c != QLatin1Char('\\')) {
            out += c;
            ++k;
        } else if (k + 1 < s.size() && isBreak(s[k + 1])) {
            // An escaped line break joins the lines as they are.
            k = skipBreak(s, k + 1);
            out += QString(skipEmptyLines(s, k), QLatin1Char('\n'));
        } else {
            unescape(s, k, out);
        }
    }
    return out;
}

}

QString plainValue(QStringView raw)
{
    qsizetype k = lineEnd(raw, 0);
    if (k == raw.size())
        return raw.toString();
    QString out = trimWhite(raw.left(k)).toString();
    int empty = 0;
    while (k < raw.size()) {
        k = skipBreak(raw, k);
        const qsizetype e = lineEnd(raw, k);
        const QStringView line = trimWhite(raw.mid(k, e - k));
        k = e;
        if (line.isEmpty()) {
            ++empty;
            continue;
        }
        out += empty ? QString(empty, QLatin1Char('\n')) : QStringLiteral(" ");
        out += line;
        empty = 0;
    }
    return out;
}

QString singleQuotedValue(QStringView raw) { return quotedValue(raw, false); }

QString doubleQuotedValue(QStringView raw) { return quotedValue(raw, true); }

QString blockValue(QStringView s, int indent, bool folded, char16_t chomp)
{
    QString out;
    QString empty;              // line feeds of the empty lines since the last content line
    bool lineBreak = false;     // the last content line ended with a break
    bool moreIndented = false;  // ... and started with a blank, so it is not folded
    for (qsizetype k = 0; k < s.size();) {
        qsizetype from = k;
        while (from < s.size() && s[from] == QLatin1Char(' ') && from - k < indent)
            ++from;
        const qsizetype e = lineEnd(s, from);
        const qsizetype next = e < s.size() ? skipBreak(s, e) : e;
        // The text's last line ends as if a line break followed it.
        if (from == e) {
            if (e < s.size() || e > k)
                empty += QLatin1Char('\n');
            k = next;
            continue;
        }
        const bool blank = isWhite(s[from]);
        if (folded && lineBreak && !moreIndented && !blank) {
            if (empty.isEmpty())
                out += QLatin1Char(' ');
        } else if (lineBreak) {
            out += QLatin1Char('\n');
        }
        out += empty;
        empty.clear();
        moreIndented = blank;
        out += s.mid(from, e - from);
        lineBreak = true;
        k = next;
    }
    if (chomp != '-' && lineBreak)
        out += QLatin1Char('\n');
    if (chomp == '+')
        out += empty;
    return out;
}

TreeNode coreValue(const QString& s)
{
    // The words configuration files use for switches are switches too.
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
    default: break;
    }
    return isNumber(s) ? TreeNode::makeNumber(s) : TreeNode::makeString(s);
}

QString keyText(const TreeNode& node)
{
    switch (node.kind) {
    case TreeNode::Kind::string:
    case TreeNode::Kind::number: return node.scalar;
    case TreeNode::Kind::boolean: return node.flag ? QStringLiteral("true") : QStringLiteral("false");
    case TreeNode::Kind::null: return QStringLiteral("null");
    case TreeNode::Kind::list: {
        QStringList items;
        for (const TreeNode& i : node.items)
            items << keyText(i);
        return QLatin1Char('[') + items.join(QStringLiteral(", ")) + QLatin1Char(']');
    }
    case TreeNode::Kind::map: {
        QStringList pairs;
        for (const auto& [k, v] : node.pairs)
            pairs << k + QStringLiteral(": ") + keyText(v);
        return QLatin1Char('{') + pairs.join(QStringLiteral(", ")) + QLatin1Char('}');
    }
    }
    return {};
}

void applyMerges(std::vector<std::pair<QString, TreeNode>>& pairs)
{
    auto isMerge = [](const std::pair<QString, TreeNode>& p) {
        if (p.first != QLatin1String("<<"))
            return false;
        if (p.second.kind == TreeNode::Kind::map)
            return true;
        return p.second.kind == TreeNode::Kind::list
            && std::all_of(p.second.items.begin(), p.second.items.end(),
                           [](const TreeNode& i) { return i.kind == TreeNode::Kind::map; });
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

}
