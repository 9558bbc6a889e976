#include "views/preview/PreviewLoads.h"

#include <QFileInfo>
#include <QUrl>

bool PreviewLoads::allowed(const QUrl& url, QWebEngineUrlRequestInfo::ResourceType type)
{
    using Info = QWebEngineUrlRequestInfo;
    const QString scheme = url.scheme();
    if (type == Info::ResourceTypeImage)
        return scheme == QLatin1String("file") || scheme == QLatin1String("http") || scheme == QLatin1String("https")
               || scheme == QLatin1String("data");
    // The shell arrives as inline data and carries its fonts the same way.
    if (scheme == QLatin1String("data"))
        return type == Info::ResourceTypeMainFrame || type == Info::ResourceTypeFontResource;
    return false;
}

bool PreviewLoads::readableLocalImage(const QString& path)
{
    const QFileInfo file(path);
    return file.isFile() && file.size() <= maxLocalImageBytes;
}

void PreviewLoads::interceptRequest(QWebEngineUrlRequestInfo& info)
{
    const QUrl& url = info.requestUrl();
    if (allowed(url, info.resourceType()) && (!url.isLocalFile() || readableLocalImage(url.toLocalFile())))
        return;
    info.block(true);
    emit refused(info.requestUrl(), int(info.resourceType()));
}
