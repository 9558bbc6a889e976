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

void AppModel::dismissDialog(std::function<void()> action)
{
    setDialog(std::nullopt);
    if (action)
        action();
    if (!dialog_ && !dialogQueue_.isEmpty())
        setDialog(dialogQueue_.takeFirst());
    if (!dialog_ && editorLink_)
        if (DocPtr a = active())
            editorLink_->focus(a);
}

void AppModel::toggle(const Popup& p)
{
    if (popup_ == p)
        setPopup(std::nullopt);
    else
        setPopup(p);
}

void AppModel::escape()
{
    if (popup_) {
        setPopup(std::nullopt);
    } else if (multiCaretCount_) {
        if (DocPtr a = active(); a && editorLink_)
            editorLink_->exitMultiCaret(a);
    } else if (findVisible_) {
        closeFind();
    } else if (isFullScreen_) {
        setIsFullScreen(false);
    }
}

void AppModel::openFind(bool replace)
{
    DocPtr a = active();
    if (!a)
        return;
    if (editorLink_) {
        editorLink_->exitMultiCaret(a);
        const QString selected = editorLink_->selectedText(a);
        if (!selected.isEmpty() && !selected.contains(u'\n'))
            setFindQuery(selected);
    }
    setFindVisible(true);
    setReplaceVisible(replace);
    setFindFocusToken(findFocusToken_ + 1);
}

void AppModel::closeFind()
{
    setFindVisible(false);
    if (DocPtr a = active(); a && editorLink_) {
        editorLink_->refreshHighlights(a);
        editorLink_->focus(a);
    }
}

void AppModel::toggleFullScreen() { setIsFullScreen(!isFullScreen_); }
