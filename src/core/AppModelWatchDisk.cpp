#include "core/AppModel.h"

#include "core/BackupStore.h"
#include "core/EditorLink.h"

void AppModel::reloadChanged(const DocPtr& doc)
{
    const int line = editorLink_ ? editorLink_->caretLine(doc) : 0;
    if (doc->reload(doc->encoding()))
        return;
    doc->setOriginalName(std::nullopt);
    doc->setMetaDirty(false);
    if (editorLink_) {
        editorLink_->loadFromDoc(doc);
        editorLink_->setCaretLine(doc, line);
    }
    BackupStore::remove(doc->id);
    flash(QStringLiteral("已重新载入 ") + doc->name() + QStringLiteral("：文件已被其他程序修改"));
}
