#pragma once

#include <QWebEngineUrlRequestInterceptor>

// What the preview page may load: images from the document's disk or the
// web, the shell's own inline data; never a local stylesheet, frame, script,
// font, media or page, and nothing remote but images.
class PreviewLoads : public QWebEngineUrlRequestInterceptor {
    Q_OBJECT
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo& info) override;
    static bool allowed(const QUrl& url, QWebEngineUrlRequestInfo::ResourceType type);

signals:
    // A load was stopped (as the page's console would say).
    void refused(const QUrl& url, int resourceType);
};
