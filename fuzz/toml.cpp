// TOMLPlugin.validate on arbitrary bytes: diagnostics in line order, within the document.
#include "plugins/TOMLPlugin.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const int lines = int(text.count(QLatin1Char('\n'))) + 1;
    int last = 0;
    for (const Diagnostic& d : TOMLPlugin::validate(text)) {
        if (d.line < last || d.line < 1 || d.line > lines)
            __builtin_trap();
        last = d.line;
    }
    return 0;
}
