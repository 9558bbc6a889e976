#include "editor/LineBreaks.h"

#include "editor/MarkdownList.h"

#include <QRegularExpression>

namespace {

bool blank(QChar c) { return c == u' ' || c == u'\t'; }

QStringView leadingBlanks(QStringView s)
{
    qsizetype i = 0;
    while (i < s.size() && blank(s[i]))
        ++i;
    return s.left(i);
}

QStringView trimmedEnd(QStringView s)
{
    while (!s.isEmpty() && blank(s.back()))
        s.chop(1);
    return s;
}

QChar closerOf(QChar opener)
{
    switch (opener.unicode()) {
    case u'{': return u'}';
    case u'[': return u']';
    case u'(': return u')';
    default: return {};
    }
}

// Whether a line ending like `head` opens a block whose lines go one level deeper.
bool opensBlock(QStringView head, const QString& format)
{
    if (head.isEmpty())
        return false;
    const QChar last = head.back();
    if (format == QLatin1String("json"))
        return last == u'{' || last == u'[';
    if (format == QLatin1String("plantuml"))
        return last == u'{';
    if (format == QLatin1String("yaml")) {
        if (last == u'{' || last == u'[')
            return true;
        // "key:" or "- key:" with nothing after the colon; not a comment.
        static const QRegularExpression key(QStringLiteral(R"(^\s*(- +)?[^\s#-][^#]*:$)"));
        return last == u':' && key.match(head.toString()).hasMatch();
    }
    if (format == QLatin1String("toml")) {
        // "key = [" starts a multi-line array; an inline table stays on its line.
        static const QRegularExpression array(QStringLiteral(R"(^\s*[A-Za-z0-9_."'-]+\s*=\s*\[$)"));
        return last == u'[' && array.match(head.toString()).hasMatch();
    }
    return false;
}

}

LineBreak LineBreak::indented(QStringView before, QStringView after, const QString& format, const Indent& indent)
{
    const QString keep = leadingBlanks(before).toString();
    const QStringView head = trimmedEnd(before);
    if (!opensBlock(head, format))
        return {before.size(), 0, u'\n' + keep, 1 + keep.size(), false};
    QString base = keep;
    // Under "- key:" the nested keys go deeper than the key, not the dash.
    if (format == QLatin1String("yaml") && head.sliced(keep.size()).startsWith(QLatin1String("- "))) {
        const QStringView afterDash = head.sliced(keep.size() + 1);
        base += QString(1 + leadingBlanks(afterDash).size(), u' ');
    }
    const QString inner = base + (indent.tabs ? QStringLiteral("\t") : QString(indent.width, u' '));
    const QStringView rest = after.sliced(leadingBlanks(after).size());
    if (!rest.isEmpty() && rest.front() == closerOf(head.back())) {
        // Between a pair: the closer goes to a line of its own at the outer indent.
        const QString open = u'\n' + inner;
        return {head.size(), after.size() - rest.size(), open + u'\n' + keep, open.size(), false};
    }
    return {head.size(), 0, u'\n' + inner, 1 + inner.size(), false};
}

std::optional<LineBreak> LineBreak::markdown(QStringView before, QStringView after)
{
    const auto item = MarkdownListLine::parse(before);
    if (!item || before.size() < item->contentStart)
        return std::nullopt;
    if (before.sliced(item->contentStart).trimmed().isEmpty() && after.trimmed().isEmpty()) {
        // Enter on an empty item ends the list: the marker goes, the line stays.
        return LineBreak{0, 0, QString(), 0, false};
    }
    const QString next = u'\n' + item->next();
    return LineBreak{before.size(), 0, next, next.size(), item->isNumbered()};
}
