// YAML.parse and the tree preview on arbitrary bytes.
#include "plugins/FormatPlugin.h"
#include "plugins/YAML.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        YAML::parse(text).treeHTML();
    } catch (const PluginError& e) {
        if (!e.line || *e.line < 1)
            __builtin_trap();
    }
    return 0;
}
