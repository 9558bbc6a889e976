#pragma once

#include <QWebEngineUrlRequestInterceptor>

// What the preview page may load: images from the document's disk, and
// from the web when the user allows it (PreviewPage::remoteImages), the
// shell's own inline data; never a local stylesheet, frame, script, font,
// media or page, and nothing remote but images.
class PreviewLoads : public QWebEngineUrlRequestInterceptor {
    Q_OBJECT
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo& info) override;
    static bool allowed(const QUrl& url, QWebEngineUrlRequestInfo::ResourceType type);
    // A local picture is read only from a regular file of sane size outside
    // the kernel's trees whose first bytes are those of a picture: a device,
    // a pipe or a huge file would keep the page reading and decoding forever,
    // and a key or an environment is nobody's picture.
    static bool readableLocalImage(const QString& path);
    static bool looksLikeImage(const QByteArray& head);
    static constexpr qint64 maxLocalImageBytes = qint64(128) << 20;
    static constexpr qint64 sniffBytes = 1024;

signals:
    // A load was stopped (as the page's console would say).
    void refused(const QUrl& url, int resourceType);
};
