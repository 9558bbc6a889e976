#include "views/window/ExportPDF.h"

#include "core/AppModel.h"
#include "core/FileChooser.h"
#include "core/FileIO.h"
#include "views/preview/MermaidRenderer.h"
#include "views/preview/PDFExport.h"

#include <QFileInfo>
#include <QPointer>

namespace ExportPDF {

void run(AppModel& model, const DocPtr& doc, QObject* owner)
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
            const std::optional<QString> page = MermaidRenderer::exportPage(doc->plugin(), doc->textCopy(), doc->name(),
                                                                            QStringLiteral("PDF"), &error);
            if (!page) {
                model.alert(title, error);
                return;
            }
            auto* job = new PDFExport(owner);
            QObject::connect(job, &PDFExport::finished, owner,
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
