// YAML: the syntax check and the tree preview on arbitrary bytes.
#include "plugins/YAML.h"
#include "plugins/FormatPlugin.h"
#include "plugins/YAMLSyntax.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    // YAML breaks lines at LF, CR LF and a lone CR.
    const int lines = int(text.count(QLatin1Char('\n')) + text.count(QLatin1Char('\r'))
                          - text.count(QLatin1String("\r\n")))
        + 1;
    try {
        YAMLSyntax::check(text);
    } catch (const PluginError& e) {
        if (!e.line || *e.line < 1 || *e.line > lines)
            __builtin_trap();
    }
    // The tree is composed by the same reader: it fails exactly where the check does.
    try {
        for (const TreeNode& doc : YAML::parseDocuments(text))
            doc.treeHTML();
    } catch (const PluginError& e) {
        if (!e.line || *e.line < 1 || *e.line > lines)
            __builtin_trap();
    }
    return 0;
}
