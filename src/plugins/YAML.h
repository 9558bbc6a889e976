#pragma once

#include "plugins/TreeNode.h"

#include <QString>
#include <optional>
#include <utility>

// The block subset of YAML used by configuration files: indented mappings
// and sequences, quoted and plain scalars, block scalars, one-line flow
// collections and comments.
namespace YAML {

// Nesting deeper than this is reported instead of recursing further.
inline constexpr int maxDepth = 512;

// Throws PluginError naming the line.
TreeNode parse(const QString& text);

TreeNode scalar(const QString& text, int line);
TreeNode flow(const QString& text, int line);
std::optional<std::pair<QString, QString>> splitKey(const QString& line);
QString stripComment(const QString& s);
}
