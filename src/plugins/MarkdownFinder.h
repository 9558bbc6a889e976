#pragma once

#include <QStringView>

// First index at or after a position where a predicate holds (or the end).
// It remembers its last answer, so queries that move forward cost linear
// time in total however often they are asked.
template <class Pred>
struct MarkdownFinder {
    QStringView s;
    Pred pred;
    qsizetype from = -1, found = -1;

    qsizetype operator()(qsizetype i)
    {
        if (i >= from && i <= found)
            return found;
        qsizetype j = i;
        while (j < s.size() && !pred(j))
            ++j;
        from = i;
        found = j;
        return j;
    }
};

template <class Pred>
MarkdownFinder<Pred> markdownFinder(QStringView s, Pred pred)
{
    return MarkdownFinder<Pred>{s, pred};
}
