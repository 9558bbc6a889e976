// The preview's Markdown on arbitrary bytes, formulas read: dollars and
// ```math fences never crash or hang the reader, and the fragment stays
// whole. The fuzz build has no scripts, so formulas come back as errors
// showing their source (the error path is what runs here).
#include "plugins/Markdown.h"

#include <QCoreApplication>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The script engine wants an application object.
    static int argc = 1;
    static char name[] = "fuzz_math";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString html = Markdown::preview(text);
    if (!html.startsWith(QStringLiteral("<div class=\"md\">")) || !html.endsWith(QStringLiteral("</div>"))) {
        std::fprintf(stderr, "fragment not whole\n");
        std::abort();
    }
    return 0;
}
