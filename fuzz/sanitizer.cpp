// HTMLSanitizer.clean on arbitrary text: whatever comes out, a browser's
// tokenizer finds no element, attribute or URL in it that can run script
// or load from elsewhere (but an <img src> or a link's target);
// and cleaning is idempotent on what it already cleaned.
#include "oracle/ScriptOracle.h"
#include "plugins/HTMLSanitizer.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString html = HTMLSanitizer::clean(text);
    QString found = ScriptOracle::finding(html);
    if (found.isEmpty())
        found = ScriptOracle::remoteLoad(html);
    if (!found.isEmpty()) {
        std::fprintf(stderr, "survived: %s\n%s\n", qPrintable(found), qPrintable(html.left(2000)));
        __builtin_trap();
    }
    // A URL the sanitiser lets through is one the oracle accepts too.
    const QString url = HTMLSanitizer::safeURL(text);
    if (url != QLatin1String("#") && ScriptOracle::scriptURL(url)) {
        std::fprintf(stderr, "unsafe URL kept: %s\n", qPrintable(url.left(200)));
        __builtin_trap();
    }
    return 0;
}
