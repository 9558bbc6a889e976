#include "views/webengine/PrintJob.h"

#include "core/FileIO.h"
#include "editor/AppFonts.h"
#include "views/state/WindowModel.h"
#include "views/webengine/MermaidRenderer.h"
#include "views/webengine/PDFExport.h"
#include "views/webengine/StandalonePage.h"
#include "views/window/NumberedSource.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QPointer>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTextDocument>
#include <QTimer>
#include <QWebEngineView>

namespace {

// The README promises printing gives up after this long, as the PDF export does.
constexpr int timeLimitMSecs = PDFExport::defaultTimeoutMSecs;

QString tooLong() { return QStringLiteral("打印超时（%1 秒内没有完成）").arg(timeLimitMSecs / 1000); }

// One document on its way to paper: what a print or preview dialog prints.
// Lives as long as its dialog, and longer while printing.
class PrintJob : public QObject {
public:
    PrintJob(WindowModel& model, const DocPtr& doc, QObject* parent) : QObject(parent), model_(model)
    {
        name_ = doc->name();
        folder_ = doc->url() ? QFileInfo(*doc->url()).absolutePath() : QString();
        printer_.setDocName(name_);
        printer_.setPageMargins(PDFExport::a4().margins(), QPageLayout::Millimeter);
        if (!doc->plugin().supportsPreview()) {
            const Settings& s = model.settings();
            // The editor's face at a size for paper (the screen's is in pixels).
            QFont font = AppFonts::editor(s.fontFamily, Settings::defaultFontSize);
            font.setPointSizeF(9.5);
            source_ = NumberedSource::build(doc->text(), font, s.indentFor(doc->plugin().id).width);
            return;
        }
        QString error;
        if (std::optional<QString> page = MermaidRenderer::exportPage(doc->plugin(), doc->textCopy(), name_,
                                                                      QStringLiteral("打印"), &error))
            html_ = *page;
        else
            failure_ = error;
        // The engine hands over pages as pictures of the whole sheet, which it
        // places at the painter's origin: the paper's corner, not the margin's.
        // The page itself keeps the margins (paperStyle()).
        printer_.setFullPage(true);
    }
    ~PrintJob() override
    {
        // The view goes before the page it shows.
        delete view_;
    }

    QPrinter* printer() { return &printer_; }

    // The print dialog was accepted: prints without holding the window, says how it went.
    void print()
    {
        busy_ = true;
        const auto done = [this](const QString& error) {
            busy_ = false;
            if (error.isEmpty())
                model_.flash(toFile()
                                 ? QStringLiteral("已打印到文件：") + QFileInfo(printer_.outputFileName()).fileName()
                                 : QStringLiteral("已送去打印：") + name_);
            else
                model_.alert(QStringLiteral("无法打印"), error);
            deleteLater();
        };
        if (!failure_.isEmpty()) {
            done(failure_);
        } else if (source_) {
            source_->print(&printer_);
            done({});
        } else if (toFile()) {
            // To a file the engine's own PDF keeps the text as text.
            auto* pdf = new PDFExport(this);
            QPageLayout layout = printer_.pageLayout();
            layout.setMode(QPageLayout::StandardMode);  // the engine's own PDF has its margins
            pdf->setLayout(layout, printer_.pageRanges());
            connect(pdf, &PDFExport::finished, this, [this, done](const QByteArray& bytes, const QString& error) {
                if (bytes.isEmpty())
                    done(error);
                else if (auto failed = FileIO::writeAtomically(printer_.outputFileName(), bytes))
                    done(QStringLiteral("无法写入 ") + printer_.outputFileName() + QStringLiteral("：") + *failed);
                else
                    done({});
            });
            pdf->start(html_, name_, folder_, timeLimitMSecs);
        } else {
            auto* limit = new QTimer(this);
            limit->setSingleShot(true);
            limit->start(timeLimitMSecs);
            connect(limit, &QTimer::timeout, this, [this] {
                model_.alert(QStringLiteral("无法打印"), tooLong());
                // A page the engine is still printing goes when it is done.
                if (!view_)
                    deleteLater();
            });
            whenLoaded([this, limit, done](const QString& error) {
                if (!limit->isActive())
                    return;
                if (!error.isEmpty()) {
                    limit->stop();
                    done(error);
                    return;
                }
                connect(view(), &QWebEngineView::printFinished, this, [this, limit, done](bool ok) {
                    if (!limit->isActive()) {
                        deleteLater();
                        return;
                    }
                    limit->stop();
                    done(ok ? QString() : QStringLiteral("打印失败"));
                });
                view()->print(&printer_);
            });
        }
    }

    bool toFile() const
    {
        return printer_.outputFormat() == QPrinter::PdfFormat && !printer_.outputFileName().isEmpty();
    }

    // For the preview, which must have its pages when this returns: waits in
    // an event loop, so the window keeps working, for a minute at most.
    void paint(QPrinter* printer)
    {
        if (!failure_.isEmpty()) {
            alertLater(failure_);
            return;
        }
        if (source_) {
            source_->print(printer);
            return;
        }
        if (busy_)  // the engine still prints a page from before the time was up
            return;
        busy_ = true;
        // No new pages asked for while these are made, and the dialog stays until they are.
        waiting_ = true;
        if (dialog_)
            dialog_->setEnabled(false);
        const QString error = paintPage(printer);
        waiting_ = false;
        if (dialog_)
            dialog_->setEnabled(true);
        if (!error.isEmpty())
            alertLater(error);
        if (closing_)
            close();
    }

    // The preview dialog printing through this job; it goes with the job.
    void setDialog(QDialog* dialog)
    {
        dialog_ = dialog;
        connect(dialog, &QDialog::finished, this, [this] {
            closing_ = true;
            if (!waiting_)
                close();
        });
    }

private:
    QString paintPage(QPrinter* printer)
    {
        const QDeadlineTimer deadline(timeLimitMSecs);
        if (page_ && loadedStyle_ != paperStyle()) {
            // New margins from the page setup: a page laid out for them.
            delete view_;
            view_ = nullptr;
            delete page_;
            page_ = nullptr;
            loaded_ = false;
        }
        QString error;
        bool loaded = false;
        const QMetaObject::Connection c = whenLoaded([&](const QString& e) {
            error = e;
            loaded = true;
        });
        if (!waitUntil(loaded, deadline)) {
            disconnect(c);
            busy_ = false;
            return tooLong();
        }
        if (!error.isEmpty()) {
            busy_ = false;
            return error;
        }
        bool printed = false, ok = false;
        const QMetaObject::Connection p = connect(view(), &QWebEngineView::printFinished, this, [&](bool result) {
            printed = true;
            ok = result;
        });
        view()->print(printer);
        const bool inTime = waitUntil(printed, deadline);
        disconnect(p);
        if (!inTime) {
            // The engine reports later; until then nothing else goes to it.
            connect(
                view(), &QWebEngineView::printFinished, this, [this] { busy_ = false; }, Qt::SingleShotConnection);
            return tooLong();
        }
        busy_ = false;
        return ok ? QString() : QStringLiteral("打印失败");
    }

    void close()
    {
        if (dialog_)
            dialog_->deleteLater();
        if (!busy_)
            deleteLater();
        else
            connect(view(), &QWebEngineView::printFinished, this, &QObject::deleteLater);
    }

    // Loads the page on first use; `then` runs once with an empty error when
    // it is ready, at once when it is; the connection is for giving up on it.
    QMetaObject::Connection whenLoaded(const std::function<void(const QString&)>& then)
    {
        if (!page_) {
            page_ = new StandalonePage(this);
            connect(page_, &StandalonePage::loaded, this, [this](bool ok, const QString& error) {
                loadError_ = ok ? QString() : error.isEmpty() ? QStringLiteral("无法载入要打印的页面") : error;
                loaded_ = true;
            });
            loadedStyle_ = paperStyle();
            page_->load(html_, folder_, loadedStyle_);
        }
        if (loaded_) {
            then(loadError_);
            return {};
        }
        return connect(
            page_, &StandalonePage::loaded, this, [this, then] { then(loadError_); }, Qt::SingleShotConnection);
    }

    // The sheet's margins around the page's own padding, as the PDF export
    // has them; on the first page's top only, the engine breaking pages
    // without margins of its own.
    QString paperStyle() const
    {
        const QMarginsF m = printer_.pageLayout().margins(QPageLayout::Millimeter);
        return QStringLiteral("main{padding:calc(%1mm + 22px) calc(%2mm + 28px) 48px calc(%3mm + 28px)}")
            .arg(m.top())
            .arg(m.right())
            .arg(m.left());
    }

    QWebEngineView* view()
    {
        if (!view_) {
            view_ = new QWebEngineView;
            view_->setPage(page_->page());
        }
        return view_;
    }

    static bool waitUntil(const bool& flag, const QDeadlineTimer& deadline)
    {
        QEventLoop loop;
        QTimer tick;
        connect(&tick, &QTimer::timeout, &loop, [&] {
            if (flag || deadline.hasExpired())
                loop.quit();
        });
        tick.start(20);
        if (!flag)
            loop.exec();
        return flag;
    }

    // After the preview's own painting, not in the middle of it.
    void alertLater(const QString& why)
    {
        QTimer::singleShot(0, &model_, [&model = model_, why] { model.alert(QStringLiteral("无法打印"), why); });
    }

    WindowModel& model_;
    QString name_;
    QString folder_;
    QPrinter printer_{QPrinter::HighResolution};
    std::unique_ptr<QTextDocument> source_;
    QString html_;
    QString failure_;
    StandalonePage* page_ = nullptr;
    QWebEngineView* view_ = nullptr;
    bool loaded_ = false;
    QString loadedStyle_;
    QString loadError_;
    bool busy_ = false;
    bool waiting_ = false;
    bool closing_ = false;
    QPointer<QDialog> dialog_;
};

}

namespace PrintJobs {

void print(WindowModel& model, const DocPtr& doc, QWidget* window)
{
    auto* job = new PrintJob(model, doc, window);
    auto* dialog = new QPrintDialog(job->printer(), window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(dialog, &QDialog::finished, job, [job](int result) {
        if (result == QDialog::Accepted)
            job->print();
        else
            job->deleteLater();
    });
    dialog->open();
}

void preview(WindowModel& model, const DocPtr& doc, QWidget* window)
{
    auto* job = new PrintJob(model, doc, window);
    auto* dialog = new QPrintPreviewDialog(job->printer(), window);
    job->setDialog(dialog);
    QObject::connect(dialog, &QPrintPreviewDialog::paintRequested, job, [job](QPrinter* p) { job->paint(p); });
    dialog->open();
}

}
