#include "core/AppModel.h"

#include "core/EditorLink.h"

#include <QPointer>
#include <QTimer>

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

bool AppModel::chooseButton(const QString& title)
{
    if (!dialog_)
        return false;
    for (const Dialog::Button& b : dialog_->buttons)
        if (b.title == title) {
            // The action outlives the dialog it came from.
            const auto action = b.action;
            dismissDialog(action);
            return true;
        }
    return false;
}

bool AppModel::chooseRole(Dialog::Role role)
{
    if (!dialog_)
        return false;
    for (const Dialog::Button& b : dialog_->buttons)
        if (b.role == role)
            return chooseButton(b.title);
    return false;
}

void AppModel::escape()
{
    if (popup_) {
        setPopup(std::nullopt);
    } else if (multiCaretCount_) {
        if (editorLink_)
            if (DocPtr a = active())
                editorLink_->exitMultiCaret(a);
    } else if (find_.visible()) {
        closeFind();
    } else if (isFullScreen_) {
        setIsFullScreen(false);
    }
}

void AppModel::toggle(const Popup& p)
{
    if (popup_ == p)
        setPopup(std::nullopt);
    else
        setPopup(p);
}

void AppModel::hoverFeature(std::optional<bool> button, std::optional<bool> panel)
{
    if (button)
        overFeatureButton_ = *button;
    if (panel)
        overFeaturePanel_ = *panel;
    if (!overFeatureButton_ && !overFeaturePanel_) {
        QPointer<AppModel> self(this);
        QTimer::singleShot(featureCloseMSecs, Qt::PreciseTimer, this, [self] {
            if (self && !self->overFeatureButton_ && !self->overFeaturePanel_ && self->popup_ == Popup::feature()
                && self->featureByHover_)
                self->setPopup(std::nullopt);
        });
        return;
    }
    // Hovering opens the menu but never replaces another popup.
    if (!popup_) {
        featureByHover_ = true;
        setPopup(Popup::feature());
    }
}

void AppModel::clickFeature()
{
    const bool keep = popup_ == Popup::feature() && featureByHover_;
    featureByHover_ = false;
    if (!keep)
        toggle(Popup::feature());
}

void AppModel::openFind(bool replace)
{
    const DocPtr a = active();
    if (!a)
        return;
    if (editorLink_) {
        editorLink_->exitMultiCaret(a);
        const QString selected = editorLink_->selectedText(a);
        if (!selected.isEmpty() && !selected.contains(QLatin1Char('\n')))
            find_.setQuery(selected);
    }
    find_.setVisible(true);
    find_.setReplaceVisible(replace);
    find_.setFocusToken(find_.focusToken() + 1);
}

void AppModel::closeFind()
{
    // The caret stays on the match the user stepped to, not where the search began.
    if (find_.visible() && editorLink_)
        if (DocPtr a = active())
            editorLink_->selectCurrentMatch(a);
    find_.setVisible(false);
    if (editorLink_)
        if (DocPtr a = active()) {
            editorLink_->refreshHighlights(a);
            editorLink_->focus(a);
        }
}

void AppModel::toggleFullScreen() { setIsFullScreen(!isFullScreen_); }

bool AppModel::wraps(const Doc& doc) const { return doc.wrapChoice().value_or(settings().wrapFor(doc.plugin().id)); }

void AppModel::toggleWrap()
{
    if (const DocPtr a = active())
        a->setWrapChoice(!wraps(*a));
}
