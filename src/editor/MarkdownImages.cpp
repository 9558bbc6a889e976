#include "editor/MarkdownImages.h"

#include "core/FileIO.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImage>

namespace MarkdownImages {

QString pastedPath(const QString& docPath, const QDateTime& when)
{
    const QFileInfo doc(docPath);
    const QString folder = doc.absolutePath() + QLatin1Char('/') + doc.completeBaseName() + QStringLiteral(".assets");
    const QString stem = folder + QStringLiteral("/图片-") + when.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString path = stem + QStringLiteral(".png");
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = stem + QLatin1Char('-') + QString::number(n) + QStringLiteral(".png");
    return path;
}

QString link(const QString& path, const std::optional<QString>& docPath)
{
    const QString target = docPath ? QFileInfo(*docPath).absoluteDir().relativeFilePath(path) : path;
    // Characters that would end the destination or turn into a query or an
    // anchor are escaped; Chinese and other letters stay readable.
    QString escaped;
    for (const QChar c : target) {
        if (c.unicode() <= 0x20 || QStringLiteral("%()<>[]#?\\").contains(c) || c.unicode() == 0x7F)
            escaped += QLatin1Char('%') + QString::number(c.unicode(), 16).toUpper().rightJustified(2, u'0');
        else
            escaped += c;
    }
    return QStringLiteral("![](") + escaped + QLatin1Char(')');
}

std::optional<QString> savePNG(const QImage& image, const QString& path)
{
    if (image.isNull())
        return QStringLiteral("剪贴板中的图片无法读取");
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return QStringLiteral("无法创建文件夹：%1").arg(folder);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return QStringLiteral("无法把图片编码为 PNG");
    return FileIO::writeAtomically(path, png);
}

}
