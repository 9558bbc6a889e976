#include "views/webengine/PDFExport.h"

#include "render/PDFInfo.h"
#include "views/webengine/StandalonePage.h"

#include <QWebEnginePage>

PDFExport::PDFExport(QObject* parent) : PageToPDF(parent)
{
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this,
            [this] { finish({}, QStringLiteral("导出 PDF 超时（%1 秒内没有完成）").arg(timer_.interval() / 1000)); });
}

PDFExport::~PDFExport()
{
    // The page answers what it still owes as it goes: nobody is listening.
    done_ = true;
    delete page_;
}

void PDFExport::setLayout(const QPageLayout& layout, const QPageRanges& ranges)
{
    layout_ = layout;
    ranges_ = ranges;
}

void PDFExport::start(const QString& page, const QString& title, const QString& pictures, int timeoutMSecs)
{
    title_ = title;
    folder_ = pictures;
    timer_.start(timeoutMSecs);
    page_ = new StandalonePage(this);
    connect(page_, &StandalonePage::loaded, this, [this](bool ok, const QString& error) {
        if (done_)
            return;
        if (!ok) {
            finish({}, error.isEmpty() ? QStringLiteral("无法载入要导出的页面") : error);
            return;
        }
        emit printing();
        page_->page()->printToPdf(
            [this](const QByteArray& pdf) {
                if (pdf.isEmpty())
                    finish({}, QStringLiteral("生成 PDF 失败"));
                else {
                    // The engine writes links as absolute file:// addresses
                    // and leaves the title out of the PDF's information.
                    const QByteArray shareable = PDFInfo::withRelativeLinks(pdf, folder_);
                    finish(PDFInfo::withTitle(shareable, title_).value_or(shareable), {});
                }
            },
            layout_, ranges_);
    });
    page_->load(page, pictures);
}

void PDFExport::finish(const QByteArray& pdf, const QString& error)
{
    if (done_)
        return;
    done_ = true;
    timer_.stop();
    emit finished(pdf, error);
}
