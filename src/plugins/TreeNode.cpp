#include "plugins/TreeNode.h"

#include "plugins/AnalysisBudget.h"
#include "plugins/HTML.h"
#include "plugins/JSONText.h"

TreeNode TreeNode::makeMap(std::vector<std::pair<QString, TreeNode>> p)
{
    TreeNode n;
    n.kind = Kind::map;
    n.pairs = std::move(p);
    return n;
}

TreeNode TreeNode::makeList(std::vector<TreeNode> i)
{
    TreeNode n;
    n.kind = Kind::list;
    n.items = std::move(i);
    return n;
}

TreeNode TreeNode::makeString(QString s)
{
    TreeNode n;
    n.kind = Kind::string;
    n.scalar = std::move(s);
    return n;
}

TreeNode TreeNode::makeNumber(QString sourceText)
{
    TreeNode n;
    n.kind = Kind::number;
    n.scalar = std::move(sourceText);
    return n;
}

TreeNode TreeNode::makeBool(bool b)
{
    TreeNode n;
    n.kind = Kind::boolean;
    n.flag = b;
    return n;
}

TreeNode TreeNode::makeNull() { return TreeNode{}; }

QString TreeNode::treeHTML() const
{
    QString out = QStringLiteral("<div class=\"tree\"><ul>");
    appendHTML(out, nullptr);
    out += QStringLiteral("</ul></div>");
    return out;
}

QString TreeNode::html(const QString* key) const
{
    QString out;
    appendHTML(out, key);
    return out;
}

// Appends into one buffer so large trees render in linear time.
void TreeNode::appendHTML(QString& out, const QString* key) const
{
    AnalysisBudget::poll(); // a huge tree must not hold the analysis queue
    auto prefix = [&] {
        if (key) {
            out += QStringLiteral("<span class=\"k\">");
            HTML::appendEsc(out, *key);
            out += QStringLiteral("</span>: ");
        }
    };
    switch (kind) {
    case Kind::map:
        out += QStringLiteral("<li><details open><summary>");
        prefix();
        out += QStringLiteral("<span class=\"meta\">{") + QString::number(pairs.size())
            + QStringLiteral("}</span></summary><ul>");
        for (const auto& [k, v] : pairs)
            v.appendHTML(out, &k);
        out += QStringLiteral("</ul></details></li>");
        break;
    case Kind::list: {
        out += QStringLiteral("<li><details open><summary>");
        prefix();
        out += QStringLiteral("<span class=\"meta\">[") + QString::number(items.size())
            + QStringLiteral("]</span></summary><ul>");
        for (std::size_t i = 0; i < items.size(); ++i) {
            const QString index = QString::number(i);
            items[i].appendHTML(out, &index);
        }
        out += QStringLiteral("</ul></details></li>");
        break;
    }
    case Kind::string:
        out += QStringLiteral("<li>");
        prefix();
        out += QStringLiteral("<span class=\"s\">");
        HTML::appendEsc(out, JSONText::quote(scalar));
        out += QStringLiteral("</span></li>");
        break;
    case Kind::number:
        out += QStringLiteral("<li>");
        prefix();
        out += QStringLiteral("<span class=\"num\">");
        HTML::appendEsc(out, scalar);
        out += QStringLiteral("</span></li>");
        break;
    case Kind::boolean:
        out += QStringLiteral("<li>");
        prefix();
        out += flag ? QStringLiteral("<span class=\"b\">true</span></li>")
                    : QStringLiteral("<span class=\"b\">false</span></li>");
        break;
    case Kind::null:
        out += QStringLiteral("<li>");
        prefix();
        out += QStringLiteral("<span class=\"nl\">null</span></li>");
        break;
    }
}
