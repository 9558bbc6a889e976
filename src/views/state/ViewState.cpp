#include "views/state/ViewState.h"

#include "core/AppModel.h"
#include "core/EditorLink.h"

#include <QPointer>
#include <QTimer>

ViewState::ViewState(AppModel& model, FindState& find, QObject* parent) : EditorHost(parent), model_(model), find_(find)
{
    toastWork_ = new QTimer(this);
    toastWork_->setSingleShot(true);
    toastWork_->setTimerType(Qt::PreciseTimer);
    connect(toastWork_, &QTimer::timeout, this, [this] { setToast(std::nullopt); });
}

#define LV_VIEW_SETTER(fn, member, signal, Type) \
    void ViewState::fn(Type v)                   \
    {                                            \
        if ((member) == v)                       \
            return;                              \
        (member) = std::move(v);                 \
        emit signal();                           \
    }
LV_VIEW_SETTER(setIsFullScreen, isFullScreen_, fullScreenChanged, bool)
LV_VIEW_SETTER(setDialog, dialog_, dialogChanged, std::optional<Dialog>)
LV_VIEW_SETTER(setDialogInput, dialogInput_, dialogInputChanged, const QString&)
LV_VIEW_SETTER(setPopup, popup_, popupChanged, std::optional<Popup>)
LV_VIEW_SETTER(setToast, toast_, toastChanged, std::optional<QString>)
LV_VIEW_SETTER(setMultiCaretCount, multiCaretCount_, multiCaretCountChanged, std::optional<int>)
LV_VIEW_SETTER(setZoom, zoom_, zoomChanged, int)
#undef LV_VIEW_SETTER

void ViewState::setShowNewFile(bool v)
{
    if (showNewFile_ == v)
        return;
    showNewFile_ = v;
    emit showNewFileChanged();
    EditorLink* editors = model_.editorLink();
    if (v) {
        setPopup(std::nullopt);
        if (editors)
            editors->releaseFocus();
    } else if (DocPtr a = model_.active(); a && editors) {
        editors->focus(a);
    }
}

void ViewState::show(Dialog dialog)
{
    // The field's text first: the dialog layer reads it when the dialog appears.
    if (dialog.input)
        setDialogInput(dialog.text);
    setDialog(std::move(dialog));
}

void ViewState::present(Dialog dialog)
{
    setPopup(std::nullopt);
    if (dialog_) {
        dialogQueue_.append(std::move(dialog));
        return;
    }
    show(std::move(dialog));
    if (EditorLink* editors = model_.editorLink())
        editors->releaseFocus();
}

void ViewState::flash(const QString& text)
{
    setToast(text);
    // Restarting replaces the older pending hide: the newest toast always
    // stays its full time.
    toastWork_->start(toastMSecs);
}

void ViewState::dismissDialog(std::function<void()> action)
{
    setDialog(std::nullopt);
    if (action)
        action();
    if (!dialog_ && !dialogQueue_.isEmpty())
        show(dialogQueue_.takeFirst());
    if (EditorLink* editors = model_.editorLink(); !dialog_ && editors)
        if (DocPtr a = model_.active())
            editors->focus(a);
}

bool ViewState::chooseButton(const QString& title)
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

bool ViewState::chooseRole(Dialog::Role role)
{
    if (!dialog_)
        return false;
    for (const Dialog::Button& b : dialog_->buttons)
        if (b.role == role)
            return chooseButton(b.title);
    return false;
}

void ViewState::toggle(const Popup& p)
{
    if (popup_ == p)
        setPopup(std::nullopt);
    else
        setPopup(p);
}

void ViewState::hoverFeature(std::optional<bool> button, std::optional<bool> panel)
{
    if (button)
        overFeatureButton_ = *button;
    if (panel)
        overFeaturePanel_ = *panel;
    if (!overFeatureButton_ && !overFeaturePanel_) {
        QPointer<ViewState> self(this);
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

void ViewState::clickFeature()
{
    const bool keep = popup_ == Popup::feature() && featureByHover_;
    featureByHover_ = false;
    if (!keep)
        toggle(Popup::feature());
}
