#include "views/webengine/PreviewLoads.h"

#include "render/PreviewPage.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <cstring>
#include <string_view>

bool PreviewLoads::allowed(const QUrl& url, QWebEngineUrlRequestInfo::ResourceType type)
{
    using Info = QWebEngineUrlRequestInfo;
    const QString scheme = url.scheme();
    if (type == Info::ResourceTypeImage)
        return scheme == QLatin1String("file") || scheme == QLatin1String("data")
            || (PreviewPage::remoteImages() && (scheme == QLatin1String("http") || scheme == QLatin1String("https")));
    // The shell arrives as inline data and carries its fonts the same way.
    if (scheme == QLatin1String("data"))
        return type == Info::ResourceTypeMainFrame || type == Info::ResourceTypeFontResource;
    return false;
}

namespace {

bool underSystemTree(const QString& canonical)
{
    for (const char* root : {"/proc", "/sys", "/dev"})
        if (canonical == QLatin1String(root) || canonical.startsWith(QLatin1String(root) + u'/'))
            return true;
    return false;
}

}

bool PreviewLoads::looksLikeImage(const QByteArray& head)
{
    const auto starts = [&head](std::string_view magic, qsizetype at = 0) {
        return head.size() >= at + qsizetype(magic.size())
            && std::memcmp(head.constData() + at, magic.data(), magic.size()) == 0;
    };
    if (starts("\x89PNG\r\n\x1a\n") || starts("\xff\xd8\xff") || starts("GIF87a") || starts("GIF89a")
        || (starts("BM") && starts(std::string_view("\0\0\0\0", 4), 6)) || starts(std::string_view("\0\0\1\0", 4))
        || starts(std::string_view("II*\0", 4)) || starts(std::string_view("MM\0*", 4)))
        return true;
    if (starts("RIFF") && starts("WEBP", 8))
        return true;
    if (starts("ftypavif", 4) || starts("ftypavis", 4))
        return true;
    // SVG has no magic number: an XML prologue or comment may come before the root.
    const QByteArray text = head.trimmed();
    return (text.startsWith("<svg") || text.startsWith("<?xml") || text.startsWith("<!--")) && head.contains("<svg");
}

bool PreviewLoads::readableLocalImage(const QString& path)
{
    // Judged where the links lead, so a link cannot smuggle /proc in.
    const QFileInfo file(QFileInfo(path).canonicalFilePath());
    if (file.filePath().isEmpty() || underSystemTree(file.filePath()) || !file.isFile() || file.size() <= 0
        || file.size() > maxLocalImageBytes)
        return false;
    QFile f(file.filePath());
    if (!f.open(QIODevice::ReadOnly))
        return false;
    return looksLikeImage(f.read(sniffBytes));
}

void PreviewLoads::interceptRequest(QWebEngineUrlRequestInfo& info)
{
    const QUrl& url = info.requestUrl();
    if (allowed(url, info.resourceType()) && (!url.isLocalFile() || readableLocalImage(url.toLocalFile())))
        return;
    info.block(true);
    emit refused(info.requestUrl(), int(info.resourceType()));
}
