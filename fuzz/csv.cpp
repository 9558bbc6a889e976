// CSV.parse and CSVPlugin.previewHTML on arbitrary bytes.
#include "plugins/CSV.h"
#include "plugins/CSVPlugin.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QChar sep = CSV::detectSeparator(text);
    const QList<QStringList> rows = CSV::parse(text, sep);
    const QString html = CSVPlugin::previewHTML(text);
    // Every parsed document renders a table; only an empty one renders the bare caption.
    if (rows.isEmpty() != !html.contains(QStringLiteral("<table class=\"tbl\">")))
        __builtin_trap();
    return 0;
}
