#include "views/window/ExportPDF.h"

#include "core/FileChooser.h"
#include "core/FileIO.h"
#include "views/preview/PreviewEngine.h"
#include "views/state/WindowModel.h"

#include <QFileInfo>
#include <QPointer>
#include <QProgressDialog>

namespace {

// A busy bar, for a page that takes a while, that goes with the job: 取消 ends it.
QProgressDialog* showProgress(PageToPDF* job, const QString& name, QWidget* window)
{
    auto* progress = new QProgressDialog(QStringLiteral("正在生成 %1 的页面…").arg(name), QStringLiteral("取消"), 0, 0,
                                         window);
    progress->setWindowTitle(QStringLiteral("导出 PDF"));
    progress->setWindowModality(Qt::NonModal);  // the documents stay at hand meanwhile
    progress->setMinimumDuration(500);
    progress->setAutoReset(false);
    progress->setAutoClose(false);
    progress->setValue(0);
    QObject::connect(job, &PageToPDF::printing, progress,
                     [progress, name] { progress->setLabelText(QStringLiteral("正在排版 %1…").arg(name)); });
    QObject::connect(job, &QObject::destroyed, progress, &QObject::deleteLater);
    return progress;
}

}

namespace ExportPDF {

void run(WindowModel& model, const DocPtr& doc, QObject* owner)
{
    FileChooser* chooser = model.fileChooser();
    if (!chooser)
        return;
    const QString folder = doc->url() ? QFileInfo(*doc->url()).absolutePath() : QString();
    const QString suggested = QFileInfo(doc->name()).completeBaseName() + QStringLiteral(".pdf");
    chooser->chooseSaveLocation(
        suggested, folder, [&model, doc, folder, owner = QPointer<QObject>(owner)](std::optional<QString> path) {
            if (!path || !owner)
                return;
            const QString title = QStringLiteral("无法导出 PDF");
            QString error;
            PreviewEngine* engine = PreviewEngine::get(&error);
            if (!engine) {
                model.alert(title, PreviewEngine::unavailable(error));
                return;
            }
            const std::optional<QString> page = engine->exportPage(doc->plugin(), doc->textCopy(), doc->name(),
                                                                   QStringLiteral("PDF"), &error);
            if (!page) {
                model.alert(title, error);
                return;
            }
            PageToPDF* job = engine->createPDFJob(owner);
            auto* progress = showProgress(job, doc->name(), qobject_cast<QWidget*>(owner.data()));
            const auto cancel = [&model, job] {
                delete job;  // before it writes anything
                model.flash(QStringLiteral("已取消导出 PDF"));
            };
            QObject::connect(progress, &QProgressDialog::canceled, job, cancel);
            QObject::connect(progress, &QDialog::rejected, job, cancel);  // Esc
            QObject::connect(job, &PageToPDF::finished, owner,
                             [&model, job, target = *path, title](const QByteArray& pdf, const QString& e) {
                                 job->deleteLater();
                                 if (pdf.isEmpty()) {
                                     model.alert(title, e);
                                     return;
                                 }
                                 if (auto failed = FileIO::writeAtomically(target, pdf)) {
                                     model.alert(title,
                                                 QStringLiteral("无法写入 ") + target + QStringLiteral("：") + *failed);
                                     return;
                                 }
                                 model.flash(QStringLiteral("已导出 PDF：") + QFileInfo(target).fileName());
                             });
            job->start(*page, doc->name(), folder);
        });
}

}
