#pragma once

#include <QString>

// Links of an exported page that would tell where the author keeps files:
// a target that is an absolute local address (file:, or a path from the
// root, which resolves to one beside a local file) is written as the link's
// text alone. Relative links stay as written: they name nothing outside.
namespace ExportLinks {
QString withoutLocalTargets(const QString& html);
// Whether a link's target (as written, character references and all) is
// an absolute local address once a browser has read it.
bool isLocalAbsolute(const QString& href);
}
