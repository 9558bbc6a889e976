#pragma once

#include "core/Doc.h"

#include <QList>
#include <QString>

// Finding the open document of a file.
namespace OpenPaths {

// Absolute path with "." and ".." resolved.
QString standard(const QString& path);
// The document of this file (paths compared in standard form, and another
// name of the same file counts as that file); null when none is.
DocPtr find(const QList<DocPtr>& docs, const QString& path);

}  // namespace OpenPaths
