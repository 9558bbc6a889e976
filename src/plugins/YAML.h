#pragma once

#include "plugins/TreeNode.h"

#include <QString>
#include <vector>

// YAML 1.2 streams as trees for the preview, composed by the same reader
// that checks them.
namespace YAML {

// Nesting deeper than this is reported instead of recursing further.
inline constexpr int maxDepth = 512;
// Nodes that aliases may copy per document; later aliases stay as "*name".
inline constexpr qint64 aliasNodeBudget = 100'000;

// Every document of the stream (an empty one is null); none for a stream of
// comments alone. Throws PluginError naming the line of the first problem.
std::vector<TreeNode> parseDocuments(const QString& text);
// The first document, or null when there is none.
TreeNode parse(const QString& text);

}
