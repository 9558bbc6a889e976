#include "views/preview/PDFExport.h"

#include "core/FileIO.h"
#include "core/PDFInfo.h"
#include "views/preview/PreviewLoads.h"

#include <QFileInfo>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
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
                && PreviewLoads::readableLocalImage(url.toLocalFile()));
        info.block(!ok);
    }

private:
    QUrl page_;
};

}

PDFExport::PDFExport(QObject* parent) : QObject(parent)
{
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this,
            [this] { finish({}, QStringLiteral("导出 PDF 超时（%1 秒内没有完成）").arg(timer_.interval() / 1000)); });
}

PDFExport::~PDFExport()
{
    // A page must go before its profile.
    delete page_;
    delete profile_;
}

void PDFExport::start(const QString& page, const QString& title, const QString& pictures, int timeoutMSecs)
{
    title_ = title;
    timer_.start(timeoutMSecs);
    if (!dir_.isValid()) {
        finish({}, QStringLiteral("无法创建临时文件夹：") + dir_.errorString());
        return;
    }
    // A file, not setHtml: inline data is limited to 2 MB and fonts alone come near that.
    const QString path = dir_.filePath(QStringLiteral("page.html"));
    QString html = page;
    // Paper is white: the window's tint would leave a grey box inside white
    // margins. After the page's own style, which it overrides.
    if (const qsizetype at = html.indexOf(QStringLiteral("</head>")); at >= 0)
        html.insert(at, QStringLiteral("<style>@media print{html,body{background:#fff}}</style>"));
    if (!pictures.isEmpty()) {
        const QString base = QUrl::fromLocalFile(QFileInfo(pictures).absoluteFilePath() + QLatin1Char('/'))
                                 .toString(QUrl::FullyEncoded);
        if (const qsizetype at = html.indexOf(QStringLiteral("<head>")); at >= 0)
            html.insert(at + 6, QStringLiteral("<base href=\"") + base.toHtmlEscaped() + QStringLiteral("\">"));
    }
    if (auto error = FileIO::writeAtomically(path, html.toUtf8())) {
        finish({}, QStringLiteral("无法写入临时文件：") + *error);
        return;
    }
    pageURL_ = QUrl::fromLocalFile(path);

    profile_ = new QWebEngineProfile;  // no storage name: off the record
    profile_->setHttpCacheType(QWebEngineProfile::NoCache);
    profile_->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    profile_->setUrlRequestInterceptor(new PrintLoads(pageURL_, profile_));
    page_ = new QWebEnginePage(profile_);
    QWebEngineSettings* s = page_->settings();
    s->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    s->setAttribute(QWebEngineSettings::PrintElementBackgrounds, true);
    s->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
    connect(page_, &QWebEnginePage::loadFinished, this, [this](bool ok) {
        if (done_)
            return;
        if (!ok) {
            finish({}, QStringLiteral("无法载入要导出的页面"));
            return;
        }
        const QPageLayout a4(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
                             QPageLayout::Millimeter);
        page_->printToPdf(
            [this](const QByteArray& pdf) {
                if (pdf.isEmpty())
                    finish({}, QStringLiteral("生成 PDF 失败"));
                else
                    // The engine leaves the title out of the PDF's information.
                    finish(PDFInfo::withTitle(pdf, title_).value_or(pdf), {});
            },
            a4);
    });
    page_->load(pageURL_);
}

void PDFExport::finish(const QByteArray& pdf, const QString& error)
{
    if (done_)
        return;
    done_ = true;
    timer_.stop();
    emit finished(pdf, error);
}
