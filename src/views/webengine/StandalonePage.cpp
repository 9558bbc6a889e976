#include "views/webengine/StandalonePage.h"

#include "core/FileIO.h"
#include "views/webengine/PreviewLoads.h"

#include <QFileInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInterceptor>

namespace {

// The page file itself, its inline fonts and pictures, and pictures on disk.
class PrintLoads : public QWebEngineUrlRequestInterceptor {
public:
    PrintLoads(QUrl page, QObject* parent) : QWebEngineUrlRequestInterceptor(parent), page_(std::move(page)) {}

    void interceptRequest(QWebEngineUrlRequestInfo& info) override
    {
        using Info = QWebEngineUrlRequestInfo;
        const QUrl& url = info.requestUrl();
        const bool ok = url == page_
            || (url.scheme() == QLatin1String("data")
                && (info.resourceType() == Info::ResourceTypeFontResource
                    || info.resourceType() == Info::ResourceTypeImage))
            || (url.isLocalFile() && info.resourceType() == Info::ResourceTypeImage
                && PreviewLoads::readableLocalImage(url.toLocalFile()))
            || (!url.isLocalFile() && PreviewLoads::allowed(url, info.resourceType()));
        info.block(!ok);
    }

private:
    QUrl page_;
};

}

StandalonePage::StandalonePage(QObject* parent) : QObject(parent) {}

StandalonePage::~StandalonePage()
{
    // A page must go before its profile.
    delete page_;
    delete profile_;
}

void StandalonePage::load(const QString& page, const QString& pictures, const QString& paperStyle)
{
    if (!dir_.isValid()) {
        emit loaded(false, QStringLiteral("无法创建临时文件夹：") + dir_.errorString());
        return;
    }
    // A file, not setHtml: inline data is limited to 2 MB and fonts alone come near that.
    const QString path = dir_.filePath(QStringLiteral("page.html"));
    QString html = page;
    // Paper is white: the window's tint would leave a grey box inside white
    // margins. After the page's own style, which it overrides.
    if (const qsizetype at = html.indexOf(QStringLiteral("</head>")); at >= 0)
        html.insert(at,
                    QStringLiteral("<style>@media print{html,body{background:#fff}") + paperStyle
                        + QStringLiteral("}</style>"));
    if (!pictures.isEmpty()) {
        const QString base = QUrl::fromLocalFile(QFileInfo(pictures).absoluteFilePath() + QLatin1Char('/'))
                                 .toString(QUrl::FullyEncoded);
        if (const qsizetype at = html.indexOf(QStringLiteral("<head>")); at >= 0)
            html.insert(at + 6, QStringLiteral("<base href=\"") + base.toHtmlEscaped() + QStringLiteral("\">"));
    }
    if (auto error = FileIO::writeAtomically(path, html.toUtf8())) {
        emit loaded(false, QStringLiteral("无法写入临时文件：") + *error);
        return;
    }
    const QUrl url = QUrl::fromLocalFile(path);
    profile_ = new QWebEngineProfile;  // no storage name: off the record
    profile_->setHttpCacheType(QWebEngineProfile::NoCache);
    profile_->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    profile_->setUrlRequestInterceptor(new PrintLoads(url, profile_));
    page_ = new QWebEnginePage(profile_);
    QWebEngineSettings* s = page_->settings();
    s->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    s->setAttribute(QWebEngineSettings::PrintElementBackgrounds, true);
    s->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
    connect(page_, &QWebEnginePage::loadFinished, this, [this](bool ok) { emit loaded(ok, {}); });
    page_->load(url);
}
