#pragma once

#include "plugins/TreeNode.h"

#include <QString>
#include <utility>
#include <vector>

// The values of YAML scalars as the scanner found them, and the types the
// preview gives plain ones.
namespace YAMLSyntax::detail {

// The content of a plain scalar, its lines folded.
QString plainValue(QStringView raw);
// The text between the quotes: "''" is a quote, lines folded.
QString singleQuotedValue(QStringView raw);
// The text between the quotes: escapes replaced, lines folded.
QString doubleQuotedValue(QStringView raw);
// A block scalar's lines: `folded` for ">", `chomp` '-', '+' or 0.
QString blockValue(QStringView lines, int indent, bool folded, char16_t chomp);

// A plain scalar typed: null (~, null, empty), bool (true, yes, on and
// their opposites, as files spell them), number, or string.
TreeNode coreValue(const QString& text);
// A collection written as a key: its flow form.
QString keyText(const TreeNode& node);
// "<<" pairs whose value is a mapping (or a list of them) bring in the keys
// the mapping does not set itself; earlier sources win over later ones.
void applyMerges(std::vector<std::pair<QString, TreeNode>>& pairs);

}
