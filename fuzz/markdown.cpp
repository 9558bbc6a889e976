// Markdown.html on arbitrary bytes: never crashes, never lets a script tag through.
#include "plugins/Markdown.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString html = Markdown::html(text);
    if (html.contains(QLatin1String("<script"), Qt::CaseInsensitive))
        __builtin_trap();
    return 0;
}
