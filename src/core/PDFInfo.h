#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Small edits of a finished PDF's document information.
namespace PDFInfo {

// The PDF with its title set, added as an incremental update (the printed
// bytes stay as they are; the other information entries are kept). Nullopt
// when the file has no classic trailer to extend.
std::optional<QByteArray> withTitle(const QByteArray& pdf, const QString& title);
}
