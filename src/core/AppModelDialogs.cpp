#include "core/AppModel.h"

#include "core/EditorLink.h"

void AppModel::present(Dialog dialog)
{
    setPopup(std::nullopt);
    if (dialog_) {
        dialogQueue_.append(std::move(dialog));
        return;
    }
    setDialog(std::move(dialog));
    if (editorLink_)
        editorLink_->releaseFocus();
}
