#pragma once

#include "plugins/TreeNode.h"

#include <QString>
#include <optional>
#include <utility>
#include <vector>

// The block subset of YAML used by configuration files: indented mappings
// and sequences, quoted and plain scalars (also over several lines), block
// scalars, flow collections, anchors, aliases, merge keys, tags, comments
// and streams of several documents.
namespace YAML {

// Nesting deeper than this is reported instead of recursing further.
inline constexpr int maxDepth = 512;
// Nodes that aliases may copy per document; later aliases stay as "*name".
inline constexpr qint64 aliasNodeBudget = 100'000;

// Every document of the stream, each checked on its own. Throws
// PluginError naming the line of the first problem.
std::vector<TreeNode> parseDocuments(const QString& text);
// The first document (null when there is none); the others are checked too.
TreeNode parse(const QString& text);

TreeNode scalar(const QString& text, int line);
TreeNode flow(const QString& text, int line);
std::optional<std::pair<QString, QString>> splitKey(const QString& line);
QString stripComment(const QString& s);
}
