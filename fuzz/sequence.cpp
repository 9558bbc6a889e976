// SequenceSketch.svg on arbitrary bytes: an SVG or a PluginError, nothing else.
#include "plugins/FormatPlugin.h"
#include "plugins/SequenceSketch.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        if (!SequenceSketch::svg(text).startsWith(QLatin1String("<svg")))
            __builtin_trap();
    } catch (const PluginError&) {
    }
    return 0;
}
