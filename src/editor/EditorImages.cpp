#include "core/AppModel.h"
#include "editor/CodeTextView.h"
#include "editor/EditorController.h"
#include "editor/MarkdownImages.h"

#include <QDateTime>
#include <QImage>
#include <QPointer>

namespace {
bool isMarkdown(const Doc& doc) { return doc.plugin().id == QLatin1String("markdown"); }
}

void EditorController::pasteImage(const QImage& image)
{
    if (!isMarkdown(*doc_)) {
        model_.flash(QStringLiteral("只有 Markdown 文档可以粘贴图片"));
        return;
    }
    if (doc_->url()) {
        storeImage(image);
        return;
    }
    // The picture goes beside the document, so a new document is saved first.
    model_.flash(QStringLiteral("请先保存文档：粘贴的图片存放在文档旁边"));
    QPointer<EditorController> self(this);
    model_.saveAs(doc_, [self, image](bool saved) {
        if (self && saved && self->doc_->url())
            self->storeImage(image);
    });
}

void EditorController::storeImage(const QImage& image)
{
    const QString docPath = *doc_->url();
    const QString target = MarkdownImages::pastedPath(docPath, QDateTime::currentDateTime());
    if (const auto error = MarkdownImages::savePNG(image, target)) {
        model_.alert(QStringLiteral("无法粘贴图片"), *error);
        return;
    }
    view_->insertAtCaret(MarkdownImages::link(target, docPath));
}

void EditorController::dropImages(const QStringList& files, const QPoint& viewportPoint)
{
    QStringList links;
    for (const QString& f : files)
        links << MarkdownImages::link(f, doc_->url());
    view_->placeCaretAt(viewportPoint);
    view_->insertAtCaret(links.join(QLatin1Char('\n')));
    focus();
}
