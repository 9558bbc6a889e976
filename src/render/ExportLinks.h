#pragma once

#include <QString>

// Links of an exported page that would tell where the author keeps files:
// a file: target (the engine writes a link as one, and it names a folder)
// is written as the link's text alone. Paths stay as the author wrote them,
// relative or from the root, as any Markdown reader keeps them.
namespace ExportLinks {
QString withoutLocalTargets(const QString& html);
// Whether a link's target (as written, character references and all) is a
// file: address once a browser has read it.
bool isLocalAbsolute(const QString& href);
}
