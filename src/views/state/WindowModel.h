#pragma once

#include "core/AppModel.h"
#include "editor/FindState.h"
#include "views/state/Popup.h"
#include "views/state/ViewState.h"

#include <functional>
#include <memory>
#include <optional>

// The workspace as the window sees it: the workspace itself and what the
// window shows around its documents (ViewState, FindState), which is where
// the workspace's flows ask their questions. Main thread only.
class WindowModel : public AppModel {
    Q_OBJECT
public:
    static constexpr int toastMSecs = ViewState::toastMSecs;
    static constexpr int featureCloseMSecs = ViewState::featureCloseMSecs;

    // The standard per-user store unless another one is given.
    explicit WindowModel(std::unique_ptr<Preferences> ud = nullptr, QObject* parent = nullptr);
    ~WindowModel() override;

    // The single instance of the running application, created on first use.
    static WindowModel& shared();

    ViewState& view() { return view_; }
    FindState& find() { return find_; }
    const FindState& find() const { return find_; }

    bool isFullScreen() const { return view_.isFullScreen(); }
    bool showNewFile() const { return view_.showNewFile(); }
    const std::optional<Dialog>& dialog() const { return view_.dialog(); }
    const QString& dialogInput() const { return view_.dialogInput(); }
    const std::optional<Popup>& popup() const { return view_.popup(); }
    const std::optional<QString>& toast() const { return view_.toast(); }
    const std::optional<int>& multiCaretCount() const { return view_.multiCaretCount(); }
    int zoom() const { return view_.zoom(); }
    const QList<Dialog>& dialogQueue() const { return view_.dialogQueue(); }

    void setIsFullScreen(bool v) { view_.setIsFullScreen(v); }
    void setShowNewFile(bool v) { view_.setShowNewFile(v); }
    void setDialog(std::optional<Dialog> v) { view_.setDialog(std::move(v)); }
    void setDialogInput(const QString& v) { view_.setDialogInput(v); }
    void setPopup(std::optional<Popup> v) { view_.setPopup(v); }
    void setToast(std::optional<QString> v) { view_.setToast(std::move(v)); }
    void setMultiCaretCount(std::optional<int> v) { view_.setMultiCaretCount(v); }
    void setZoom(int percent) { view_.setZoom(percent); }

    void dismissDialog(std::function<void()> action) { view_.dismissDialog(std::move(action)); }
    bool chooseButton(const QString& title) { return view_.chooseButton(title); }
    bool chooseRole(Dialog::Role role) { return view_.chooseRole(role); }
    void toggle(const Popup& p) { view_.toggle(p); }
    void hoverFeature(std::optional<bool> button, std::optional<bool> panel) { view_.hoverFeature(button, panel); }
    void clickFeature() { view_.clickFeature(); }
    bool featureByHover() const { return view_.featureByHover(); }
    void toggleFullScreen() { view_.toggleFullScreen(); }

    // Escape in the editor closes exactly one thing.
    void escape();
    void openFind(bool replace);
    void closeFind();

private:
    FindState find_;
    ViewState view_{*this, find_};
};
