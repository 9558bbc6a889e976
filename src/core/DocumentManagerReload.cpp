#include "core/DocumentManager.h"

#include "core/BackupStore.h"
#include "core/DiskWatcher.h"
#include "core/EditorLink.h"

#include <QPointer>

void DocumentManager::reloadChanged(const DocPtr& doc)
{
    const int line = editorLink_ ? editorLink_->caretLine(doc) : 0;
    QPointer<DocumentManager> self(this);
    readAgain(doc, doc->encoding(), [self, doc, line](const std::optional<QString>& error) {
        if (error) {
            // Edited meanwhile: the edits decide, as for any change now.
            self->disk_.check(doc);
            return;
        }
        doc->setOriginalName(std::nullopt);
        doc->setMetaDirty(false);
        if (self->editorLink_)
            self->editorLink_->setCaretLine(doc, line);
        BackupStore::remove(doc->id);
        self->prompter_->flash(QStringLiteral("已重新载入 ") + doc->name() + QStringLiteral("：文件已被其他程序修改"));
    });
}
