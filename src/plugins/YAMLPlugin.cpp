#include "plugins/YAMLPlugin.h"

#include "plugins/HTML.h"
#include "plugins/YAML.h"
#include "plugins/YAMLSyntax.h"

#include <exception>

namespace YAMLPlugin {

QList<Diagnostic> validate(const QString& text)
{
    try {
        YAMLSyntax::check(text);
    } catch (const PluginError& e) {
        return {Diagnostic{e.line.value_or(1), e.message}};
    } catch (const std::exception& e) {
        return {Diagnostic{1, QString::fromLocal8Bit(e.what())}};
    }
    return {};
}

// One tree per document; a stream of several names each one above its tree.
// A broken file throws the check's own message, the one its diagnostics show.
QString previewHTML(const QString& text)
{
    const std::vector<TreeNode> docs = YAML::parseDocuments(text);
    if (docs.empty())
        return TreeNode::makeNull().treeHTML();
    if (docs.size() == 1)
        return docs.front().treeHTML();
    QString out;
    for (std::size_t k = 0; k < docs.size(); ++k) {
        out += HTML::caption({QStringLiteral("文档 %1 / %2").arg(k + 1).arg(docs.size())});
        out += docs[k].treeHTML();
    }
    return out;
}

}
