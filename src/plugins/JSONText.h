#pragma once

#include "plugins/TreeNode.h"

#include <QByteArrayView>
#include <QString>

// JSON text helpers: a strict byte-level parser that tolerates comments,
// printers that keep key order and number text, and string escaping.
namespace JSONText {

// Nesting deeper than this is reported instead of recursing further.
inline constexpr int maxDepth = 512;

// Throws PluginError with the line and a "第 C 列：" prefixed message.
TreeNode parse(const QString& text);
// Builds at most budget.nodes values; the rest are checked and counted.
TreeNode parseWithin(const QString& text, TreeBudget& budget);
// Same checks as parse without building the tree.
void check(const QString& text);
// The same over UTF-8 bytes, without a UTF-16 copy; lines and columns are
// the ones the QString forms report (columns in UTF-16 code units).
TreeNode parseUtf8(QByteArrayView utf8);
TreeNode parseUtf8Within(QByteArrayView utf8, TreeBudget& budget);
void checkUtf8(QByteArrayView utf8);

QString pretty(const TreeNode& node, const QString& indent);
QString compact(const TreeNode& node);
// Decodes JSON string content, quoted or not. Throws PluginError.
QString unescape(const QString& text);

// Backslash escapes for quote, backslash and control characters; "/" and
// non-ASCII are copied unchanged.
QString escape(const QString& s);
void appendEscaped(QString& out, const QString& s);
QString quote(const QString& s);
}
