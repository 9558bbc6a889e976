#pragma once

#include <QString>
#include <utility>
#include <vector>

// A parsed value, as shown by the tree previews. Map pairs keep source
// order and duplicates; the parsers decide what to do with those.
struct TreeNode {
    enum class Kind { map, list, string, number, boolean, null };

    Kind kind = Kind::null;
    QString scalar;   // string value, or the number's source text
    bool flag = false;
    std::vector<std::pair<QString, TreeNode>> pairs;
    std::vector<TreeNode> items;

    static TreeNode makeMap(std::vector<std::pair<QString, TreeNode>> p = {});
    static TreeNode makeList(std::vector<TreeNode> i = {});
    static TreeNode makeString(QString s);
    static TreeNode makeNumber(QString sourceText);
    static TreeNode makeBool(bool b);
    static TreeNode makeNull();

    QString treeHTML() const;
    QString html(const QString* key = nullptr) const;
    void appendHTML(QString& out, const QString* key) const;

    bool operator==(const TreeNode&) const = default;
};
