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

// The PDF with its links to local files made shareable: the engine writes
// every link as an absolute file:// address, naming the author's folders.
// Each gets its target relative to `folder` (the document's own) again, as
// the page wrote it; without a folder, or when the relative target would
// not fit, the link keeps its box but loses its target. Offsets stay valid:
// a shorter target is padded with spaces inside its annotation.
QByteArray withRelativeLinks(const QByteArray& pdf, const QString& folder);
}
