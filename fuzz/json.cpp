// JSONText.parse and the printers on arbitrary bytes.
#include "plugins/FormatPlugin.h"
#include "plugins/JSONText.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        JSONText::check(text);
        const TreeNode tree = JSONText::parse(text);
        // A valid document prints to text that parses back to the same tree.
        if (!(JSONText::parse(JSONText::compact(tree)) == tree)
            || !(JSONText::parse(JSONText::pretty(tree, QString())) == tree))
            __builtin_trap();
        tree.treeHTML();
    } catch (const PluginError&) {
    }
    try {
        JSONText::unescape(text);
    } catch (const PluginError&) {
    }
    return 0;
}
