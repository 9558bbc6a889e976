#include "editor/ListNumbers.h"

#include "editor/CaretLines.h"
#include "editor/MarkdownList.h"

#include <vector>

namespace {

// How far a list is looked for around a line.
constexpr long reach = 2000;

// Items (outside quotes), blank lines and indented lines belong to a list.
bool inList(const QString& text)
{
    if (text.isEmpty() || text.front() == u' ' || text.front() == u'\t')
        return true;
    const auto item = MarkdownListLine::parse(text);
    return item && item->isItem() && item->quote.isEmpty();
}

std::optional<MarkdownListLine> itemOf(const std::optional<QString>& text)
{
    if (!text)
        return std::nullopt;
    auto item = MarkdownListLine::parse(*text);
    if (!item || !item->isItem() || !item->quote.isEmpty())
        return std::nullopt;
    return item;
}

// The nearest item above `line` with an indent no wider than `width`.
std::optional<std::pair<long, MarkdownListLine>> itemAbove(const CaretLines& lines, long line, qsizetype width)
{
    for (long l = line - 1; l >= 0 && l > line - reach; --l) {
        const auto text = lines.text(l);
        if (!text || !inList(*text))
            return std::nullopt;
        if (auto item = itemOf(text); item && item->indent.size() <= width)
            return std::pair(l, *item);
    }
    return std::nullopt;
}

}

namespace ListNumbers {

void renumber(CaretLines& lines, long line)
{
    long first = line;
    while (first > 0 && line - first < reach) {
        const auto text = lines.text(first - 1);
        if (!text || !inList(*text))
            break;
        --first;
    }
    struct Level {
        qsizetype indent;
        int next;  // -1 for a bulleted level
    };
    std::vector<Level> levels;
    const long count = lines.count();
    for (long l = first; l < count && l - line < reach; ++l) {
        const auto text = lines.text(l);
        if (!text || !inList(*text))
            break;
        const auto item = itemOf(text);
        if (!item)
            continue;
        const qsizetype indent = item->indent.size();
        while (!levels.empty() && levels.back().indent > indent)
            levels.pop_back();
        if (levels.empty() || levels.back().indent < indent)
            levels.push_back({indent, -1});
        Level& level = levels.back();
        if (!item->isNumbered()) {
            level.next = -1;
            continue;
        }
        // A level's first number is the one written there.
        if (level.next < 0)
            level.next = item->number;
        if (item->number != level.next)
            lines.replaceInLine(l, *text, item->numberStart(), item->numberLength(), QString::number(level.next));
        ++level.next;
    }
}

bool nest(CaretLines lines, bool out)
{
    const long line = lines.caretLine();
    const auto text = lines.text(line);
    const auto item = itemOf(text);
    if (!item)
        return false;
    const qsizetype indent = item->indent.size();
    QString to;
    if (out) {
        if (indent == 0)
            return true;
        const auto parent = itemAbove(lines, line, indent - 1);
        to = parent ? parent->second.indent : QString();
    } else {
        // Under the item before it, at the column its text starts.
        const auto before = itemAbove(lines, line, indent);
        const bool sibling = before && before->second.indent.size() == indent;
        to = item->indent + QString(sibling ? before->second.markerWidth() : item->markerWidth(), u' ');
    }
    lines.replaceInLine(line, *text, 0, indent, to);
    if (item->isNumbered()) {
        // At its new level it follows the item before it there, or starts at 1.
        const auto now = lines.text(line);
        const auto moved = itemOf(now);
        const auto previous = itemAbove(lines, line, to.size());
        const bool follows = previous && previous->second.indent.size() == to.size() && previous->second.isNumbered();
        const int number = follows ? previous->second.number + 1 : 1;
        if (moved && moved->number != number)
            lines.replaceInLine(line, *now, moved->numberStart(), moved->numberLength(), QString::number(number));
        renumber(lines, line);
    }
    return true;
}

}
