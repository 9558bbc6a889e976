#pragma once

#include "plugins/TreeNode.h"
#include "plugins/YAML.h"

#include <QHash>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

// The pieces of the YAML reader below the block structure: line tests,
// node properties and anchors, scalars and flow collections.
namespace YAML::detail {

struct KeyValue {
    QStringView key;
    QStringView value;
};
// "key: value" split at the first ": " outside quotes and brackets.
std::optional<KeyValue> splitKeyView(QStringView line);
QStringView stripCommentView(QStringView s);

// An indicator alone or followed by a space or a tab.
inline bool isIndicator(QStringView t, QLatin1Char c)
{
    return !t.isEmpty() && t[0] == c && (t.size() == 1 || t[1] == QLatin1Char(' ') || t[1] == QLatin1Char('\t'));
}
inline bool isItem(QStringView t) { return isIndicator(t, QLatin1Char('-')); }
// "? key" and ": value": a key and its value on lines of their own.
inline bool isExplicitKey(QStringView t) { return isIndicator(t, QLatin1Char('?')); }
inline bool isExplicitValue(QStringView t) { return isIndicator(t, QLatin1Char(':')); }
bool isBlank(QStringView s);
int leadingSpaces(QStringView s);
bool isMarker(QStringView r, QChar c);
bool isDocumentMarker(QStringView r);

// Anchors of one document and the copying budget of their aliases.
struct Anchors {
    QHash<QString, std::pair<TreeNode, qint64>> byName;
    qint64 budget = aliasNodeBudget;
};
void define(Anchors* anchors, const QString& name, const TreeNode& value);

struct Props {
    QString anchor;
    QString tag;
};
// Strips leading node properties: "&anchor", "!tag", "!!str", "!<uri>".
QStringView takeProps(QStringView v, Props& props);
bool forcesString(const Props& p);

// Without anchors (the public helpers) "&" and "*" values stay text.
TreeNode scalarAt(QStringView text, int line, int depth, bool inFlow = false, Anchors* anchors = nullptr);

// Bracket nesting outside quoted values, found in one pass: the deepest
// level, the level at the end, and whether a quote is still open there.
struct Nesting {
    int deepest = 0;
    int last = 0;
    bool quoteOpen = false;
};
Nesting flowNesting(QStringView s);
// The same measure carried from one piece of text to the next.
struct FlowScan {
    int depth = 0;
    int deepest = 0;
    QChar quote;
    QChar prev = QLatin1Char(',');
    // Returns the index just past the closing quote when asked to stop there, else -1.
    qsizetype feed(QStringView s, bool untilQuoteCloses = false);
};
TreeNode flowAt(const QString& s, int line, int depth, bool nestingChecked, Anchors* anchors);
void applyMerges(std::vector<std::pair<QString, TreeNode>>& pairs);

}
