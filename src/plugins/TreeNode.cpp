#include "plugins/TreeNode.h"

#include "plugins/AnalysisBudget.h"
#include "plugins/HTML.h"
#include "plugins/JSONText.h"

#include <limits>

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

struct TreeNode::Render {
    std::size_t nodesLeft;
    qsizetype charLimit;
    qsizetype valueChars = std::numeric_limits<qsizetype>::max();
    std::size_t shown = 0;
    bool cut = false;

    // Whether one more value may be written.
    bool admit(const QString& out)
    {
        if (cut || nodesLeft == 0 || out.size() >= charLimit) {
            cut = true;
            return false;
        }
        --nodesLeft;
        ++shown;
        return true;
    }
};

std::size_t TreeNode::count() const
{
    // Iterative: deep trees must not exhaust the stack.
    std::size_t n = 0;
    std::vector<const TreeNode*> stack{this};
    while (!stack.empty()) {
        const TreeNode* t = stack.back();
        stack.pop_back();
        ++n;
        for (const auto& [k, v] : t->pairs)
            stack.push_back(&v);
        for (const TreeNode& v : t->items)
            stack.push_back(&v);
    }
    return n;
}

QString TreeNode::treeHTML(const TreeBudget* parsed) const
{
    const TreeBudget limits = parsed ? *parsed : TreeBudget{};
    Render r{limits.nodes, limits.htmlChars, TreeBudget::valueChars};
    QString body = QStringLiteral("<div class=\"tree\"><ul>");
    appendHTML(body, nullptr, r);
    body += QStringLiteral("</ul></div>");
    const bool leftOut = parsed && parsed->total > parsed->kept;
    if (!r.cut && !leftOut)
        return body;
    const std::size_t total = leftOut ? parsed->total : count();
    return QStringLiteral("<div class=\"cap\"><span>内容较大，预览只显示前 %1 个值（共 %2 个）</span></div>")
               .arg(r.shown)
               .arg(total)
        + body;
}

QString TreeNode::html(const QString* key) const
{
    QString out;
    Render r{std::size_t(-1), std::numeric_limits<qsizetype>::max()};
    appendHTML(out, key, r);
    return out;
}

namespace {

// A huge key or value shows its start and its length, never all of it.
void appendShort(QString& out, const QString& text, qsizetype limit, bool quoted)
{
    if (text.size() <= limit) {
        HTML::appendEsc(out, quoted ? JSONText::quote(text) : text);
        return;
    }
    qsizetype cut = limit;
    if (text[cut - 1].isHighSurrogate())
        --cut;
    const QString start = text.left(cut);
    HTML::appendEsc(out, quoted ? JSONText::quote(start).chopped(1) : start);
    out += QStringLiteral("</span><span class=\"meta\">…（共 ") + QString::number(text.size())
        + QStringLiteral(" 字符）");
}

}

// Appends into one buffer so large trees render in linear time.
void TreeNode::appendHTML(QString& out, const QString* key, Render& r) const
{
    AnalysisBudget::poll();  // a huge tree must not hold the analysis queue
    if (!r.admit(out))
        return;
    auto prefix = [&] {
        if (key) {
            out += QStringLiteral("<span class=\"k\">");
            appendShort(out, *key, r.valueChars, false);
            out += QStringLiteral("</span>: ");
        }
    };
    auto openItem = [&] {
        if (line < 0) {
            out += QStringLiteral("<li>");
            return;
        }
        out += QStringLiteral("<li data-line=\"");
        out += QString::number(line);
        out += QStringLiteral("\">");
    };
    // Children a budget left out, at parse time or here.
    auto rest = [&](std::size_t notShown) {
        if (notShown)
            out += QStringLiteral("<li><span class=\"meta\">…… 另有 %1 项未显示</span></li>").arg(notShown);
    };
    switch (kind) {
    case Kind::map: {
        openItem();
        out += QStringLiteral("<details open><summary>");
        prefix();
        out += QStringLiteral("<span class=\"meta\">{") + QString::number(pairs.size() + omitted)
            + QStringLiteral("}</span></summary><ul>");
        std::size_t written = 0;
        for (const auto& [k, v] : pairs) {
            const std::size_t before = r.shown;
            v.appendHTML(out, &k, r);
            if (r.shown == before)
                break;
            ++written;
        }
        rest(pairs.size() - written + omitted);
        out += QStringLiteral("</ul></details></li>");
        break;
    }
    case Kind::list: {
        openItem();
        out += QStringLiteral("<details open><summary>");
        prefix();
        out += QStringLiteral("<span class=\"meta\">[") + QString::number(items.size() + omitted)
            + QStringLiteral("]</span></summary><ul>");
        std::size_t written = 0;
        for (std::size_t i = 0; i < items.size(); ++i) {
            const QString index = QString::number(i);
            const std::size_t before = r.shown;
            items[i].appendHTML(out, &index, r);
            if (r.shown == before)
                break;
            ++written;
        }
        rest(items.size() - written + omitted);
        out += QStringLiteral("</ul></details></li>");
        break;
    }
    case Kind::string:
        openItem();
        prefix();
        out += QStringLiteral("<span class=\"s\">");
        appendShort(out, scalar, r.valueChars, true);
        out += QStringLiteral("</span></li>");
        break;
    case Kind::number:
        openItem();
        prefix();
        out += QStringLiteral("<span class=\"num\">");
        appendShort(out, scalar, r.valueChars, false);
        out += QStringLiteral("</span></li>");
        break;
    case Kind::boolean:
        openItem();
        prefix();
        out += flag ? QStringLiteral("<span class=\"b\">true</span></li>")
                    : QStringLiteral("<span class=\"b\">false</span></li>");
        break;
    case Kind::null:
        openItem();
        prefix();
        out += QStringLiteral("<span class=\"nl\">null</span></li>");
        break;
    }
}
