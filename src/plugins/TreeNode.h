#pragma once

#include <QString>
#include <cstddef>
#include <utility>
#include <vector>

// How much of a parsed value a preview keeps and shows. Past `nodes` the
// parsers stop building (they still count), and the HTML stops at `nodes`
// values or `htmlChars` characters, whichever comes first.
struct TreeBudget {
    static constexpr std::size_t defaultNodes = 50000;
    static constexpr qsizetype defaultHTMLChars = qsizetype(10) << 20;  // 20 MB as UTF-16
    // One key or value shows at most this many characters, then its length.
    static constexpr qsizetype valueChars = 10000;

    std::size_t nodes = defaultNodes;
    qsizetype htmlChars = defaultHTMLChars;
    std::size_t kept = 0;   // values built
    std::size_t total = 0;  // values seen, built or not

    // Counts one value; false once the tree is full.
    bool take()
    {
        ++total;
        if (kept >= nodes)
            return false;
        ++kept;
        return true;
    }
    bool full() const { return kept >= nodes; }
};

// A parsed value, as shown by the tree previews. Map pairs keep source
// order and duplicates; the parsers decide what to do with those.
struct TreeNode {
    enum class Kind { map, list, string, number, boolean, null };

    Kind kind = Kind::null;
    bool flag = false;
    QString scalar;  // string value, or the number's source text
    std::vector<std::pair<QString, TreeNode>> pairs;
    std::vector<TreeNode> items;
    // Children of a map or list that a full budget left out of the tree.
    std::size_t omitted = 0;
    // The 0-based source line the value (or its key) starts on, -1 when unknown;
    // the preview carries it so it can follow the editor. Not part of the value.
    int line = -1;

    static TreeNode makeMap(std::vector<std::pair<QString, TreeNode>> p = {});
    static TreeNode makeList(std::vector<TreeNode> i = {});
    static TreeNode makeString(QString s);
    static TreeNode makeNumber(QString sourceText);
    static TreeNode makeBool(bool b);
    static TreeNode makeNull();

    // The collapsible tree. Past the budget the first part is shown with a
    // note giving the total; `parsed` is the budget the parser filled, when
    // it left values out.
    QString treeHTML(const TreeBudget* parsed = nullptr) const;
    QString html(const QString* key = nullptr) const;
    // Values in this tree, itself included, left-out children not counted.
    std::size_t count() const;

    bool operator==(const TreeNode& o) const
    {
        return kind == o.kind && flag == o.flag && scalar == o.scalar && pairs == o.pairs && items == o.items
            && omitted == o.omitted;
    }

private:
    struct Render;
    void appendHTML(QString& out, const QString* key, Render& r) const;
};
