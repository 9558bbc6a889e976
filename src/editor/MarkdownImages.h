#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

class QImage;

// Pictures that go into a Markdown document: stored beside it in a folder
// named after it, and written into the text as ![](relative/path).
namespace MarkdownImages {

// A free name for a picture pasted into the document at `docPath` at `when`:
// 文档名.assets/图片-20261208-153012.png, with -2, -3… when that is taken.
QString pastedPath(const QString& docPath, const QDateTime& when);
// The Markdown for a picture at `path`, relative to the folder of the document
// at `docPath` (absolute when the document has no folder yet), escaped so that
// spaces, brackets and the like survive as one link destination.
QString link(const QString& path, const std::optional<QString>& docPath);
// Writes the picture as PNG, making its folder; the zh-CN reason on failure.
std::optional<QString> savePNG(const QImage& image, const QString& path);

}
